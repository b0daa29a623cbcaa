#include "gui/analysis/analysisview.h"

#include "gui/help/help.h"
#include "gui/analysis/chart.h"
#include "gui/analysis/charttool.h"
#include "gui/analysis/memodelegate.h"
#include "gui/analysis/responsemodel.h"
#include "core/responses/responsetable.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString Joined(const QString& expression, const QString& condition)
{
    return expression.isEmpty() ? condition : expression + QStringLiteral(" .AND. ") + condition;
}

} // namespace

TORVAnalysisView::TORVAnalysisView(
    TSurvey& survey, TResponseTable& table, TAnalysisState& state, QWidget* parent)
    : QWidget(parent)
    , survey_(survey)
    , table_(table)
    , state_(state)
{
    setObjectName(QStringLiteral("AnalysisView"));
    btnViewComments = new QPushButton(QStringLiteral("View &Comments"), this);
    btnViewComments->setObjectName(QStringLiteral("btnViewComments"));
    btnViewComments->hide();
    SetHelpContext(btnViewComments, 4101);
    nbAnalysis = new QStackedWidget(this);
    nbAnalysis->addWidget(MakeGraphPage());
    nbAnalysis->addWidget(MakeDetailPage());
    nbAnalysis->addWidget(MakeShortTextPage());
    nbAnalysis->addWidget(MakeRawModePage());
    MakeExportMenu();

    auto* top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(btnViewComments);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(nbAnalysis, 1);

    connect(btnViewComments, &QPushButton::clicked, this, [this] { btnViewCommentsClick(); });
    connect(btnBackToChart, &QPushButton::clicked, this, [this] { btnBackToChartClick(); });
    connect(chartMain, &TORVChart::PointClicked, this,
        [this](const QString& label) { chartMainClickSeries(label); });
    ShowPage(pgGraph);
}

TORVAnalysisView::~TORVAnalysisView() = default;

QWidget* TORVAnalysisView::MakeGraphPage()
{
    chartMain = new TORVChart(this);
    chartMain->setObjectName(QStringLiteral("chartMain"));
    SetHelpContext(chartMain, 1104);
    return chartMain;
}

QWidget* TORVAnalysisView::MakeDetailPage()
{
    dbgMemo = new QListView(this);
    dbgMemo->setObjectName(QStringLiteral("dbgMemo"));
    memoModel_ = new TResponseTableModel(this);
    dbgMemo->setModel(memoModel_);
    dbgMemo->setItemDelegate(new TMemoPanelDelegate(dbgMemo));
    dbgMemo->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    dbgMemo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgMemo->setWordWrap(true);
    dbgMemo->setResizeMode(QListView::Adjust);
    dbgMemo->setSpacing(2);
    SetHelpContext(dbgMemo, 4102);
    return dbgMemo;
}

QWidget* TORVAnalysisView::MakeShortTextPage()
{
    auto* page = new QWidget(this);
    pnlShortText = new QWidget(page);
    pnlShortText->setObjectName(QStringLiteral("pnlShortText"));
    lblOtherResponses = new QLabel(QStringLiteral("Other Responses"), pnlShortText);
    QFont bold = lblOtherResponses->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    lblOtherResponses->setFont(bold);
    btnBackToChart = new QPushButton(QStringLiteral("&Back to Chart"), pnlShortText);
    auto* header = new QHBoxLayout(pnlShortText);
    header->setContentsMargins(4, 2, 4, 2);
    header->addWidget(lblOtherResponses, 1);
    header->addWidget(btnBackToChart);
    pnlShortText->hide();

    dbgShortText = new QTableView(page);
    dbgShortText->setObjectName(QStringLiteral("dbgShortText"));
    shortTextModel_ = new TResponseTableModel(this);
    dbgShortText->setModel(shortTextModel_);
    dbgShortText->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgShortText->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgShortText->setAlternatingRowColors(true);
    dbgShortText->horizontalHeader()->setStretchLastSection(true);
    dbgShortText->verticalHeader()->setDefaultSectionSize(dbgShortText->fontMetrics().height() + 8);
    SetHelpContext(dbgShortText, 4103);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlShortText);
    layout->addWidget(dbgShortText, 1);
    return page;
}

QWidget* TORVAnalysisView::MakeRawModePage()
{
    dbgRawMode = new QTableView(this);
    dbgRawMode->setObjectName(QStringLiteral("dbgRawMode"));
    rawModel_ = new TResponseTableModel(this);
    rawModel_->SetEditable(true);
    dbgRawMode->setModel(rawModel_);
    dbgRawMode->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgRawMode->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dbgRawMode->installEventFilter(this);
    SetHelpContext(dbgRawMode, 4104);
    return dbgRawMode;
}

void TORVAnalysisView::MakeExportMenu()
{
    pmExportChart = new QMenu(this);
    QMenu* clipboard = pmExportChart->addMenu(QStringLiteral("&Clipboard as"));
    miCopyBitmap = clipboard->addAction(QStringLiteral("&Bitmap"), this, [this] { CopyChartBitmap(); });
    miCopySvg = clipboard->addAction(QStringLiteral("&Metafile (SVG)"), this, [this] { CopyChartSvg(); });
    miCopyText = clipboard->addAction(QStringLiteral("&Text"), this, [this] { CopyText(); });
    miPowerPoint
        = pmExportChart->addAction(QStringLiteral("&PowerPoint"), this, [this] { HandOverToPresentation(); });
    miWord
        = pmExportChart->addAction(QStringLiteral("MS &Word"), this, [this] { HandOverToWordProcessor(); });
}

void TORVAnalysisView::SetQuestionList(QComboBox* combo)
{
    questions_ = combo;
    connect(combo, &QComboBox::currentIndexChanged, this, [this] { cmbQuestionListClick(); });
}

void TORVAnalysisView::SetRawResultsItem(QAction* item)
{
    rawItem_ = item;
    rawItem_->setCheckable(true);
}

void TORVAnalysisView::SetBackground(const TChartStyle& background)
{
    background_ = background;
    style_.SolidBackground = background.SolidBackground;
    style_.SolidColor = background.SolidColor;
    style_.FromColor = background.FromColor;
    style_.ToColor = background.ToColor;
    style_.GradientDirection = background.GradientDirection;
    chartMain->SetStyle(style_);
}

int TORVAnalysisView::SelectedItem() const
{
    if (!questions_ || questions_->currentIndex() < 0)
        return -1;
    const int item = questions_->currentData().toInt();
    return item >= 0 && item < survey_.QuestionCount() ? item : -1;
}

bool TORVAnalysisView::TableOpen() const
{
    return table_.IsOpen();
}

void TORVAnalysisView::ShowPage(TPage page)
{
    nbAnalysis->setCurrentIndex(page);
    UpdateExportCommands();
    Q_EMIT PageChanged();
}

void TORVAnalysisView::UpdateExportCommands()
{
    const int page = nbAnalysis->currentIndex();
    miCopyBitmap->setEnabled(page == pgGraph);
    miCopySvg->setEnabled(page == pgGraph);
    miPowerPoint->setEnabled(page == pgGraph);
    miCopyText->setEnabled(page == pgDetail || page == pgShortText);
}

// Sets the data set's filter; one the table cannot take (a question added after the table was
// made has no field there) shows no record rather than keeping the previous filter.
QString TORVAnalysisView::SetTableFilter(const QString& expression)
{
    const xbase::TStatus st = table_.Table().SetFilter(expression);
    if (!st.ok())
        (void)table_.Table().SetFilter(QStringLiteral(".F."));
    return st.ok() ? QString() : st.Message();
}

void TORVAnalysisView::Clear()
{
    memoModel_->SetTable(nullptr);
    shortTextModel_->SetTable(nullptr);
    rawModel_->SetTable(nullptr);
    chartMain->SetData(TChartData());
    btnViewComments->hide();
    pnlShortText->hide();
    ShowPage(pgGraph);
}

void TORVAnalysisView::cmbQuestionListClick()
{
    const int item = SelectedItem();
    if (item < 0)
        return;
    const TQuestion& q = survey_.GetQuestion(item);
    pnlShortText->hide();
    TPage page = pgGraph;
    if (q.Style == qsFreeFormText) {
        btnViewComments->hide();
        page = q.LengthOfResponse == -1 ? pgDetail : pgShortText;
    } else if (q.Style == qsNumericValue) {
        btnViewComments->hide();
    } else {
        btnViewComments->setVisible(q.IncludeComment);
    }
    rawModel_->SetTable(nullptr);
    if (TableOpen()) {
        const QString expression = state_.Filter.GetFilterExpression();
        SetTableFilter(expression);
        if (q.Style == qsFreeFormText) {
            const QString field = QStringLiteral("ORV%1").arg(q.ID);
            SetTableFilter(Joined(expression, QStringLiteral(".NOT. EMPTY( ORV%1)").arg(q.ID)));
            TResponseTableModel* model = page == pgDetail ? memoModel_ : shortTextModel_;
            (page == pgDetail ? shortTextModel_ : memoModel_)->SetTable(nullptr);
            model->SetColumns({field});
            model->SetTable(&table_.Table());
        }
    }
    ShowChart(q);
    ShowPage(page);
    if (page == pgGraph && tool_)
        tool_->LoadStyle(style_);
    if (rawItem_)
        rawItem_->setChecked(false);
}

void TORVAnalysisView::ShowChart(const TQuestion& q)
{
    TChartData data = BuildChartData(q, state_.Results);
    if (!data.HasPoints)
        data.Points = chartMain->Data().Points; // a text question leaves the series as they are
    TakeChartFields(style_, q);
    chartMain->SetStyle(style_);
    chartMain->SetData(data);
}

void TORVAnalysisView::ShowFieldWithFilter(
    const QString& field, const QString& filter, const QString& caption)
{
    ShowPage(pgShortText);
    pnlShortText->show();
    lblOtherResponses->setText(caption);
    if (!TableOpen())
        return;
    SetTableFilter(QString());
    shortTextModel_->SetColumns({field});
    SetTableFilter(filter);
    shortTextModel_->SetTable(&table_.Table());
}

void TORVAnalysisView::chartMainClickSeries(const QString& label)
{
    const int item = SelectedItem();
    if (label != QLatin1String("Other") || item < 0)
        return;
    const int id = survey_.GetQuestion(item).ID;
    const QString expression = state_.Filter.GetFilterExpression();
    ShowFieldWithFilter(QStringLiteral("ORV%1OT").arg(id),
        Joined(expression, QStringLiteral(".NOT. EMPTY( ORV%1OT)").arg(id)),
        QStringLiteral("Other Responses"));
}

void TORVAnalysisView::btnViewCommentsClick()
{
    const int item = SelectedItem();
    if (item < 0)
        return;
    const int id = survey_.GetQuestion(item).ID;
    // Comments are shown whatever the analysis filter says.
    ShowFieldWithFilter(QStringLiteral("ORV%1CM").arg(id),
        QStringLiteral("LEFT( ORV%1CM, 1) > \" \"").arg(id), QStringLiteral("Comments"));
    btnViewComments->hide();
}

void TORVAnalysisView::btnBackToChartClick()
{
    pnlShortText->hide();
    cmbQuestionListClick();
}
