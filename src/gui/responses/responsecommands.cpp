#include "gui/responses/responsecommands.h"

#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "gui/mainwindow/mainform.h"
#include "gui/analysis/analysisview.h"
#include "gui/analysis/charttool.h"
#include "core/interaction/progress.h"
#include "core/responses/importdatafile.h"
#include "gui/responses/servercommands.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "xbase/table.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QProgressDialog>
#include <QStackedWidget>
#include <QToolButton>

namespace {

const QString kImportTitle = QStringLiteral("Import Server Data File");

// Progress of an import in a window the user can stop it from.
class TImportProgress {
public:
    explicit TImportProgress(QWidget* parent)
        : dialog_(kImportTitle, QStringLiteral("&Stop"), 0, 1000, parent)
    {
        dialog_.setWindowTitle(kImportTitle);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
    }
    bool Report(qint64 done, qint64 total)
    {
        dialog_.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
        QApplication::processEvents();
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

} // namespace

void TSurveyResponseTable::SurveyLoaded(TSurvey& survey, TProgress& progress)
{
    Close();
    const QString path = survey.SRResponseFile();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    if (!OpenResponseTable(survey, table_, [](const QString& message) { ShowError(message); }))
        return;
    const int count = table_.Table().RecordCount();
    if (count != survey.SRResponseCount())
        survey.SetSRResponseCount(count);
    // The question list is refilled after the load; its first entry then shows these tallies.
    TAnalyzeHooks hooks;
    hooks.ShowWarning = [](const QString& text) { ShowWarning(text); };
    hooks.Progress = &progress;
    const TAnalyzeOutcome outcome = analysis_.Analyze(survey, table_.Table(), hooks);
    if (!outcome.ok())
        ShowError(QStringLiteral("The following internal error occurred: ") + outcome.Error);
}

void TSurveyResponseTable::Close()
{
    table_.Close();
    analysis_.Clear();
    if (view_)
        view_->Clear();
}

bool TSurveyResponseTable::ChartShown() const
{
    return !view_ || view_->nbAnalysis->currentIndex() == TORVAnalysisView::pgGraph;
}

void TSurveyResponseTable::AnalyzeResults()
{
    if (view_)
        view_->Reanalyze();
}

void ResetLocalResponsesCommand(TORVMainForm& form, TSurveyResponseTable& responses)
{
    if (!AskYesNo(QStringLiteral("Are you sure you want to reset your local responses?")))
        return;
    const QString saveError = ResetLocalResponses(form.Survey(), responses.Table());
    // No responses, no tallies: the filter goes with them.
    responses.Close();
    if (!saveError.isEmpty())
        ShowError(saveError);
    form.Survey().Changes().Notify(TSurveyChange::Responses);
}

void ImportServerDataFileCommand(TORVMainForm& form, TSurveyResponseTable& responses)
{
    TResponseTable& table = responses.Table();
    TSurvey& survey = form.Survey();
    const QString proposed = survey.UniqueName() + QStringLiteral(".dat");
    const std::optional<QString> chosen
        = FileDialogs().OpenFile(kImportTitle, QStringLiteral("Orvalle Server Data File (%1)").arg(proposed),
            QDir(form.LastDirSavedTo()).filePath(proposed));
    if (!chosen)
        return;
    TImportProgress progress(&form);
    TIntakeHooks hooks;
    hooks.ShowError = [](const QString& message) { ShowError(message); };
    hooks.Inform = [](const QString& message) { ShowInformation(message); };
    hooks.Progress = [&progress](qint64 done, qint64 total) { return progress.Report(done, total); };
    hooks.AnalyzeResults = [&responses] { responses.AnalyzeResults(); };
    const TImportOutcome outcome = ImportServerDataFile(survey, table, *chosen, hooks);
    switch (outcome.Kind) {
    case TImportOutcome::TKind::Imported:
        ShowInformation(outcome.Message);
        break;
    case TImportOutcome::TKind::Stopped:
        break;
    default:
        ShowError(outcome.Message);
        break;
    }
    if (!outcome.Result.SaveError.isEmpty())
        ShowError(outcome.Result.SaveError);
    survey.Changes().Notify(TSurveyChange::Responses);
}

TSurveyResponseTable::~TSurveyResponseTable()
{
    // The display shows this table's records and tallies: it cannot outlive them.
    delete view_.data();
}

void TSurveyResponseTable::SetView(TORVAnalysisView* view)
{
    view_ = view;
}

TORVAnalysisView* TSurveyResponseTable::View() const
{
    return view_.data();
}

TSurveyResponseTable* ResponsesOf(TORVMainForm& form)
{
    return dynamic_cast<TSurveyResponseTable*>(&form.ResponseTable());
}

namespace {

TChartStyle BackgroundOf(const TORVMainForm& form)
{
    const TORVMainForm::TChartBackground b = form.ChartBackground();
    TChartStyle style;
    style.SolidBackground = b.Solid;
    style.SolidColor = b.SolidColor;
    style.FromColor = b.FromColor;
    style.ToColor = b.ToColor;
    style.GradientDirection = b.Direction;
    return style;
}

// The "E&xport to" button pops its menu up just below itself.
void GiveExportMenu(TORVMainForm& form, QMenu* menu)
{
    QAction* exportTo = form.Command(cmd::ExportAnalysis);
    exportTo->setMenu(menu);
    for (QToolButton* button : form.findChildren<QToolButton*>()) {
        if (button->defaultAction() == exportTo)
            button->setPopupMode(QToolButton::InstantPopup);
    }
}

// Runs an analysis command on the display of the table the window holds when it runs.
std::function<void()> OnView(TORVMainForm* window, void (TORVAnalysisView::*command)())
{
    return [window, command] {
        if (TSurveyResponseTable* responses = ResponsesOf(*window); responses && responses->View())
            (responses->View()->*command)();
    };
}

void AttachAnalysisView(TORVMainForm& form, TSurveyResponseTable& responses)
{
    auto* view = new TORVAnalysisView(form.Survey(), responses.Table(), responses.Analysis());
    view->setObjectName(QStringLiteral("pnlAnalysisDisplay"));
    form.SetAnalysisDisplay(view);
    responses.SetView(view);
    view->SetQuestionList(form.AnalysisQuestionList());
    view->SetRawResultsItem(form.Command(cmd::RawResultsEditing));
    view->SetBackground(BackgroundOf(form));
    auto* tool = new TORVChartTool(view);
    view->SetChartTool(tool);
    TORVMainForm* window = &form;
    QObject::connect(tool, &TORVChartTool::BackgroundChanged, window, [window](const TChartStyle& s) {
        window->SetChartBackground({s.SolidBackground, s.SolidColor, s.FromColor, s.ToColor, s.GradientDirection});
    });
    const auto refresh = [window] { window->CheckForButtons(); };
    QObject::connect(view, &TORVAnalysisView::SurveyChanged, window, refresh);
    QObject::connect(view, &TORVAnalysisView::AnalysisChanged, window, refresh);
    QObject::connect(view, &TORVAnalysisView::PageChanged, window, refresh);
    GiveExportMenu(form, view->pmExportChart);
}

void SetResponseHandlers(TORVMainForm& form)
{
    TORVMainForm* window = &form; // the handlers live in the window's own command registry
    form.SetHandler(cmd::ResetLocalResponses, [window] {
        if (TSurveyResponseTable* responses = ResponsesOf(*window))
            ResetLocalResponsesCommand(*window, *responses);
    });
    form.SetHandler(cmd::ImportServerDataFile, [window] {
        if (TSurveyResponseTable* responses = ResponsesOf(*window))
            ImportServerDataFileCommand(*window, *responses);
    });
    form.SetHandler(cmd::SetFilterOptions, OnView(window, &TORVAnalysisView::btnSetFilterOptionsClick));
    form.SetHandler(cmd::ChartToolbox, OnView(window, &TORVAnalysisView::btnChartViewClick));
    form.SetHandler(cmd::RawResultsEditing, OnView(window, &TORVAnalysisView::miRawResultsEditingClick));
    SetServerHandlers(form);
}

} // namespace

std::unique_ptr<TResponseTableSeam> MakeSurveyResponseTable(TORVMainForm& form)
{
    SetResponseHandlers(form);
    auto responses = std::make_unique<TSurveyResponseTable>();
    AttachAnalysisView(form, *responses);
    return responses;
}

void InstallResponseCommands()
{
    TORVMainForm::SetResponseTableFactory(&MakeSurveyResponseTable);
}

TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form)
{
    auto owned = MakeSurveyResponseTable(form);
    auto& responses = static_cast<TSurveyResponseTable&>(*owned);
    if (form.Survey().HasFile()) {
        TNoProgress quiet;
        responses.SurveyLoaded(form.Survey(), quiet);
    }
    form.SetResponseTable(std::move(owned));
    // A survey loaded before the display existed: show its first question.
    if (form.AnalysisQuestionList()->currentIndex() >= 0)
        responses.View()->cmbQuestionListClick();
    return responses;
}
