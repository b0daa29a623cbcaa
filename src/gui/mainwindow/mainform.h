#pragma once

#include "core/startup/recentfiles.h"
#include "core/authoring/questionrows.h"
#include "core/interaction/progress.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
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
// concern: mainform.cpp (start-up, settings, close), mainform_actions.cpp (menus and toolbars),
// mainform_files.cpp (file commands and guards), mainform_status.cpp (CheckForButtons) and
// mainform_list.cpp (the question list).
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
    // Replaces the window's response table; the window owns it.
    void SetResponseTable(std::unique_ptr<TResponseTableSeam> table);
    // Makes the response table of every window created afterwards (the program installs it
    // before the main window exists, so that a survey loaded at start-up opens its table).
    using TResponseTableFactory = std::function<std::unique_ptr<TResponseTableSeam>()>;
    static void SetResponseTableFactory(TResponseTableFactory factory);

    // Rebuild the list and bring every command state, status text and the title up to date.
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

    // Connects a command to its handler in place of the "not available yet" box; for the modules
    // that implement the window's commands (editing, library, publishing, ...).
    void SetCommand(QAction* command, std::function<void()> handler);

    std::vector<int> SelectedRows() const;
    void SelectRows(const std::vector<int>& rows);
    TSkipGroupOffer SkipGroupButtonOffer() const { return skipGroupOffer_; }

    // Controls (public so that tests and the later dialogs of this window can reach them).
    QTabWidget* pcMain = nullptr;
    QListView* lbQuestions = nullptr;
    TQuestionListModel* questionModel = nullptr;
    QToolBar* tbMain = nullptr;
    QWidget* tbSurvey = nullptr; // the side bar of list commands
    QComboBox* cmbQuestionList = nullptr;
    QLabel* lblLastUpdated = nullptr;
    QLabel* lblNotificationsSent = nullptr;
    QLabel* lblResponsesReceived = nullptr;
    QLabel* lblCurrentFilter = nullptr;
    QLabel* pnlStatus[3] = {nullptr, nullptr, nullptr};
    QProgressBar* pbStatus = nullptr;

    QAction* miFileNew = nullptr;
    QAction* miFileOpen = nullptr;
    QMenu* miFileReopen = nullptr;
    QAction* miFileSave = nullptr;
    QAction* miFileSaveAs = nullptr;
    QMenu* miFileImport = nullptr;
    QAction* miImportQuestions = nullptr;
    QAction* miImportServerDataFile = nullptr;
    QMenu* miFileExport = nullptr;
    QAction* miFilePrint = nullptr;
    QAction* miFileExit = nullptr;
    QAction* miEditCut = nullptr;
    QAction* miEditCopy = nullptr;
    QAction* miEditPaste = nullptr;
    QAction* miEditItem = nullptr;
    QAction* miDeleteItem = nullptr;
    QMenu* miAddtoQuestionLibrary = nullptr;
    QMenu* miApplyResponseTemplate = nullptr;
    QAction* miTemplateManager = nullptr;
    QAction* miPreferences = nullptr;
    QAction* miRawResultsEditing = nullptr;
    QAction* miSurveyProperties = nullptr;
    QAction* miSurveyQuestionLibrary = nullptr;
    QAction* miSurveyBuilderWizard = nullptr;
    QAction* miPublishSurvey = nullptr;
    QAction* miSurveyEmailLists = nullptr;
    QAction* miResetLocalResponses = nullptr;
    QAction* miClearResultsFromServer = nullptr;
    QAction* miWhatsThis = nullptr;
    QAction* tbPreview = nullptr;
    QAction* tbPreviewAsWebPage = nullptr;
    QAction* tbAddQuestion = nullptr;
    QAction* tbAddHeader = nullptr;
    QAction* tbMoveUp = nullptr;
    QAction* tbMoveDown = nullptr;
    QPushButton* tbSkipGroup = nullptr;
    QAction* miCreateSkipGroup = nullptr;
    QAction* miUngroupSkipGroup = nullptr;
    QAction* btnUpdateNow = nullptr;
    QAction* btnSetFilterOptions = nullptr;
    QAction* btnChartView = nullptr;
    QAction* btnExportChart = nullptr;
    // Where the analysis display goes (a placeholder until the analysis module replaces it).
    QWidget* pnlAnalysisDisplay = nullptr;

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
    void ListLibraries();
    void LoadStartupSurvey(const QString& commandLineFile);
    void CreateStatusProgress();
    void WriteSettings();
    void DeleteTempFiles();
    void ShowTipOfDay();
    // TProgress: the splash screen while it is up, else the status bar.
    void Start(int total) override;
    void Step(int done) override;
    void Finish() override;

    // menus and toolbars (mainform_actions.cpp)
    void CreateActions();
    void CreateMenus();
    void CreateToolbars();
    void CreatePages();
    void CreateStatusBar();
    QAction* NotYet(const QString& caption, const QKeySequence& shortcut = {});
    void RebuildReopenMenu();

    // file commands (mainform_files.cpp)
    bool LoadSurvey(const QString& path);
    bool SaveToFile();
    bool SaveCopyAs(const QString& path);
    void ResetForNewSurvey();
    bool ReplaceSurveyWith(const QString& path);

    // status (mainform_status.cpp)
    void UpdateCommandStates();
    void UpdateStatusTexts();

    std::unique_ptr<TSurvey> survey_;
    std::unique_ptr<TSurvey> clipboard_;
    std::unique_ptr<TResponseTableSeam> responses_;
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
    bool shownOnce_ = false;
    bool closing_ = false;
    TSkipGroupOffer skipGroupOffer_ = TSkipGroupOffer::None;
};
