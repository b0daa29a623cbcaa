// Menus, tool bars, side bar, pages, popup menu and status bar of the main window, built from the
// registered commands.
#include "gui/help/help.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "gui/mainwindow/toolicons.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A separator in a list of command ids.
const QString kSeparator = QStringLiteral("-");

struct TMenuLayout {
    QString Caption;
    std::vector<QString> Commands;
};

const std::vector<TMenuLayout>& MenuLayout()
{
    static const std::vector<TMenuLayout> layout = {
        {QStringLiteral("&File"),
            {cmd::FileNew, cmd::FileOpen, cmd::FileReopen, cmd::FileSave, cmd::FileSaveAs, kSeparator,
                cmd::FileImport, cmd::FileExport, kSeparator, cmd::Preview, cmd::FilePrint,
                cmd::FilePrintSetup, kSeparator, cmd::FileExit}},
        {QStringLiteral("&Edit"),
            {cmd::EditCut, cmd::EditCopy, cmd::EditPaste, kSeparator, cmd::EditItem, cmd::DeleteItem,
                kSeparator, cmd::AddToQuestionLibrary, cmd::ApplyResponseTemplate, cmd::TemplateManager}},
        {QStringLiteral("&Options"), {cmd::Preferences, cmd::RawResultsEditing}},
        {QStringLiteral("&Survey"),
            {cmd::SurveyProperties, cmd::SurveyQuestionLibrary, cmd::SurveyBuilderWizard, kSeparator,
                cmd::PublishSurvey, cmd::SurveyEmailLists, kSeparator, cmd::UpdateNow,
                cmd::ResetLocalResponses, cmd::ClearResultsFromServer}},
        {QStringLiteral("&Help"),
            {cmd::HelpGettingStarted, cmd::HelpContents, cmd::HelpSearch, cmd::HelpOnHelp, cmd::WhatsThis,
                kSeparator, cmd::TechnicalSupport, cmd::CheckForUpdates, cmd::TipOfTheDay, kSeparator,
                cmd::About}},
    };
    return layout;
}

const std::vector<QString>& ToolbarLayout()
{
    static const std::vector<QString> layout
        = {cmd::FileNew, cmd::FileOpen, cmd::FileSave, kSeparator, cmd::FilePrint, cmd::Preview, kSeparator,
            cmd::EditCut, cmd::EditCopy, cmd::EditPaste, kSeparator, cmd::SurveyProperties,
            cmd::SurveyQuestionLibrary, cmd::SurveyBuilderWizard, cmd::PublishSurvey, cmd::SurveyEmailLists};
    return layout;
}

// Adds the commands to a menu or tool bar (anything with addAction / addSeparator).
template <typename TTarget>
void AddCommands(TTarget* target, const TCommandRegistry& commands, const std::vector<QString>& ids)
{
    for (const QString& id : ids) {
        if (id == kSeparator)
            target->addSeparator();
        else if (QAction* action = commands.Action(id))
            target->addAction(action);
    }
}

QToolButton* ButtonFor(QAction* action, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setDefaultAction(action);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setObjectName(action->objectName());
    return b;
}

// A flat button of the side bar that runs its command and follows the command's state.
QPushButton* SideButton(QAction* action, QWidget* parent, const QString& caption = {})
{
    const bool ownCaption = !caption.isEmpty();
    auto* b = new QPushButton(action->icon(), ownCaption ? caption : action->text(), parent);
    b->setFlat(true);
    b->setIconSize(QSize(20, 20));
    b->setToolTip(ownCaption ? PlainCaption(caption) : action->toolTip());
    b->setEnabled(action->isEnabled());
    if (const int context = action->property("helpContext").toInt())
        SetHelpContext(b, context);
    QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, b, [b, action, ownCaption] {
        b->setEnabled(action->isEnabled());
        if (!ownCaption)
            b->setText(action->text());
    });
    return b;
}

} // namespace

void TORVMainForm::CreateMenus()
{
    for (const TMenuLayout& layout : MenuLayout()) {
        QMenu* menu = menuBar()->addMenu(layout.Caption);
        AddCommands(menu, *commands_, layout.Commands);
    }
    AddCommands(CommandMenu(cmd::FileImport), *commands_, {cmd::ImportQuestions, cmd::ImportServerDataFile});
    AddCommands(CommandMenu(cmd::FileExport), *commands_,
        {cmd::ExportFoxPro, cmd::ExportCSV, cmd::ExportExcel, cmd::ExportSPSS, cmd::ExportStata});
}

void TORVMainForm::CreateToolbars()
{
    tbMain = addToolBar(QStringLiteral("Main"));
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    tbMain->setIconSize(QSize(24, 24));
    AddCommands(tbMain, *commands_, ToolbarLayout());
}

void TORVMainForm::CreatePages()
{
    pcMain = new QTabWidget(this);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    setCentralWidget(pcMain);
    pcMain->addTab(CreateQuestionsPage(), QStringLiteral("Questions"));
    pcMain->addTab(CreateAnalysisPage(), QStringLiteral("Analysis"));
    connect(pcMain, &QTabWidget::currentChanged, this, [this] { CheckForButtons(); });
}

QWidget* TORVMainForm::CreateSideBar(QWidget* parent)
{
    tbSurvey = new QWidget(parent);
    tbSurvey->setObjectName(QStringLiteral("tbSurvey"));
    tbSurvey->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 5px 8px; }"));
    tbSkipGroup = new QPushButton(ToolIcon(TToolIcon::SkipGroup), QStringLiteral("Skip &Group"), tbSurvey);
    tbSkipGroup->setObjectName(QStringLiteral("tbSkipGroup"));
    tbSkipGroup->setFlat(true);
    tbSkipGroup->setIconSize(QSize(20, 20));
    tbSkipGroup->setMenu(new QMenu(tbSkipGroup));
    SetHelpContext(tbSkipGroup, 1023);

    auto* side = new QVBoxLayout(tbSurvey);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(1);
    side->addWidget(SideButton(Command(cmd::AddQuestion), tbSurvey));
    side->addWidget(SideButton(Command(cmd::AddHeader), tbSurvey));
    side->addWidget(SideButton(Command(cmd::EditItem), tbSurvey, QStringLiteral("&Edit selected item...")));
    side->addWidget(
        SideButton(Command(cmd::DeleteItem), tbSurvey, QStringLiteral("&Delete selected items...")));
    side->addWidget(tbSkipGroup);
    side->addWidget(SideButton(Command(cmd::MoveUp), tbSurvey));
    side->addWidget(SideButton(Command(cmd::MoveDown), tbSurvey));
    auto* line = new QFrame(tbSurvey);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    side->addWidget(line);
    side->addWidget(SideButton(Command(cmd::PreviewAsWebPage), tbSurvey));
    side->addStretch(1);
    return tbSurvey;
}

QWidget* TORVMainForm::CreateQuestionsPage()
{
    auto* questions = new QWidget(pcMain);
    lbQuestions = new QListView(questions);
    lbQuestions->setObjectName(QStringLiteral("lbQuestions"));
    questionModel = new TQuestionListModel(lbQuestions);
    questionModel->setObjectName(QStringLiteral("questionModel"));
    lbQuestions->setModel(questionModel);
    lbQuestions->setItemDelegate(new TQuestionDelegate(lbQuestions));
    lbQuestions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbQuestions->setUniformItemSizes(false);
    lbQuestions->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lbQuestions->installEventFilter(this);
    SetHelpContext(lbQuestions, 1001, true);
    connect(lbQuestions->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { CheckForButtons(); });
    connect(lbQuestions, &QListView::doubleClicked, Command(cmd::EditItem), &QAction::trigger);
    CreateQuestionsPopup();

    auto* layout = new QHBoxLayout(questions);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(CreateSideBar(questions));
    layout->addWidget(lbQuestions, 1);
    return questions;
}

void TORVMainForm::CreateQuestionsPopup()
{
    auto* pmQuestions = new QMenu(lbQuestions);
    pmQuestions->setObjectName(QStringLiteral("pmQuestions"));
    AddCommands(pmQuestions, *commands_,
        {cmd::AddToQuestionLibrary, cmd::DeleteItem, cmd::EditItem, kSeparator, cmd::ApplyResponseTemplate,
            kSeparator});
    pmQuestions->addAction(QStringLiteral("&What's This?"), this, [this] { ShowWhatsThis(lbQuestions); });
    lbQuestions->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbQuestions, &QWidget::customContextMenuRequested, this, [this, pmQuestions](const QPoint& pos) {
        pmQuestions->exec(lbQuestions->viewport()->mapToGlobal(pos));
    });
}

QWidget* TORVMainForm::CreateAnalysisPage()
{
    auto* analysis = new QWidget(pcMain);
    auto* lblQuestion = new QLabel(QStringLiteral("&Results for Question:"), analysis);
    cmbQuestionList = new QComboBox(analysis);
    cmbQuestionList->setObjectName(QStringLiteral("cmbQuestionList"));
    cmbQuestionList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbQuestionList->setMinimumContentsLength(30);
    lblQuestion->setBuddy(cmbQuestionList);
    SetHelpContext(cmbQuestionList, 1101);

    auto* gbResultStatus = new QGroupBox(QStringLiteral("Result Status"), analysis);
    lblLastUpdated = new QLabel(gbResultStatus);
    lblLastUpdated->setObjectName(QStringLiteral("lblLastUpdated"));
    lblNotificationsSent = new QLabel(gbResultStatus);
    lblNotificationsSent->setObjectName(QStringLiteral("lblNotificationsSent"));
    lblResponsesReceived = new QLabel(gbResultStatus);
    lblResponsesReceived->setObjectName(QStringLiteral("lblResponsesReceived"));
    auto* statusLayout = new QVBoxLayout(gbResultStatus);
    statusLayout->addWidget(lblLastUpdated);
    statusLayout->addWidget(lblNotificationsSent);
    statusLayout->addWidget(lblResponsesReceived);
    statusLayout->addWidget(ButtonFor(Command(cmd::UpdateNow), gbResultStatus));
    SetHelpContext(gbResultStatus, 1102);

    auto* gbOptions = new QGroupBox(QStringLiteral("Analysis Options"), analysis);
    lblCurrentFilter = new QLabel(QStringLiteral("Filter: None"), gbOptions);
    lblCurrentFilter->setObjectName(QStringLiteral("lblCurrentFilter"));
    auto* optionsLayout = new QVBoxLayout(gbOptions);
    optionsLayout->addWidget(lblCurrentFilter);
    for (const QString& id : {cmd::SetFilterOptions, cmd::ChartToolbox, cmd::ExportAnalysis}) {
        QWidget* button = ButtonFor(Command(id), gbOptions);
        button->setObjectName(QStringLiteral("analysisButton"));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        optionsLayout->addWidget(button);
    }
    optionsLayout->addStretch(1);
    lblCurrentFilter->setWordWrap(true);
    SetHelpContext(gbOptions, 1103);

    auto* chartArea = new QLabel(QStringLiteral("The results of the chosen question are charted here once "
                                                "responses have been downloaded."),
        analysis);
    chartArea->setAlignment(Qt::AlignCenter);
    chartArea->setWordWrap(true);
    chartArea->setFrameShape(QFrame::StyledPanel);
    SetHelpContext(chartArea, 1104);
    analysisPlaceholder_ = chartArea;
    pnlAnalysisDisplay = chartArea;

    auto* grid = new QGridLayout(analysis);
    analysisGrid_ = grid;
    auto* top = new QHBoxLayout;
    top->addWidget(lblQuestion);
    top->addWidget(cmbQuestionList, 1);
    grid->addLayout(top, 0, 0, 1, 2);
    grid->addWidget(chartArea, 1, 0, 2, 1);
    grid->addWidget(gbResultStatus, 1, 1);
    grid->addWidget(gbOptions, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(2, 1);
    return analysis;
}

void TORVMainForm::SetAnalysisDisplay(QWidget* display)
{
    if (pnlAnalysisDisplay) {
        analysisGrid_->removeWidget(pnlAnalysisDisplay);
        pnlAnalysisDisplay->hide();
        if (pnlAnalysisDisplay == analysisPlaceholder_)
            delete analysisPlaceholder_.data();
    }
    pnlAnalysisDisplay = display;
    analysisGrid_->addWidget(display, 1, 0, 2, 1);
    display->show();
}

void TORVMainForm::CreateStatusBar()
{
    for (int i = 0; i < 3; ++i) {
        pnlStatus[i] = new QLabel(statusBar());
        pnlStatus[i]->setObjectName(QStringLiteral("pnlStatus%1").arg(i));
        pnlStatus[i]->setFrameShape(QFrame::StyledPanel);
        pnlStatus[i]->setFrameShadow(QFrame::Sunken);
    }
    pnlStatus[0]->setFixedWidth(90);
    statusBar()->addWidget(pnlStatus[0]);
    statusBar()->addWidget(pnlStatus[1], 1);
    statusBar()->addWidget(pnlStatus[2], 1);
}

// Delete and Insert act only when pressed alone and not held down: Shift+Del, Ctrl+Ins and
// Shift+Ins are the clipboard's keys, and a held key must not delete one row per repeat.
bool TORVMainForm::IsPlainKey(const QKeyEvent& event, int key) const
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return event.key() == key && modifiers == Qt::NoModifier && !event.isAutoRepeat();
}

bool TORVMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbQuestions && event->type() == QEvent::KeyRelease) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        QAction* remove = Command(cmd::DeleteItem);
        if (IsPlainKey(key, Qt::Key_Delete) && remove->isEnabled()) {
            remove->trigger();
            return true;
        }
        if (IsPlainKey(key, Qt::Key_Insert)) {
            Command(cmd::AddQuestion)->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
