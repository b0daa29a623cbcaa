#pragma once

#include "core/authoring/questionlibrary.h"

#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QListView;
class QPushButton;
class QToolButton;
class TORVMainForm;
class TQuestionListModel;
class TSurvey;

// "Question Library": browses the libraries of the data directory, inserts their items at the end
// of the open survey, edits and deletes library items (saved at once), creates and deletes
// libraries. The open library is a survey of its own, owned by the dialog.
class TORVql : public QDialog {
    Q_OBJECT
public:
    explicit TORVql(TORVMainForm& form);
    ~TORVql() override;

    // The path of the open library (empty when none is open).
    QString LibraryPath() const { return libraryPath_; }
    const TSurvey& Library() const { return *library_; }

    void ChooseLibrary(int index);
    void Insert();
    void EditItem();
    void DeleteItems();
    void NewLibrary();
    void DeleteLibrary();

    QComboBox* cmbLibraryName = nullptr;
    QToolButton* btnNewLibrary = nullptr;
    QToolButton* btnDeleteLibrary = nullptr;
    QListView* lbQuestions = nullptr;
    TQuestionListModel* questionModel = nullptr;
    QPushButton* btnInsert = nullptr;
    QPushButton* btnEditItem = nullptr;
    QPushButton* btnDeleteItem = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void CreateControls();
    void LayOut();
    // Re-reads the libraries and chooses the one at `path` (none when it is not listed).
    void RebuildLibraryList(const QString& path);
    void OpenLibrary(const QString& path);
    void FillItems();
    void CheckButtons();
    bool RefuseChangesToPartLibrary() const;
    bool SaveLibrary();
    std::vector<int> SelectedRows() const;
    void SelectRow(int row);
    int FocusedRow() const;

    TORVMainForm& form_;
    std::unique_ptr<TSurvey> library_;
    std::vector<TLibraryEntry> libraries_;
    QString libraryPath_;
    bool readInPart_ = false;
};
