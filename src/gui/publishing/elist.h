#pragma once

// TORVEList ("Email List Manager"): a modeless window that creates, opens, edits, sorts,
// searches, prints, imports and exports one e-mail list at a time. Every opening makes a new
// window, which frees itself when closed. Changes go to the file as they are made.

#include "core/publishing/emaillist.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QTableView;
class TEmailListModel;

class TORVEList : public QMainWindow {
    Q_OBJECT
public:
    // Opens the survey's list (`notificationFile`) when that file exists, else default.eml in the
    // data directory (created when missing).
    TORVEList(const QString& notificationFile, const QString& dataDirectory, QWidget* parent = nullptr);
    ~TORVEList() override;

    // False (after the error box; the window then closes) when the list cannot be opened.
    bool OpenList(const QString& path);
    bool CreateList(const QString& path);

    TEmailList& List() { return list_; }
    TEmailListModel* Model() const { return model_; }
    QString OrderLabel() const;

    // Commands (public for the menu, the toolbar and the tests).
    void NewList();
    void OpenListCommand();
    void SaveListAs();
    void ImportText();
    void ExportText();
    void PrintList();
    void AddAddress();
    void EditAddress();
    void DeleteSelected();
    void FindText();
    void SortByColumn(int column);
    void UpdateCommandStates();

    QTableView* grid = nullptr;
    QLabel* lblFind = nullptr;
    QLineEdit* eFind = nullptr;
    QLabel* pnlStatus[2] = {nullptr, nullptr};
    QAction* miFileNew = nullptr;
    QAction* miFileOpen = nullptr;
    QAction* miFileImport = nullptr;
    QAction* miFileExport = nullptr;
    QAction* miFileSaveAs = nullptr;
    QAction* miFilePrint = nullptr;
    QAction* miFilePrintSetup = nullptr;
    QAction* miFileClose = nullptr;
    QAction* miEditAdd = nullptr;
    QAction* miEditEdit = nullptr;
    QAction* miEditDelete = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateCentral();
    void RestoreBounds();
    void StoreBounds();
    void RefreshLabels();
    void Reload();
    void FailAndClose(const QString& message);
    std::vector<int> SelectedRecords() const;
    QString ListDirectory() const;

    TEmailList list_;
    TEmailListModel* model_ = nullptr;
    QString dataDirectory_;
};

// Opens a new list manager window for the survey's list (the main window's command and the
// survey properties' e-mail list button). `listName`, when not empty, is opened or created in it.
TORVEList* OpenEmailListManager(QWidget* parent, const QString& notificationFile,
    const QString& dataDirectory, const QString& listName = {});
