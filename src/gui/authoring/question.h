#pragma once

#include "core/authoring/listediting.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// "Question Details": the editor of one question. Created once and reused for every Add and
// Edit; the main window fills it, shows it and reads it back, the editor never touches the survey.
// Controls keep the values of the previous use except what ResetEditor clears.
class TORVQuestion : public QDialog {
    Q_OBJECT
public:
    explicit TORVQuestion(const QString& dataDirectory, QWidget* parent = nullptr);

    // The pages of nbStyle.
    enum TPage { pgResponses = 0, pgFullText = 1, pgNumeric = 2 };

    // A new question: the "Responses" page, Single Select, empty text and responses, no
    // other-specify. Everything else stays as the last use left it.
    void ResetEditor();
    // Fills the controls for Edit in the order that lets the stored step survive the automatic
    // step: text, style, options, other, comments, the length choice, minimum, maximum, step.
    void Fill(const TEditorValues& values);
    TEditorValues Values() const;
    // Shows the page of the chosen style.
    void ShowStylePage();
    bool ResponsesPageShown() const;

    // Re-reads the response templates of the data directory and rebuilds "Insert from Template".
    void LoadTemplateList();
    const QStringList& TemplateList() const { return templates_; }
    QString DataDirectory() const { return dataDirectory_; }
    // Another data directory (ending in "/"): its response templates are read.
    void SetDataDirectory(const QString& dataDirectory);
    // Replaces the responses with the options of the template at this position of the list.
    void InsertFromTemplate(int position);
    // The response template dialog with the current lines; a new template file on OK.
    void SaveToTemplate();

    QPlainTextEdit* memoText = nullptr;
    QComboBox* cmbStyle = nullptr;
    QStackedWidget* nbStyle = nullptr;
    QPlainTextEdit* memoResponses = nullptr;
    QPushButton* btnOptions = nullptr;
    QCheckBox* cbIncludeSpecify = nullptr;
    QLabel* lblOtherLength = nullptr;
    QLabel* lblOtherRange = nullptr;
    QLineEdit* eOtherLength = nullptr;
    QCheckBox* cbIncludeComment = nullptr;
    QLabel* lblCommentLength = nullptr;
    QLabel* lblCommentRange = nullptr;
    QLineEdit* eCommentLength = nullptr;
    QRadioButton* rbLimited = nullptr;
    QLineEdit* eLengthOfResponse = nullptr;
    QRadioButton* rbVerbose = nullptr;
    QLineEdit* eMinValue = nullptr;
    QLineEdit* eMaxValue = nullptr;
    QLineEdit* eStepValue = nullptr;
    QLabel* lblStepGroup = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
    QMenu* pmOptions = nullptr;
    QMenu* miInsertFromTemplate = nullptr;
    QAction* miClearAll = nullptr;
    QAction* miSaveToTemplate = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AssignHelpContexts();
    QWidget* CreateResponsesPage();
    QWidget* CreateFullTextPage();
    QWidget* CreateNumericPage();
    void UpdateLengthControls();
    void MinMaxChanged();
    void StepChanged();
    void btnOKClick();

    QString dataDirectory_;
    QStringList templates_;
};
