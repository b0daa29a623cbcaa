#pragma once

// The main window's commands on the local responses: Survey > "&Reset Local Responses..." and
// File > Import > "&Server Data File...", and the response table the window holds for its
// open survey.

#include "core/analysis/analysisstate.h"
#include "core/responses/responsetable.h"
#include "gui/mainwindow/responseseam.h"

#include <QPointer>

class TORVAnalysisView;
class TORVMainForm;

// The open survey's response table and its analysis, as the main window holds them. The
// analysis display shows this table, so it goes with it.
class TSurveyResponseTable : public TResponseTableSeam {
public:
    ~TSurveyResponseTable() override;
    // Opens the table the survey names (when that file exists), takes its record count and
    // rebuilds the tallies, reporting progress.
    void SurveyLoaded(TSurvey& survey, TProgress& progress) override;
    // Closes the table; the next survey starts without filter and tallies.
    void Close() override;
    bool IsOpen() const override { return table_.IsOpen(); }
    QString FilterText() const override { return analysis_.Filter.GetFilterExpression(); }
    bool ChartShown() const override;
    TResponseTable& Table() { return table_; }
    TAnalysisState& Analysis() { return analysis_; }
    // The analysis tab's display, once the window has one.
    void SetView(TORVAnalysisView* view);
    TORVAnalysisView* View() const;
    // Rebuilds the tallies and shows them: after a merge, a download, a filter change.
    void AnalyzeResults();

private:
    TResponseTable table_;
    TAnalysisState analysis_;
    QPointer<TORVAnalysisView> view_;
};

void ResetLocalResponsesCommand(TORVMainForm& form, TSurveyResponseTable& responses);
void ImportServerDataFileCommand(TORVMainForm& form, TSurveyResponseTable& responses);

// The window's table when it is one of ours; null for a test's stand-in.
TSurveyResponseTable* ResponsesOf(TORVMainForm& form);

// A response table for the window with its analysis display, and the handlers of the response,
// server and analysis commands set on the window. The handlers find the window's table when they
// run, so a table replaced later is never used.
std::unique_ptr<TResponseTableSeam> MakeSurveyResponseTable(TORVMainForm& form);
// Makes every window created afterwards hold a TSurveyResponseTable, so that a survey loaded at
// start-up opens its table (with the tally's progress on the splash screen).
void InstallResponseCommands();
// Gives a window created before InstallResponseCommands its response table (opening the one of a
// survey already loaded). Returns the table, which the window owns.
TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form);
