#pragma once

// The main window's commands on the local responses: Survey > "&Reset Local Responses..." and
// File > Import > "&Server Data File...", and the response table the window holds for its
// open survey.

#include "gui/mainwindow/responseseam.h"
#include "core/analysis/analysisstate.h"
#include "core/responses/responsetable.h"

class TORVAnalysisView;
class TORVMainForm;

// The open survey's response table and its analysis, as the main window holds them.
class TSurveyResponseTable : public TResponseTableSeam {
public:
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
    void SetView(TORVAnalysisView* view) { view_ = view; }
    TORVAnalysisView* View() const { return view_; }
    // Rebuilds the tallies and shows them: after a merge, a download, a filter change.
    void AnalyzeResults();

private:
    TResponseTable table_;
    TAnalysisState analysis_;
    TORVAnalysisView* view_ = nullptr;
};

void ResetLocalResponsesCommand(TORVMainForm& form, TSurveyResponseTable& responses);
void ImportServerDataFileCommand(TORVMainForm& form, TSurveyResponseTable& responses);

// Gives the window its response table (opening the one of a survey already loaded), the analysis
// tab's display and chart toolbox, and puts the response and analysis commands behind their menu
// items and buttons. Returns the table, which the window owns.
TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form);
// The analysis part of the above: the display in the analysis tab, the toolbox, the commands.
void AttachAnalysisView(TORVMainForm& form, TSurveyResponseTable& responses);
