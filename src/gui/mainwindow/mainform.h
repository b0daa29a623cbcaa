#pragma once

#include "core/authoring/questionrows.h"
#include "core/interaction/progress.h"
#include "core/startup/recentfiles.h"
#include "core/survey/surveychanges.h"
#include "gui/mainwindow/commandregistry.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QComboBox;
class QGridLayout;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolBar;
class TORVAbout;
class TQuestionListModel;
class TResponseTableSeam;
class TSurvey;

// The application's one top-level window and the owner of the open survey. Its code is split by
// concern: mainform.cpp (start-up, settings, close), mainform_commands.cpp (the commands it
// registers), mainform_layout.cpp (menus, tool bars, side bar and pages built from the commands),
// mainform_files.cpp (file commands and guards), mainform_status.cpp (CheckForButtons) and
// mainform_list.cpp (the question list).
//
// Modules that implement a command give it its handler with SetHandler (commandids.h names the
// commands); new commands are added with RegisterCommand. The window follows the survey's change
// notifications, so no command has to bring the window's states up to date itself.
class TORVMainForm : public QMainWindow, private TProgress {
    Q_OBJECT
public:
    // commandLineFile: the survey named on the command line (empty: none). splash: the about box
    // shown during start-up, closed when this window is first shown (may be null).
    explicit TORVMainForm(
        const QString& commandLineFile = {}, TORVAbout* splash = nullptr, QWidget* parent = nullptr);
    ~TORVMainForm() override;

    TSurvey& Survey() { return *survey_; }
    TSurvey& ClipboardSurvey() { return *clipboard_; }
    const TRecentFiles& RecentFiles() const { return recent_; }
    const QStringList& LibraryFiles() const { return libraryFiles_; }
    const QStringList& TempFiles() const { return tempFiles_; }
    // A temporary file deleted when the window closes.
    void AddTempFile(const QString& path) { tempFiles_.append(path); }
    QString DataDirectory() const { return dataDirectory_; }
    QString LastDirSavedTo() const { return lastDirSavedTo_; }
    QString HtmlExtension() const { return htmlExtension_; }
    TResponseTableSeam& ResponseTable();
    // The directory of the last web report (written back to the settings at exit).
    // True while the Questions tab is in front (else the Analysis tab is).
    bool QuestionsPageShown() const;
    QString PathForWebOutput() const { return pathForWebOutput_; }
    void SetPathForWebOutput(const QString& path) { pathForWebOutput_ = path; }
    // Replaces the window's response table; the window owns it.
    void SetResponseTable(std::unique_ptr<TResponseTableSeam> table);
    // Makes the response table of every window created afterwards (the program installs it
    // before the main window exists, so that a survey loaded at start-up opens its table and
    // tallies with progress on the splash screen).
    using TResponseTableFactory = std::function<std::unique_ptr<TResponseTableSeam>(TORVMainForm&)>;
    static void SetResponseTableFactory(TResponseTableFactory factory);

    // --- commands ---
    QAction* RegisterCommand(TCommand command);
    // Puts a handler behind a registered command (in place of the "not available yet" box); the
    // command's menu entries and buttons stay connected. False when the id is unknown.
    bool SetHandler(const QString& id, std::function<void()> handler);
    QAction* Command(const QString& id) const;
    // The menu of a submenu command (Reopen, Import, Apply Response Template, ...).
    QMenu* CommandMenu(const QString& id) const;

    // Rebuild the list; bring every command state, status text and the title up to date. The
    // window calls CheckForButtons itself whenever the survey announces a change.
    void RefreshQuestionList();
    void CheckForButtons();
    // Guards before the survey is replaced or changed; true means "go on".
    bool ConfirmSave();
    bool ConfirmSaveBeforePublish();
    bool ConfirmChangesToPublished();
    void AddToRecentFiles(const QString& path);

    // File commands; each returns false when it stopped (cancelled or failed).
    bool FileNew();
    bool FileOpen();
    bool FileSave();
    bool SaveSurveyAs();
    bool Reopen(const QString& path);
    bool OpenDroppedFile(const QString& path);
    void Preview();

    // The chart background the analysis draws on (kept in the settings between runs).
    struct TChartBackground {
        bool Solid = true;
        int SolidColor = 0;
        int FromColor = 0;
        int ToColor = 0;
        int Direction = 0;
    };
    TChartBackground ChartBackground() const;
    void SetChartBackground(const TChartBackground& background);

    // The analysis module's display in the analysis tab (in place of the window's placeholder), and
    // the tab's question list it follows.
    void SetAnalysisDisplay(QWidget* display);
    QComboBox* AnalysisQuestionList() const { return cmbQuestionList; }

    // What an entry of the "Add to Question Library" submenu runs; it gets the library's path.
    void SetAddToLibraryHandler(std::function<void(const QString& libraryPath)> handler);
    // Re-reads the question libraries and response templates of the data directory (the library
    // submenu follows).
    void ListLibraries();
    // A new data directory (ending in "/"): kept, written at close, and the lists re-read from it.
    void SetDataDirectory(const QString& directory);
    void SetHtmlExtension(const QString& extension) { htmlExtension_ = extension; }

Q_SIGNALS:
    void DataDirectoryChanged(const QString& directory);

public:
    // --- the question list ---
    std::vector<int> SelectedRows() const;
    void SelectRows(const std::vector<int>& rows);
    // The row with the focus (the first selected when none has it); -1 when none.
    int FocusedRow() const;
    void ScrollToRow(int row);
    // The list's scroll position, so that the rows in view stay in view after a command.
    int ListScrollPosition() const;
    void SetListScrollPosition(int position);
    TSkipGroupOffer SkipGroupButtonOffer() const { return skipGroupOffer_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // start-up (mainform.cpp)
    void RestoreBounds();
    void ReadSettings();
    void FurnishDataDirectory();
    void LoadStartupSurvey(const QString& commandLineFile);
    void CreateStatusProgress();
    void WriteSettings();
    void DeleteTempFiles();
    void ShowTipOfDay();
    void ShowAbout();
    void FollowSurveyChanges();
    void SurveyChanged();
    // TProgress: the splash screen while it is up, else the status bar.
    void Start(int total) override;
    void Step(int done) override;
    void Finish() override;

    // commands (mainform_commands.cpp) and what shows them (mainform_layout.cpp)
    void RegisterFileCommands();
    void RegisterEditCommands();
    void RegisterSurveyCommands();
    void RegisterHelpCommands();
    void CreateMenus();
    void CreateToolbars();
    void CreatePages();
    QWidget* CreateQuestionsPage();
    QWidget* CreateSideBar(QWidget* parent);
    QWidget* CreateAnalysisPage();
    void CreateQuestionsPopup();
    void CreateStatusBar();
    void RebuildReopenMenu();
    bool IsPlainKey(const QKeyEvent& event, int key) const;

    // file commands (mainform_files.cpp)
    bool LoadSurvey(const QString& path);
    bool SaveToFile();
    bool SaveCopyAs(const QString& path);
    void ResetForNewSurvey();
    bool ReplaceSurveyWith(const QString& path);

    // status (mainform_status.cpp)
    std::vector<int> SelectedItemRows() const;
    TCommandState CurrentCommandState(const std::vector<int>& selected) const;
    void UpdateCommandStates();
    void UpdateSkipGroupButton(const std::vector<int>& selected);
    void UpdateStatusTexts();

    std::unique_ptr<TSurvey> survey_;
    std::unique_ptr<TSurvey> clipboard_;
    std::unique_ptr<TResponseTableSeam> responses_;
    TCommandRegistry* commands_ = nullptr;
    TORVAbout* splash_ = nullptr;
    TRecentFiles recent_;
    QStringList libraryFiles_;
    QStringList tempFiles_;
    QString dataDirectory_;
    QString lastDirSavedTo_;
    QString pathForWebOutput_;
    QString htmlExtension_;
    bool useSolidBackground_ = true;
    int solidBackgroundColor_ = 0;
    int fromColor_ = 0;
    int toColor_ = 0;
    int gradientDirection_ = 0;
    std::function<void(const QString&)> addToLibrary_;
    bool shownOnce_ = false;
    bool closing_ = false;
    TSkipGroupOffer skipGroupOffer_ = TSkipGroupOffer::None;
    int surveyListener_ = 0;
    int clipboardListener_ = 0;
    int commandsRunning_ = 0;
    bool refreshPending_ = false;

    // controls
    QTabWidget* pcMain = nullptr;
    QListView* lbQuestions = nullptr;
    TQuestionListModel* questionModel = nullptr;
    QToolBar* tbMain = nullptr;
    QWidget* tbSurvey = nullptr; // the side bar of list commands
    QPushButton* tbSkipGroup = nullptr;
    QComboBox* cmbQuestionList = nullptr;
    QGridLayout* analysisGrid_ = nullptr;
    QPointer<QWidget> analysisPlaceholder_;
    QPointer<QWidget> pnlAnalysisDisplay;
    QLabel* lblLastUpdated = nullptr;
    QLabel* lblNotificationsSent = nullptr;
    QLabel* lblResponsesReceived = nullptr;
    QLabel* lblCurrentFilter = nullptr;
    QLabel* pnlStatus[3] = {nullptr, nullptr, nullptr};
    QProgressBar* pbStatus = nullptr;
};
