#pragma once

// The main window's commands on the local responses: Survey > "&Reset Local Responses..." and
// File > Import > "&Server Data File...", and the response table the window holds for its
// open survey.

#include "core/responses/responsetable.h"
#include "gui/mainwindow/responseseam.h"

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

// A response table for the window, with the two commands' handlers set on the window. The
// handlers find the window's table when they run, so a table replaced later is never used.
std::unique_ptr<TResponseTableSeam> MakeSurveyResponseTable(TORVMainForm& form);
// Makes every window created afterwards hold a TSurveyResponseTable, so that a survey loaded at
// start-up opens its table (with the tally's progress on the splash screen).
void InstallResponseCommands();
// Gives a window created before InstallResponseCommands its response table (opening the one of a
// survey already loaded). Returns the table, which the window owns.
TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form);
