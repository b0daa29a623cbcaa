// The analysis tab's commands: the filter, the chart toolbox, raw results editing and the exports.
#include "core/interaction/messages.h"
#include "gui/analysis/analysisview.h"
#include "gui/analysis/chart.h"
#include "gui/analysis/charttool.h"
#include "gui/analysis/filterbuilder.h"
#include "gui/analysis/officehandover.h"
#include "gui/analysis/responsemodel.h"
#include "core/interaction/progress.h"
#include "core/responses/responsetable.h"
#include "core/survey/survey.h"
#include "xbase/expression.h"
#include "xbase/table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>

void TORVAnalysisView::Reanalyze(TProgress* progress)
{
    if (!table_.IsOpen()) {
        state_.Results.clear();
    } else {
        TAnalyzeHooks hooks;
        hooks.ShowWarning = [](const QString& text) { ShowWarning(text); };
        hooks.Progress = progress;
        const TAnalyzeOutcome outcome = state_.Analyze(survey_, table_.Table(), hooks);
        if (!outcome.ok())
            ShowError(QStringLiteral("The following internal error occurred: ") + outcome.Error);
    }
    cmbQuestionListClick();
    Q_EMIT AnalysisChanged();
}

void TORVAnalysisView::btnSetFilterOptionsClick()
{
    std::vector<TQuestionEntry> entries;
    for (int i = 0; questions_ && i < questions_->count(); ++i)
        entries.push_back({questions_->itemText(i), questions_->itemData(i).toInt()});
    TORVFilterBuilder builder(survey_, entries, state_.Filter, window());
    const xbase::TTextEncoding encoding
        = table_.IsOpen() ? table_.Table().Layout().Encoding : xbase::TTextEncoding::Utf8;
    builder.SetUpper(
        [encoding](const QString& text) { return xbase::TExpression::UpperText(text, encoding); });
    if (table_.IsOpen()) {
        const xbase::TRecordLayout layout = table_.Table().Layout();
        builder.SetValidator([layout](const QString& expression) {
            QString error;
            return xbase::TExpression::Validate(expression, layout, &error) ? QString() : error;
        });
    }
    if (builder.exec() == QDialog::Accepted) {
        state_.Filter.Assign(builder.Filter());
        Reanalyze();
        if (questions_ && questions_->count() > 0 && questions_->currentIndex() != 0)
            questions_->setCurrentIndex(0); // shows the first question
    }
    Q_EMIT AnalysisChanged();
}

void TORVAnalysisView::SetChartTool(TORVChartTool* tool)
{
    tool_ = tool;
    connect(tool, &TORVChartTool::ChartFieldsChanged, this, [this](const TChartStyle& style) {
        ApplyChartFields(style);
        StoreChartFields(SelectedItem(), style);
    });
    connect(tool, &TORVChartTool::BackgroundChanged, this,
        [this](const TChartStyle& style) { SetBackground(style); });
    connect(tool, &TORVChartTool::ApplyToAllRequested, this,
        [this](const TChartStyle& style) { ApplyToAll(style); });
}

void TORVAnalysisView::btnChartViewClick()
{
    if (!tool_)
        return;
    if (tool_->isVisible()) {
        tool_->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        tool_->hide();
        return;
    }
    tool_->LoadStyle(style_);
    tool_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (!toolPlaced_) {
        tool_->PlaceBeside(window());
        toolPlaced_ = true;
    }
    tool_->show();
}

void TORVAnalysisView::ApplyChartFields(const TChartStyle& style)
{
    style_.ChartType = style.ChartType;
    style_.DisplayLegend = style.DisplayLegend;
    style_.LegendStyle = style.LegendStyle;
    style_.DisplayMarks = style.DisplayMarks;
    style_.MarksStyle = style.MarksStyle;
    style_.Rotation = style.Rotation;
    chartMain->SetStyle(style_);
}

void TORVAnalysisView::StoreChartFields(int item, const TChartStyle& s)
{
    if (item < 0 || item >= survey_.QuestionCount())
        return;
    survey_.SetChartOptions(
        item, s.ChartType, s.DisplayLegend, s.LegendStyle, s.DisplayMarks, s.MarksStyle, s.Rotation);
    Q_EMIT SurveyChanged();
}

void TORVAnalysisView::ApplyToAll(const TChartStyle& style)
{
    for (int i = 0; questions_ && i < questions_->count(); ++i)
        StoreChartFields(questions_->itemData(i).toInt(), style);
}

void TORVAnalysisView::miRawResultsEditingClick()
{
    // The item's check mark has already flipped when this runs; the page tells the mode.
    if (nbAnalysis->currentIndex() == pgRawMode) {
        rawItem_->setChecked(false);
        cmbQuestionListClick();
        return;
    }
    if (rawItem_)
        rawItem_->setChecked(false);
    if (!AskYesNo(QStringLiteral(
            "You are about to enter Raw Editing Mode. You can easily corrupt data - are you sure "
            "you want to do this?")))
        return;
    if (rawItem_)
        rawItem_->setChecked(true);
    // Show the analysis tab that holds this view.
    for (QWidget* w = this; w && w->parentWidget(); w = w->parentWidget()) {
        if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget())) {
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
                tabs->setCurrentWidget(w);
                break;
            }
        }
    }
    ShowPage(pgRawMode);
    if (!TableOpen())
        return;
    SetTableFilter(QString());
    rawModel_->SetColumns({});
    rawModel_->SetTable(&table_.Table());
}

bool TORVAnalysisView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dbgRawMode && event->type() == QEvent::KeyRelease
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelectedRawRows();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TORVAnalysisView::DeleteSelectedRawRows()
{
    std::vector<int> rows;
    for (const QModelIndex& index : dbgRawMode->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty() || !AskYesNo(QStringLiteral("Are you sure you want to delete the selected record?")))
        return;
    const QString error = rawModel_->DeleteRows(rows);
    dbgRawMode->clearSelection();
    dbgRawMode->setEnabled(false);
    if (!error.isEmpty())
        ShowError(QStringLiteral("The following internal error occurred: ") + error);
    TAnalyzeHooks hooks;
    hooks.ShowWarning = [](const QString& text) { ShowWarning(text); };
    const TAnalyzeOutcome outcome = state_.Analyze(survey_, table_.Table(), hooks);
    if (!outcome.ok())
        ShowError(QStringLiteral("The following internal error occurred: ") + outcome.Error);
    // The responses received are every record left, whatever the analysis filter passes; the raw
    // grid goes on showing all of them.
    SetTableFilter(QString());
    survey_.SetSRResponseCount(table_.Table().VisibleCount());
    rawModel_->Reload();
    dbgRawMode->setEnabled(true);
    Q_EMIT AnalysisChanged();
    Q_EMIT SurveyChanged();
}

void TORVAnalysisView::CopyChartBitmap()
{
    const QSize size = chartMain->size().expandedTo(QSize(640, 420));
    QApplication::clipboard()->setImage(RenderChartImage(chartMain->Data(), style_, size));
}

void TORVAnalysisView::CopyChartSvg()
{
    const QSize size = chartMain->size().expandedTo(QSize(640, 420));
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), RenderChartSvg(chartMain->Data(), style_, size));
    QApplication::clipboard()->setMimeData(mime);
}

QString TORVAnalysisView::AnswersText()
{
    const int item = SelectedItem();
    if (item < 0 || !TableOpen())
        return QString();
    // The field the page shows: the answers, or the "Other" texts or comments of a drill-down.
    QString field = QStringLiteral("ORV%1").arg(survey_.GetQuestion(item).ID);
    if (nbAnalysis->currentIndex() == pgShortText && pnlShortText->isVisible())
        field = shortTextModel_->headerData(0, Qt::Horizontal).toString();
    xbase::TTable& table = table_.Table();
    QStringList lines;
    const QString rule(50, QLatin1Char('-'));
    for (xbase::TStatus st = table.First(); st.ok() && !table.Eof(); st = table.Skip(1)) {
        const QString value = table.FieldText(field).trimmed();
        if (!value.isEmpty())
            lines << value << rule;
    }
    return lines.join(QStringLiteral("\r\n"));
}

void TORVAnalysisView::CopyText()
{
    QApplication::clipboard()->setText(AnswersText());
}

void TORVAnalysisView::HandOverToPresentation()
{
    if (!OfficeHandOver().Attach(TOfficeProgram::Presentation)) {
        ShowError(QStringLiteral(
            "You must have a recent version of Microsoft PowerPoint running to use this feature"));
        return;
    }
    CopyChartSvg();
    OfficeHandOver().Paste(TOfficeProgram::Presentation);
}

void TORVAnalysisView::HandOverToWordProcessor()
{
    if (!OfficeHandOver().Attach(TOfficeProgram::WordProcessor)) {
        ShowError(
            QStringLiteral("You must have a recent version of Microsoft Word running to use this feature"));
        return;
    }
    if (nbAnalysis->currentIndex() == pgGraph)
        CopyChartSvg();
    else
        CopyText();
    OfficeHandOver().Paste(TOfficeProgram::WordProcessor);
}
