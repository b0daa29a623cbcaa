#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// "Skip Group": shows the rows to be skipped and the owner question, and asks for the owner's
// response that skips them. OK is enabled only while a response is chosen.
class TORVSkipGroup : public QDialog {
    Q_OBJECT
public:
    // memberRows: the row texts of the selected rows; ownerRow: the owner's row text;
    // options: the owner's options as stored.
    TORVSkipGroup(const QStringList& memberRows, const QString& ownerRow, const QStringList& options,
        QWidget* parent = nullptr);

    // The chosen option's index, -1 when none.
    int Response() const;

    QListWidget* lbQuestions = nullptr;
    QLabel* lblQuestion = nullptr;
    QComboBox* cmbResponses = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
