// Menus, toolbars, pages and status bar of the main window.
#include "gui/help/about.h"
#include "gui/help/help.h"
#include "gui/seams/messages.h"
#include "gui/seams/shell.h"
#include "gui/help/weblinks.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "gui/help/tipofday.h"
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
#include <QWhatsThis>

namespace {

QAction* Make(QObject* parent, const QString& caption, const QString& hint, TToolIcon icon,
    const QKeySequence& shortcut = {})
{
    auto* a = new QAction(ToolIcon(icon), caption, parent);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QToolButton* ButtonFor(QAction* action, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setDefaultAction(action);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

// Gives a command its What's This text (Shift+F1 on a toolbar button, and the side bar's menus).
void SetActionHelp(QAction* action, int context)
{
    action->setProperty("helpContext", context);
    action->setWhatsThis(WhatsThisText(context));
}

// A flat button of the side bar that follows its action's caption, picture and state.
QPushButton* SideButton(QAction* action, QWidget* parent)
{
    auto* b = new QPushButton(action->icon(), action->text(), parent);
    b->setFlat(true);
    b->setIconSize(QSize(20, 20));
    b->setToolTip(action->toolTip());
    b->setEnabled(action->isEnabled());
    if (const int context = action->property("helpContext").toInt())
        SetHelpContext(b, context);
    QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, b, [b, action] {
        b->setEnabled(action->isEnabled());
        b->setText(action->text());
    });
    return b;
}

} // namespace

QAction* TORVMainForm::NotYet(const QString& caption, const QKeySequence& shortcut)
{
    auto* a = new QAction(caption, this);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [caption] { ShowNotAvailable(caption); });
    return a;
}

void TORVMainForm::SetCommand(QAction* command, std::function<void()> handler)
{
    disconnect(command, &QAction::triggered, nullptr, nullptr);
    connect(command, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
}

void TORVMainForm::CreateActions()
{
    miFileNew = Make(this, QStringLiteral("&New"), QStringLiteral("New"), TToolIcon::New, QKeySequence::New);
    connect(miFileNew, &QAction::triggered, this, [this] { FileNew(); });
    miFileOpen
        = Make(this, QStringLiteral("&Open..."), QStringLiteral("Open"), TToolIcon::Open, QKeySequence::Open);
    connect(miFileOpen, &QAction::triggered, this, [this] { FileOpen(); });
    miFileSave
        = Make(this, QStringLiteral("&Save"), QStringLiteral("Save"), TToolIcon::Save, QKeySequence::Save);
    connect(miFileSave, &QAction::triggered, this, [this] { FileSave(); });
    miFileSaveAs = new QAction(QStringLiteral("Save &As..."), this);
    connect(miFileSaveAs, &QAction::triggered, this, [this] {
        SaveSurveyAs();
        CheckForButtons();
    });
    miFilePrint = Make(this, QStringLiteral("&Print Questions..."), QStringLiteral("Print Questions"),
        TToolIcon::Print, QKeySequence::Print);
    connect(miFilePrint, &QAction::triggered, this, [this] { ShowNotAvailable(miFilePrint->text()); });
    miFileExit = new QAction(QStringLiteral("E&xit"), this);
    connect(miFileExit, &QAction::triggered, this, &QWidget::close);
    miImportQuestions = NotYet(QStringLiteral("&Questions..."));
    miImportServerDataFile = NotYet(QStringLiteral("&Server Data File..."));

    tbPreview = Make(this, QStringLiteral("&Preview as Web Page"), QStringLiteral("Preview as Web Page"),
        TToolIcon::Preview);
    connect(tbPreview, &QAction::triggered, this, &TORVMainForm::Preview);
    tbPreviewAsWebPage = Make(this, QStringLiteral("&Preview as Web Page"),
        QStringLiteral("Preview as Web Page"), TToolIcon::Preview);
    connect(tbPreviewAsWebPage, &QAction::triggered, this, &TORVMainForm::Preview);

    miEditCut = NotYet(QStringLiteral("Cu&t"), QKeySequence::Cut);
    miEditCut->setIcon(ToolIcon(TToolIcon::Cut));
    miEditCut->setToolTip(QStringLiteral("Cut"));
    miEditCopy = NotYet(QStringLiteral("&Copy"), QKeySequence::Copy);
    miEditCopy->setIcon(ToolIcon(TToolIcon::Copy));
    miEditCopy->setToolTip(QStringLiteral("Copy"));
    miEditPaste = NotYet(QStringLiteral("&Paste"), QKeySequence::Paste);
    miEditPaste->setIcon(ToolIcon(TToolIcon::Paste));
    miEditPaste->setToolTip(QStringLiteral("Paste"));
    miEditItem = NotYet(QStringLiteral("&Edit Item"));
    miEditItem->setIcon(ToolIcon(TToolIcon::Edit));
    miDeleteItem = NotYet(QStringLiteral("&Delete Item"));
    miDeleteItem->setIcon(ToolIcon(TToolIcon::Remove));
    tbAddQuestion = NotYet(QStringLiteral("Add a &Question..."));
    tbAddQuestion->setIcon(ToolIcon(TToolIcon::AddQuestion));
    tbAddHeader = NotYet(QStringLiteral("Add a &Header..."));
    tbAddHeader->setIcon(ToolIcon(TToolIcon::AddHeader));
    tbMoveUp = NotYet(QStringLiteral("Move &up"));
    tbMoveUp->setIcon(ToolIcon(TToolIcon::MoveUp));
    tbMoveDown = NotYet(QStringLiteral("Move d&own"));
    tbMoveDown->setIcon(ToolIcon(TToolIcon::MoveDown));
    miCreateSkipGroup = NotYet(QStringLiteral("&Create Skip Group..."));
    miUngroupSkipGroup = NotYet(QStringLiteral("Ungroup..."));
    miTemplateManager = NotYet(QStringLiteral("&Template Manager..."));

    miPreferences = NotYet(QStringLiteral("&Preferences..."));
    miRawResultsEditing = NotYet(QStringLiteral("&Raw Results Editing..."));
    miRawResultsEditing->setCheckable(true);

    miSurveyProperties = NotYet(QStringLiteral("&Properties..."));
    miSurveyProperties->setIcon(ToolIcon(TToolIcon::Properties));
    miSurveyProperties->setToolTip(QStringLiteral("Survey Properties"));
    miSurveyQuestionLibrary = NotYet(QStringLiteral("&Question Library..."));
    miSurveyQuestionLibrary->setIcon(ToolIcon(TToolIcon::Library));
    miSurveyQuestionLibrary->setToolTip(QStringLiteral("Question Library"));
    miSurveyBuilderWizard = NotYet(QStringLiteral("Survey Builder Wizard..."));
    miSurveyBuilderWizard->setIcon(ToolIcon(TToolIcon::Wizard));
    miSurveyBuilderWizard->setToolTip(QStringLiteral("Survey Builder Wizard"));
    miPublishSurvey = new QAction(ToolIcon(TToolIcon::Publish), QStringLiteral("Publish &Survey..."), this);
    miPublishSurvey->setToolTip(QStringLiteral("Publish Survey"));
    connect(miPublishSurvey, &QAction::triggered, this, [this] {
        if (ConfirmSaveBeforePublish())
            ShowNotAvailable(QStringLiteral("Publish Survey"));
        CheckForButtons();
    });
    miSurveyEmailLists = NotYet(QStringLiteral("&Email List Manager"));
    miSurveyEmailLists->setIcon(ToolIcon(TToolIcon::EMail));
    miSurveyEmailLists->setToolTip(QStringLiteral("E-Mail List Manager"));
    btnUpdateNow = NotYet(QStringLiteral("&Update Now"));
    btnUpdateNow->setIcon(ToolIcon(TToolIcon::Update));
    miResetLocalResponses = NotYet(QStringLiteral("&Reset Local Responses..."));
    miClearResultsFromServer = NotYet(QStringLiteral("&Clear Results From Server..."));

    const std::pair<QAction*, int> contexts[] = {
        {miFileNew, 1010},
        {miFileOpen, 1011},
        {miFileSave, 1012},
        {miFileSaveAs, 1013},
        {miFilePrint, 1014},
        {tbPreview, 1015},
        {tbPreviewAsWebPage, 1015},
        {miEditCut, 1016},
        {miEditCopy, 1017},
        {miEditPaste, 1018},
        {tbAddQuestion, 1019},
        {tbAddHeader, 1020},
        {miEditItem, 1021},
        {miDeleteItem, 1022},
        {tbMoveUp, 1024},
        {tbMoveDown, 1025},
        {miSurveyProperties, 1026},
        {miSurveyQuestionLibrary, 1027},
        {miSurveyBuilderWizard, 1028},
        {miPublishSurvey, 1029},
        {miSurveyEmailLists, 1030},
        {btnUpdateNow, 1031},
    };
    for (const auto& [action, context] : contexts)
        SetActionHelp(action, context);

    miWhatsThis = new QAction(QStringLiteral("&What's This?"), this);
    connect(miWhatsThis, &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

void TORVMainForm::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(miFileNew);
    file->addAction(miFileOpen);
    miFileReopen = file->addMenu(QStringLiteral("&Reopen"));
    file->addAction(miFileSave);
    file->addAction(miFileSaveAs);
    file->addSeparator();
    miFileImport = file->addMenu(QStringLiteral("&Import"));
    miFileImport->addAction(miImportQuestions);
    miFileImport->addAction(miImportServerDataFile);
    miFileExport = file->addMenu(QStringLiteral("&Export Responses to"));
    miFileExport->addAction(NotYet(QStringLiteral("&FoxPro Database File...")));
    miFileExport->addAction(NotYet(QStringLiteral("&Comma Seperated Values...")));
    file->addSeparator();
    file->addAction(tbPreview);
    file->addAction(miFilePrint);
    file->addSeparator();
    file->addAction(miFileExit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(miEditCut);
    edit->addAction(miEditCopy);
    edit->addAction(miEditPaste);
    edit->addSeparator();
    edit->addAction(miEditItem);
    edit->addAction(miDeleteItem);
    edit->addSeparator();
    miAddtoQuestionLibrary = edit->addMenu(QStringLiteral("&Add to Question Library"));
    miApplyResponseTemplate = edit->addMenu(QStringLiteral("Apply &Response Template"));
    edit->addAction(miTemplateManager);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->addAction(miPreferences);
    options->addAction(miRawResultsEditing);

    QMenu* survey = menuBar()->addMenu(QStringLiteral("&Survey"));
    survey->addAction(miSurveyProperties);
    survey->addAction(miSurveyQuestionLibrary);
    survey->addAction(miSurveyBuilderWizard);
    survey->addSeparator();
    survey->addAction(miPublishSurvey);
    survey->addAction(miSurveyEmailLists);
    survey->addSeparator();
    survey->addAction(btnUpdateNow);
    survey->addAction(miResetLocalResponses);
    survey->addAction(miClearResultsFromServer);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Getting Started - Your First Survey"), this, [] { ShowHelpTopic(3); });
    help->addAction(QStringLiteral("&Contents"), this, [] { ShowHelpContents(); });
    help->addAction(QStringLiteral("&Search for Help On..."), this, [] { ShowHelpSearch(); });
    help->addAction(QStringLiteral("&How to Use Help"), this, [] { ShowHelpOnHelp(); });
    help->addAction(miWhatsThis);
    help->addSeparator();
    help->addAction(
        QStringLiteral("&Technical Support..."), this, [] { OpenWithShell(weblinks::TechnicalSupport); });
    help->addAction(
        QStringLiteral("Check for &Updates..."), this, [] { OpenWithShell(weblinks::CheckForUpdates); });
    help->addAction(QStringLiteral("Show T&ip of the Day..."), this, [this] { ShowTipOfDay(); });
    help->addSeparator();
    help->addAction(QStringLiteral("&About..."), this, [this] {
        TORVAbout about(this);
        about.exec();
    });
}

void TORVMainForm::CreateToolbars()
{
    tbMain = addToolBar(QStringLiteral("Main"));
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    tbMain->setIconSize(QSize(24, 24));
    tbMain->addAction(miFileNew);
    tbMain->addAction(miFileOpen);
    tbMain->addAction(miFileSave);
    tbMain->addSeparator();
    tbMain->addAction(miFilePrint);
    tbMain->addAction(tbPreview);
    tbMain->addSeparator();
    tbMain->addAction(miEditCut);
    tbMain->addAction(miEditCopy);
    tbMain->addAction(miEditPaste);
    tbMain->addSeparator();
    tbMain->addAction(miSurveyProperties);
    tbMain->addAction(miSurveyQuestionLibrary);
    tbMain->addAction(miSurveyBuilderWizard);
    tbMain->addAction(miPublishSurvey);
    tbMain->addAction(miSurveyEmailLists);
}

void TORVMainForm::CreatePages()
{
    pcMain = new QTabWidget(this);
    setCentralWidget(pcMain);

    // "Questions": the side toolbar and the owner-drawn list.
    auto* questions = new QWidget(pcMain);
    tbSurvey = new QWidget(questions);
    tbSurvey->setObjectName(QStringLiteral("tbSurvey"));
    tbSurvey->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 5px 8px; }"));
    // The side bar's Edit and Delete run the same commands as the menu items.
    auto* tbEdit = new QAction(ToolIcon(TToolIcon::Edit), QStringLiteral("&Edit selected item..."), this);
    connect(tbEdit, &QAction::triggered, miEditItem, &QAction::trigger);
    auto* tbRemove
        = new QAction(ToolIcon(TToolIcon::Remove), QStringLiteral("&Delete selected items..."), this);
    connect(tbRemove, &QAction::triggered, miDeleteItem, &QAction::trigger);
    SetActionHelp(tbEdit, 1021);
    SetActionHelp(tbRemove, 1022);
    tbEdit->setObjectName(QStringLiteral("tbEdit"));
    tbRemove->setObjectName(QStringLiteral("tbRemove"));
    connect(miEditItem, &QAction::changed, tbEdit,
        [this, tbEdit] { tbEdit->setEnabled(miEditItem->isEnabled()); });
    connect(miDeleteItem, &QAction::changed, tbRemove,
        [this, tbRemove] { tbRemove->setEnabled(miDeleteItem->isEnabled()); });
    tbSkipGroup = new QPushButton(ToolIcon(TToolIcon::SkipGroup), QStringLiteral("Skip &Group"), tbSurvey);
    tbSkipGroup->setFlat(true);
    tbSkipGroup->setIconSize(QSize(20, 20));
    tbSkipGroup->setMenu(new QMenu(tbSkipGroup));
    SetHelpContext(tbSkipGroup, 1023);
    auto* side = new QVBoxLayout(tbSurvey);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(1);
    for (QAction* a : {tbAddQuestion, tbAddHeader, tbEdit, tbRemove})
        side->addWidget(SideButton(a, tbSurvey));
    side->addWidget(tbSkipGroup);
    for (QAction* a : {tbMoveUp, tbMoveDown})
        side->addWidget(SideButton(a, tbSurvey));
    auto* line = new QFrame(tbSurvey);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    side->addWidget(line);
    side->addWidget(SideButton(tbPreviewAsWebPage, tbSurvey));
    side->addStretch(1);

    lbQuestions = new QListView(questions);
    lbQuestions->setObjectName(QStringLiteral("lbQuestions"));
    questionModel = new TQuestionListModel(lbQuestions);
    lbQuestions->setModel(questionModel);
    lbQuestions->setItemDelegate(new TQuestionDelegate(lbQuestions));
    lbQuestions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbQuestions->setUniformItemSizes(false);
    lbQuestions->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lbQuestions->setContextMenuPolicy(Qt::CustomContextMenu);
    lbQuestions->installEventFilter(this);
    SetHelpContext(lbQuestions, 1001, true);
    connect(lbQuestions->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { CheckForButtons(); });
    connect(lbQuestions, &QListView::doubleClicked, miEditItem, &QAction::trigger);
    auto* pmQuestions = new QMenu(lbQuestions);
    pmQuestions->addMenu(miAddtoQuestionLibrary);
    pmQuestions->addAction(miDeleteItem);
    pmQuestions->addAction(miEditItem);
    pmQuestions->addSeparator();
    pmQuestions->addMenu(miApplyResponseTemplate);
    pmQuestions->addSeparator();
    pmQuestions->addAction(QStringLiteral("&What's This?"), this, [this] { ShowWhatsThis(lbQuestions); });
    connect(lbQuestions, &QWidget::customContextMenuRequested, this, [this, pmQuestions](const QPoint& pos) {
        pmQuestions->exec(lbQuestions->viewport()->mapToGlobal(pos));
    });

    auto* qLayout = new QHBoxLayout(questions);
    qLayout->setContentsMargins(2, 2, 2, 2);
    qLayout->addWidget(tbSurvey);
    qLayout->addWidget(lbQuestions, 1);
    pcMain->addTab(questions, QStringLiteral("Questions"));

    // "Analysis": the question combo and the status labels; the charts come with the response data.
    auto* analysis = new QWidget(pcMain);
    auto* lblQuestion = new QLabel(QStringLiteral("&Results for Question:"), analysis);
    cmbQuestionList = new QComboBox(analysis);
    cmbQuestionList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbQuestionList->setMinimumContentsLength(30);
    lblQuestion->setBuddy(cmbQuestionList);
    SetHelpContext(cmbQuestionList, 1101);
    auto* gbResultStatus = new QGroupBox(QStringLiteral("Result Status"), analysis);
    lblLastUpdated = new QLabel(gbResultStatus);
    lblNotificationsSent = new QLabel(gbResultStatus);
    lblResponsesReceived = new QLabel(gbResultStatus);
    auto* statusLayout = new QVBoxLayout(gbResultStatus);
    statusLayout->addWidget(lblLastUpdated);
    statusLayout->addWidget(lblNotificationsSent);
    statusLayout->addWidget(lblResponsesReceived);
    statusLayout->addWidget(ButtonFor(btnUpdateNow, gbResultStatus));
    SetHelpContext(gbResultStatus, 1102);
    auto* gbOptions = new QGroupBox(QStringLiteral("Analysis Options"), analysis);
    lblCurrentFilter = new QLabel(QStringLiteral("Filter: None"), gbOptions);
    auto* optionsLayout = new QVBoxLayout(gbOptions);
    optionsLayout->addWidget(lblCurrentFilter);
    btnSetFilterOptions = NotYet(QStringLiteral("Set F&ilter Options..."));
    btnChartView = NotYet(QStringLiteral("&Chart Toolbox..."));
    btnExportChart = NotYet(QStringLiteral("E&xport to"));
    for (QAction* command : {btnSetFilterOptions, btnChartView, btnExportChart}) {
        auto* button = ButtonFor(command, gbOptions);
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
    pnlAnalysisDisplay = chartArea;

    auto* grid = new QGridLayout(analysis);
    auto* top = new QHBoxLayout;
    top->addWidget(lblQuestion);
    top->addWidget(cmbQuestionList, 1);
    grid->addLayout(top, 0, 0, 1, 2);
    grid->addWidget(chartArea, 1, 0, 2, 1);
    grid->addWidget(gbResultStatus, 1, 1);
    grid->addWidget(gbOptions, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(2, 1);
    pcMain->addTab(analysis, QStringLiteral("Analysis"));
    connect(pcMain, &QTabWidget::currentChanged, this, [this] { CheckForButtons(); });
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

bool TORVMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbQuestions && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete && miDeleteItem->isEnabled()) {
            miDeleteItem->trigger();
            return true;
        }
        if (key == Qt::Key_Insert) {
            tbAddQuestion->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
