#pragma once

// The main window's commands on the local responses: Survey > "&Reset Local Responses..." and
// File > Import > "&Server Data File...", and the response table the window holds for its
// open survey.

#include "gui/mainwindow/responseseam.h"
#include "core/responses/responsetable.h"

class TORVMainForm;

// The open survey's response table, as the main window holds it.
class TSurveyResponseTable : public TResponseTableSeam {
public:
    // Opens the table the survey names (when that file exists) and takes its record count.
    void SurveyLoaded(TSurvey& survey, TProgress& progress) override;
    void Close() override { table_.Close(); }
    bool IsOpen() const override { return table_.IsOpen(); }
    QString FilterText() const override { return {}; }
    TResponseTable& Table() { return table_; }

private:
    TResponseTable table_;
};

void ResetLocalResponsesCommand(TORVMainForm& form, TResponseTable& table);
void ImportServerDataFileCommand(TORVMainForm& form, TResponseTable& table);

// Gives the window its response table (opening the one of a survey already loaded) and puts the
// two commands behind their menu items. Returns the table, which the window owns.
TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form);
