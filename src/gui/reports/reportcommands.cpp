#include "gui/reports/reportcommands.h"

#include "core/authoring/questionimport.h"
#include "core/base/utils.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"
#include "core/reports/htmlreport.h"
#include "core/reports/reportanswers.h"
#include "core/survey/survey.h"
#include "gui/analysis/analysisview.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/reports/chartimages.h"
#include "gui/reports/destination.h"
#include "gui/reports/importsurvey.h"
#include "gui/reports/printedreports.h"
#include "gui/reports/rangeselect.h"
#include "gui/responses/responsecommands.h"
#include "gui/widgets/progresswindow.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

class TDialogPrintChooser : public TPrintChooser {
public:
    bool Choose(QPrinter& printer, bool offerSelection, bool& selectionOnly) override
    {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        selectionOnly = printer.printRange() == QPrinter::Selection;
        return true;
    }
    void Print(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override
    {
        QPrintPreviewDialog preview(&printer, QApplication::activeWindow());
        QObject::connect(
            &preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter* p) { paint(*p); });
        preview.exec();
    }
};

std::unique_ptr<TPrintChooser>& ChooserSlot()
{
    static std::unique_ptr<TPrintChooser> chooser = std::make_unique<TDialogPrintChooser>();
    return chooser;
}

struct TExportNames {
    const char* Filter;
    const char* Kind; // in "saved in the ... file named"
};

TExportNames NamesOf(TExportFormat format)
{
    switch (format) {
    case TExportFormat::Dbf:
        return {"FoxPro Files (*.dbf)", "FoxPro"};
    case TExportFormat::Csv:
        return {"Comma Seperated Value Files (*.csv)", "Comma Seperated Values (CSV)"};
    case TExportFormat::Xlsx:
        return {"Excel Workbooks (*.xlsx)", "Excel"};
    case TExportFormat::Sav:
        return {"SPSS Data Files (*.sav)", "SPSS"};
    case TExportFormat::Dta:
        return {"Stata Data Files (*.dta)", "Stata"};
    }
    return {"", ""};
}

QString ReportBase(const TSurvey& survey)
{
    const QString base = FileTitle(survey.FileName());
    return base.isEmpty() ? QStringLiteral("survey") : base;
}

TAnalysisSource SourceOf(TORVMainForm& form, TSurveyResponseTable& responses, TReportRecords& records)
{
    TAnalysisSource source;
    source.Survey = &form.Survey();
    source.Results = &responses.Analysis().Results;
    source.FilterConditions = responses.Analysis().Filter.Descriptions();
    source.Records = &records;
    if (responses.View())
        source.Background = responses.View()->Background();
    return source;
}

int SelectedQuestion(TSurveyResponseTable& responses)
{
    return responses.View() ? responses.View()->SelectedItem() : -1;
}

void WebReport(TORVMainForm& form, TSurveyResponseTable& responses, const QString& directory)
{
    const int selected = SelectedQuestion(responses);
    TORVRangeSelect range(&form, selected >= 0);
    if (range.exec() != QDialog::Accepted)
        return;
    TSurvey& survey = form.Survey();
    THtmlReportSettings settings;
    settings.Directory = directory;
    settings.Base = ReportBase(survey);
    settings.Extension = form.HtmlExtension();
    settings.TablePath = responses.IsOpen() ? responses.Table().Path() : QString();
    settings.FilterExpression = responses.Analysis().Filter.GetFilterExpression();
    settings.FilterConditions = responses.Analysis().Filter.Descriptions();
    settings.GeneratedAt = QDateTime::currentDateTime();
    const TChartStyle background = responses.View() ? responses.View()->Background() : TChartStyle();
    const TChartImageWriter charts = MakeChartImageWriter(survey, responses.Analysis().Results, background);
    TProgressWindow progress(
        QStringLiteral("Analysis Report"), QStringLiteral("Writing the pages of the report..."), &form);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const THtmlReportResult result = range.SelectedOnly()
        ? WriteHtmlQuestionPage(survey, selected, settings, charts)
        : WriteHtmlReport(survey, settings, charts, &progress);
    progress.Finish();
    QApplication::restoreOverrideCursor();
    if (!result.Error.isEmpty())
        ShowError(result.Error);
    else if (!result.Stopped)
        OpenWithShell(result.OpenFile);
}

void PrintedAnalysis(TORVMainForm& form, TSurveyResponseTable& responses)
{
    QPrinter& printer = ReportPrinter();
    bool selectionOnly = false;
    const int selected = SelectedQuestion(responses);
    if (!PrintChooser().Choose(printer, selected >= 0, selectionOnly) || (selectionOnly && selected < 0))
        return;
    TReportRecords records;
    const QString error = records.Open(responses.IsOpen() ? responses.Table().Path() : QString(),
        responses.Analysis().Filter.GetFilterExpression());
    if (!error.isEmpty()) {
        ShowError(error);
        return;
    }
    const TAnalysisSource source = SourceOf(form, responses, records);
    printer.setDocName(
        selectionOnly ? QuestionAnalysisTitle(form.Survey(), selected) : AnalysisReportTitle(form.Survey()));
    PrintChooser().Print(printer, [&](QPrinter& p) {
        if (selectionOnly) {
            PrintQuestionAnalysis(source, selected, p);
            return;
        }
        // Stop ends the report after the question being printed.
        TProgressWindow progress(
            QStringLiteral("Print"), QStringLiteral("Printing the analysis report..."), &form);
        progress.Start(int(AnalysisEntries(form.Survey()).size()));
        int printed = 0;
        PrintAnalysisReport(source, p, [&] {
            progress.Step(printed++);
            return progress.StopRequested();
        });
        progress.Finish();
    });
}

void AnalysisReport(TORVMainForm& form, TSurveyResponseTable& responses)
{
    TORVDestination destination(form.PathForWebOutput(), &form);
    if (destination.exec() != QDialog::Accepted)
        return;
    if (!destination.ToWebPage()) {
        PrintedAnalysis(form, responses);
        return;
    }
    form.SetPathForWebOutput(destination.Directory());
    WebReport(form, responses, destination.Directory());
}

void Questionnaire(TORVMainForm& form)
{
    QPrinter& printer = ReportPrinter();
    bool selectionOnly = false;
    if (!PrintChooser().Choose(printer, false, selectionOnly))
        return;
    form.Survey().Renumber();
    printer.setDocName(QuestionnaireTitle(form.Survey()));
    PrintChooser().Print(printer, [&form](QPrinter& p) { PrintQuestionnaire(form.Survey(), p); });
}

QString SurveyDirectory(const TORVMainForm& form, const TSurvey& survey)
{
    return survey.HasFile() ? QFileInfo(survey.FileName()).absolutePath() : form.LastDirSavedTo();
}

} // namespace

TPrintChooser& PrintChooser()
{
    return *ChooserSlot();
}

std::unique_ptr<TPrintChooser> SetPrintChooser(std::unique_ptr<TPrintChooser> chooser)
{
    std::swap(ChooserSlot(), chooser);
    return chooser;
}

QPrinter& ReportPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

void ImportQuestionsCommand(TORVMainForm& form)
{
    TORVImportSurvey dialog(&form);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int style = dialog.Style();
    const auto chosen = FileDialogs().OpenFile(QStringLiteral("Select File to Import"),
        QStringLiteral("Text Files (*.txt);;All Files (*)"), form.LastDirSavedTo());
    if (!chosen || !form.FileNew())
        return;
    const QString error = ImportQuestionsFromFile(form.Survey(), *chosen, style, form.DataDirectory());
    if (error.isEmpty())
        ShowInformation(QStringLiteral("Import complete!"));
    else
        ShowError(error);
    form.RefreshQuestionList();
}

void ExportResponsesCommand(TORVMainForm& form, TSurveyResponseTable& responses, TExportFormat format)
{
    if (!responses.IsOpen())
        return;
    if (format == TExportFormat::Csv)
        ShowInformation(
            QStringLiteral("Please note that Verbose Text Response Questions are not included when using "
                           "CSV files due to limitations in the file format."));
    const TSurvey& survey = form.Survey();
    const TExportNames names = NamesOf(format);
    const QString preset = StripExtension(survey.FileName()) + ExportExtension(format);
    const auto chosen = FileDialogs().SaveFile(QStringLiteral("Export Responses"),
        QLatin1String(names.Filter), SurveyDirectory(form, survey), QFileInfo(preset).fileName());
    if (!chosen)
        return;
    const QString target = ExportFileName(*chosen, format);
    TProgressWindow progress(QStringLiteral("Export Responses"),
        QStringLiteral("Writing the responses to %1...").arg(QFileInfo(target).fileName()), &form);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const TExportResult result = ExportResponses(survey, responses.Table().Path(), format, target, &progress);
    progress.Finish();
    QApplication::restoreOverrideCursor();
    if (result.Stopped)
        return;
    if (!result.Ok) {
        ShowError(result.Error);
        return;
    }
    const bool mapped = format == TExportFormat::Dbf || format == TExportFormat::Csv;
    ShowInformation(QStringLiteral("The responses for this survey have been generated and saved in the ")
        + QLatin1String(names.Kind) + QStringLiteral(" file named ") + target + QLatin1Char('.')
        + (mapped
                ? QStringLiteral("  A text file containing field mapping information will now be generated.")
                : QString()));
    if (!result.Error.isEmpty())
        ShowError(result.Error);
    else if (!result.MappingFile.isEmpty())
        OpenWithShell(result.MappingFile);
}

void PrintCommand(TORVMainForm& form, TSurveyResponseTable* responses)
{
    if (form.QuestionsPageShown() || !responses)
        Questionnaire(form);
    else
        AnalysisReport(form, *responses);
}

void PrintSetupCommand(TORVMainForm& form)
{
    QPageSetupDialog dialog(&ReportPrinter(), &form);
    dialog.exec();
}

void AttachReportCommands(TORVMainForm& form)
{
    TORVMainForm* window = &form; // the handlers live in the window's own command registry
    form.SetHandler(cmd::ImportQuestions, [window] { ImportQuestionsCommand(*window); });
    const std::pair<QString, TExportFormat> exports[] = {
        {cmd::ExportFoxPro, TExportFormat::Dbf},
        {cmd::ExportCSV, TExportFormat::Csv},
        {cmd::ExportExcel, TExportFormat::Xlsx},
        {cmd::ExportSPSS, TExportFormat::Sav},
        {cmd::ExportStata, TExportFormat::Dta},
    };
    for (const auto& [id, format] : exports) {
        form.SetHandler(id, [window, format = format] {
            if (TSurveyResponseTable* responses = ResponsesOf(*window))
                ExportResponsesCommand(*window, *responses, format);
        });
    }
    form.SetHandler(cmd::FilePrint, [window] { PrintCommand(*window, ResponsesOf(*window)); });
    form.SetHandler(cmd::FilePrintSetup, [window] { PrintSetupCommand(*window); });
}
