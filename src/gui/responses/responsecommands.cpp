#include "gui/responses/responsecommands.h"

#include "gui/seams/filedialogs.h"
#include "gui/seams/messages.h"
#include "gui/mainwindow/mainform.h"
#include "gui/analysis/analysisview.h"
#include "gui/analysis/charttool.h"
#include "core/interaction/progress.h"
#include "core/responses/importdatafile.h"
#include "gui/responses/servercommands.h"
#include "core/survey/survey.h"
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
    form.CheckForButtons();
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
    form.CheckForButtons();
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
    form.btnExportChart->setMenu(menu);
    for (QToolButton* button : form.findChildren<QToolButton*>()) {
        if (button->defaultAction() == form.btnExportChart)
            button->setPopupMode(QToolButton::InstantPopup);
    }
}

} // namespace

void AttachAnalysisView(TORVMainForm& form, TSurveyResponseTable& responses)
{
    auto* view = new TORVAnalysisView(form.Survey(), responses.Table(), responses.Analysis());
    QWidget* placeholder = form.pnlAnalysisDisplay;
    if (QLayout* layout = placeholder->parentWidget()->layout()) {
        delete layout->replaceWidget(placeholder, view);
        placeholder->hide();
        placeholder->deleteLater();
    }
    form.pnlAnalysisDisplay = view;
    responses.SetView(view);
    view->SetQuestionList(form.cmbQuestionList);
    view->SetRawResultsItem(form.miRawResultsEditing);
    view->SetBackground(BackgroundOf(form));
    auto* tool = new TORVChartTool(&form);
    view->SetChartTool(tool);
    QObject::connect(tool, &TORVChartTool::BackgroundChanged, &form, [&form](const TChartStyle& s) {
        form.SetChartBackground(
            {s.SolidBackground, s.SolidColor, s.FromColor, s.ToColor, s.GradientDirection});
    });
    const auto refresh = [&form] { form.CheckForButtons(); };
    QObject::connect(view, &TORVAnalysisView::SurveyChanged, &form, refresh);
    QObject::connect(view, &TORVAnalysisView::AnalysisChanged, &form, refresh);
    QObject::connect(view, &TORVAnalysisView::PageChanged, &form, refresh);
    form.SetCommand(form.btnSetFilterOptions, [view] { view->btnSetFilterOptionsClick(); });
    form.SetCommand(form.btnChartView, [view] { view->btnChartViewClick(); });
    form.SetCommand(form.miRawResultsEditing, [view] { view->miRawResultsEditingClick(); });
    GiveExportMenu(form, view->pmExportChart);
    // A survey loaded before the view existed: show its first question.
    if (form.cmbQuestionList->currentIndex() >= 0)
        view->cmbQuestionListClick();
}

TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form)
{
    auto owned = std::make_unique<TSurveyResponseTable>();
    TSurveyResponseTable& responses = *owned;
    form.SetResponseTable(std::move(owned));
    if (form.Survey().HasFile()) {
        TNoProgress quiet;
        responses.SurveyLoaded(form.Survey(), quiet);
    }
    form.SetCommand(
        form.miResetLocalResponses, [&form, &responses] { ResetLocalResponsesCommand(form, responses); });
    form.SetCommand(
        form.miImportServerDataFile, [&form, &responses] { ImportServerDataFileCommand(form, responses); });
    AttachServerCommands(form, responses);
    AttachAnalysisView(form, responses);
    form.CheckForButtons();
    return responses;
}
