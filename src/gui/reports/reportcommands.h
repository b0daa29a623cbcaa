#pragma once

// The main window's commands for reports, printing, the question import and the exports:
// File > Import > "&Questions...", File > Export Responses to > (FoxPro, CSV, Excel, SPSS, Stata),
// "&Print..." (the questionnaire, or on the Analysis tab the analysis report to the printer or
// to web pages) and "Prin&t Setup...".

#include "core/reports/responseexport.h"

#include <functional>
#include <memory>

class QPrinter;
class TORVMainForm;
class TSurveyResponseTable;

// How a printout reaches paper: the print dialog (offering "Selection" when asked) and a
// preview. Tests install a chooser that sets up a PDF printer instead.
class TPrintChooser {
public:
    virtual ~TPrintChooser() = default;
    // Asks for the printer; false when cancelled. `selectionOnly` is set when the user chose
    // the "Selection" range.
    virtual bool Choose(QPrinter& printer, bool offerSelection, bool& selectionOnly) = 0;
    // Prints `paint` to the printer, after the preview when there is one.
    virtual void Print(QPrinter& printer, const std::function<void(QPrinter&)>& paint) = 0;
};
TPrintChooser& PrintChooser();
std::unique_ptr<TPrintChooser> SetPrintChooser(std::unique_ptr<TPrintChooser> chooser);
// The printer the window prints to, as Print Setup left it.
QPrinter& ReportPrinter();

void ImportQuestionsCommand(TORVMainForm& form);
void ExportResponsesCommand(TORVMainForm& form, TSurveyResponseTable& responses, TExportFormat format);
// The questionnaire on the Questions tab (or without responses), else the analysis report.
void PrintCommand(TORVMainForm& form, TSurveyResponseTable* responses);
void PrintSetupCommand(TORVMainForm& form);

// Gives these commands of the window their handlers; they act on the response table the window
// holds when they run.
void AttachReportCommands(TORVMainForm& form);
