#include "gui/mainwindow/mainform.h"

#include "core/authoring/stocktemplates.h"
#include "core/base/inisettings.h"
#include "core/base/profilefile.h"
#include "core/base/settingstable.h"
#include "core/interaction/messages.h"
#include "core/startup/datadir.h"
#include "core/startup/filetype.h"
#include "core/survey/survey.h"
#include "gui/authoring/listcommands.h"
#include "gui/authoring/surveycommands.h"
#include "gui/help/about.h"
#include "gui/help/tipofday.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "gui/mainwindow/responseseam.h"
#include "gui/settings/prefscommand.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

namespace {

QString WithoutTrailingSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

TORVMainForm::TResponseTableFactory& Factory()
{
    static TORVMainForm::TResponseTableFactory factory;
    return factory;
}

std::unique_ptr<TResponseTableSeam> MakeResponseTable(TORVMainForm& form)
{
    std::unique_ptr<TResponseTableSeam> table;
    if (Factory())
        table = Factory()(form);
    if (!table)
        table = std::make_unique<TNoResponseTable>();
    return table;
}

} // namespace

void TORVMainForm::SetResponseTableFactory(TResponseTableFactory factory)
{
    Factory() = std::move(factory);
}

TORVMainForm::TORVMainForm(const QString& commandLineFile, TORVAbout* splash, QWidget* parent)
    : QMainWindow(parent)
    , responses_(std::make_unique<TNoResponseTable>())
    , splash_(splash)
{
    setObjectName(QStringLiteral("ORVMainForm"));
    survey_ = std::make_unique<TSurvey>(&AppSettings());
    clipboard_ = std::make_unique<TSurvey>(&AppSettings());
    survey_->NewSurvey();
    clipboard_->NewSurvey();

    commands_ = new TCommandRegistry(this);
    connect(commands_, &TCommandRegistry::CommandStarted, this, [this] { ++commandsRunning_; });
    connect(commands_, &TCommandRegistry::CommandFinished, this, [this] {
        if (--commandsRunning_ == 0)
            CheckForButtons();
    });
    RegisterFileCommands();
    RegisterEditCommands();
    RegisterSurveyCommands();
    RegisterHelpCommands();
    CreateMenus();
    CreatePages();
    CreateToolbars();
    CreateStatusBar();
    RestoreBounds();
    ReadSettings();
    // The response table's module registers its commands here, before a survey is loaded (and
    // after the settings, which hold the analysis chart's background).
    responses_ = MakeResponseTable(*this);
    WriteDefaultTemplates(dataDirectory_);
    ListLibraries();
    recent_.Load(AppSettings());
    setAcceptDrops(true);
    RegisterFileType(QCoreApplication::applicationFilePath());
    LoadStartupSurvey(commandLineFile);
    CreateStatusProgress();
    WriteDefaultTemplates(dataDirectory_);
    // The list's editing commands, with the question and header editors they reuse.
    new TORVListCommands(*this);
    // Properties, the question library and the wizard; the preferences.
    new TORVSurveyCommands(*this);
    ConnectPreferences(*this);
    FollowSurveyChanges();
    RefreshQuestionList();
    CheckForButtons();
}

TORVMainForm::~TORVMainForm()
{
    survey_->Changes().RemoveListener(surveyListener_);
    clipboard_->Changes().RemoveListener(clipboardListener_);
    responses_->Close();
}

void TORVMainForm::FollowSurveyChanges()
{
    surveyListener_ = survey_->Changes().AddListener([this](TSurveyChanges) { SurveyChanged(); });
    clipboardListener_ = clipboard_->Changes().AddListener([this](TSurveyChanges) { SurveyChanged(); });
}

// Inside a command the states are brought up to date once, when it finishes.
void TORVMainForm::SurveyChanged()
{
    if (commandsRunning_ == 0)
        CheckForButtons();
}

QAction* TORVMainForm::RegisterCommand(TCommand command)
{
    return commands_->Register(std::move(command));
}

bool TORVMainForm::SetHandler(const QString& id, std::function<void()> handler)
{
    return commands_->SetHandler(id, std::move(handler));
}

QAction* TORVMainForm::Command(const QString& id) const
{
    return commands_->Action(id);
}

QMenu* TORVMainForm::CommandMenu(const QString& id) const
{
    return commands_->Menu(id);
}

TResponseTableSeam& TORVMainForm::ResponseTable()
{
    return *responses_;
}

void TORVMainForm::SetResponseTable(std::unique_ptr<TResponseTableSeam> table)
{
    responses_ = table ? std::move(table) : std::make_unique<TNoResponseTable>();
    survey_->Changes().Notify(TSurveyChange::Responses);
}

TORVMainForm::TChartBackground TORVMainForm::ChartBackground() const
{
    return {useSolidBackground_, solidBackgroundColor_, fromColor_, toColor_, gradientDirection_};
}

void TORVMainForm::SetChartBackground(const TChartBackground& background)
{
    useSolidBackground_ = background.Solid;
    solidBackgroundColor_ = background.SolidColor;
    fromColor_ = background.FromColor;
    toColor_ = background.ToColor;
    gradientDirection_ = background.Direction;
}

void TORVMainForm::RestoreBounds()
{
    const TSettings& s = AppSettings();
    const int top = s.ReadInteger(settings::WindowDetails, settings::Top, settings::NotStored);
    if (top == settings::NotStored) {
        resize(600, 450);
        if (const QScreen* screen = QApplication::primaryScreen()) {
            QRect frame(QPoint(0, 0), QSize(600, 450));
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        return;
    }
    const int left = s.ReadInteger(settings::WindowDetails, settings::Left, 10);
    const int width = s.ReadInteger(settings::WindowDetails, settings::Width, 600);
    const int height = s.ReadInteger(settings::WindowDetails, settings::Height, 450);
    move(left, top);
    resize(qMax(width, 200), qMax(height, 150));
    if (s.ReadBool(settings::WindowDetails, settings::Maximized, false))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TORVMainForm::ReadSettings()
{
    const TSettings& s = AppSettings();
    lastDirSavedTo_ = WithoutTrailingSlash(
        s.ReadString(settings::ApplicationDetails, settings::LastDirSavedTo, QDir::homePath()));
    dataDirectory_ = WithTrailingSlash(
        s.ReadString(settings::ApplicationDetails, settings::DataDirectory, DefaultDataDirectory()));
    FurnishDataDirectory();
    pathForWebOutput_ = s.ReadString(settings::ApplicationDetails, settings::PathForWebOutput, QString());
    htmlExtension_
        = s.ReadInteger(settings::Preferences, settings::DefaultHTML, settings::DefaultDefaultHTML) == 1
        ? QStringLiteral(".html")
        : QStringLiteral(".htm");
    useSolidBackground_ = s.ReadBool(
        settings::ApplicationDetails, settings::UseSolidBackground, settings::DefaultUseSolidBackground);
    solidBackgroundColor_ = s.ReadInteger(
        settings::ApplicationDetails, settings::SolidBackgroundColor, settings::DefaultSolidBackgroundColor);
    fromColor_ = s.ReadInteger(settings::ApplicationDetails, settings::FromColor, settings::DefaultFromColor);
    toColor_ = s.ReadInteger(settings::ApplicationDetails, settings::ToColor, settings::DefaultToColor);
    gradientDirection_ = s.ReadInteger(
        settings::ApplicationDetails, settings::GradientDirection, settings::DefaultGradientDirection);
}

void TORVMainForm::ListLibraries()
{
    libraryFiles_.clear();
    QMenu* addToLibrary = CommandMenu(cmd::AddToQuestionLibrary);
    addToLibrary->clear();
    const QStringList files
        = QDir(dataDirectory_).entryList({QStringLiteral("*.ovl")}, QDir::Files, QDir::NoSort);
    for (const QString& name : files) {
        const QString path = dataDirectory_ + name;
        const TProfileFile library(path);
        const QString caption = library.ReadString(
            QStringLiteral("Details"), QStringLiteral("Name"), QStringLiteral("Unknown"));
        libraryFiles_.append(path);
        QAction* entry = addToLibrary->addAction(caption);
        connect(entry, &QAction::triggered, this, [this, path] {
            if (addToLibrary_)
                addToLibrary_(path);
            else
                ShowNotAvailable(QStringLiteral("Add to Question Library"));
        });
    }
    // The response templates of the data directory, by their titles.
    QMenu* applyTemplate = CommandMenu(cmd::ApplyResponseTemplate);
    applyTemplate->clear();
    const QStringList templates
        = QDir(dataDirectory_)
              .entryList({QStringLiteral("*.ovt")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : templates) {
        const TProfileFile responseTemplate(dataDirectory_ + name);
        const QString caption
            = responseTemplate.ReadString(QStringLiteral("Details"), QStringLiteral("Title"), name);
        QAction* entry = applyTemplate->addAction(caption);
        connect(entry, &QAction::triggered, this,
            [] { ShowNotAvailable(QStringLiteral("Apply Response Template")); });
    }
}

void TORVMainForm::SetAddToLibraryHandler(std::function<void(const QString&)> handler)
{
    addToLibrary_ = std::move(handler);
}

// A data directory that does not exist yet, or is empty, is a first start (or a moved one): it gets
// the installed templates, libraries, tips and help.
void TORVMainForm::FurnishDataDirectory()
{
    if (!QFileInfo(dataDirectory_).isDir() || QDir(dataDirectory_).isEmpty())
        SeedDataDirectory(dataDirectory_, InstalledDataSource());
}

void TORVMainForm::SetDataDirectory(const QString& directory)
{
    const QString changed = WithTrailingSlash(directory);
    if (changed == dataDirectory_)
        return;
    dataDirectory_ = changed;
    FurnishDataDirectory();
    WriteDefaultTemplates(dataDirectory_);
    ListLibraries();
    Q_EMIT DataDirectoryChanged(dataDirectory_);
    CheckForButtons();
}

void TORVMainForm::LoadStartupSurvey(const QString& commandLineFile)
{
    QString path;
    if (!commandLineFile.isEmpty()) {
        // A named file that does not exist is ignored, and AutoReopen is not consulted then.
        if (QFileInfo::exists(commandLineFile))
            path = QFileInfo(commandLineFile).absoluteFilePath();
    } else if (AppSettings().ReadBool(
                   settings::Preferences, settings::AutoReopen, settings::DefaultAutoReopen)) {
        const QString last
            = AppSettings().ReadString(settings::ApplicationDetails, settings::LastOpenFile, {});
        if (!last.isEmpty() && QFileInfo::exists(last))
            path = last;
    }
    if (!path.isEmpty())
        LoadSurvey(path);
}

void TORVMainForm::CreateStatusProgress()
{
    QLabel* panel = pnlStatus[0];
    pbStatus = new QProgressBar(panel);
    pbStatus->setObjectName(QStringLiteral("pbStatus"));
    pbStatus->setTextVisible(false);
    // Inside the first panel: 2 pixels from the left, 4 from the top, 3 from the bottom.
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(2, 4, 2, 3);
    layout->addWidget(pbStatus);
    pbStatus->hide();
}

void TORVMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (splash_) {
        splash_->close();
        splash_ = nullptr;
    }
    pcMain->setCurrentIndex(0);
    RefreshQuestionList();
    CheckForButtons();
    if (AppSettings().ReadBool(settings::Preferences, settings::TipAtStartup, settings::DefaultTipAtStartup))
        ShowTipOfDay();
}

void TORVMainForm::ShowTipOfDay()
{
    auto* tip = new TORVTipOfDay(dataDirectory_, this);
    tip->show();
}

// The about box of the Help menu, centred on the screen like the splash screen.
void TORVMainForm::ShowAbout()
{
    TORVAbout about(this);
    about.CentreOnScreen();
    about.exec();
}

void TORVMainForm::closeEvent(QCloseEvent* event)
{
    if (!ConfirmSave()) {
        event->ignore();
        return;
    }
    WriteSettings();
    DeleteTempFiles();
    // Tip windows write their state when they go.
    for (TORVTipOfDay* tip : findChildren<TORVTipOfDay*>())
        tip->close();
    event->accept();
}

void TORVMainForm::WriteSettings()
{
    TSettings& s = AppSettings();
    const Qt::WindowStates state = windowState();
    if (!(state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
        const QRect frame = frameGeometry();
        s.WriteInteger(settings::WindowDetails, settings::Top, frame.top());
        s.WriteInteger(settings::WindowDetails, settings::Left, frame.left());
        s.WriteInteger(settings::WindowDetails, settings::Width, width());
        s.WriteInteger(settings::WindowDetails, settings::Height, height());
    }
    s.WriteBool(settings::WindowDetails, settings::Maximized, state & Qt::WindowMaximized);
    s.WriteString(settings::ApplicationDetails, settings::LastDirSavedTo, lastDirSavedTo_);
    s.WriteString(settings::ApplicationDetails, settings::DataDirectory, dataDirectory_);
    s.WriteString(settings::ApplicationDetails, settings::LastOpenFile, survey_->FileName());
    s.WriteString(settings::ApplicationDetails, settings::PathForWebOutput, pathForWebOutput_);
    s.WriteBool(settings::ApplicationDetails, settings::UseSolidBackground, useSolidBackground_);
    s.WriteInteger(settings::ApplicationDetails, settings::SolidBackgroundColor, solidBackgroundColor_);
    s.WriteInteger(settings::ApplicationDetails, settings::FromColor, fromColor_);
    s.WriteInteger(settings::ApplicationDetails, settings::ToColor, toColor_);
    s.WriteInteger(settings::ApplicationDetails, settings::GradientDirection, gradientDirection_);
    recent_.Save(s);
    if (auto* ini = dynamic_cast<TIniSettings*>(&s))
        ini->Flush();
}

void TORVMainForm::DeleteTempFiles()
{
    for (const QString& file : std::as_const(tempFiles_))
        QFile::remove(file);
    tempFiles_.clear();
}

void TORVMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TORVMainForm::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    // Only the first dropped file is taken.
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    OpenDroppedFile(urls.first().toLocalFile());
}

void TORVMainForm::Start(int total)
{
    if (splash_ && splash_->isVisible()) {
        splash_->Start(total);
    } else if (pbStatus) {
        pnlStatus[1]->setText(QStringLiteral("Analyzing Results - Please Wait"));
        pbStatus->setRange(0, qMax(total, 1));
        pbStatus->setValue(0);
        pbStatus->show();
    }
}

void TORVMainForm::Step(int done)
{
    if (splash_ && splash_->isVisible()) {
        splash_->Step(done);
    } else if (pbStatus) {
        pbStatus->setValue(done);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void TORVMainForm::Finish()
{
    if (splash_)
        splash_->Finish();
    if (pbStatus)
        pbStatus->hide();
}
