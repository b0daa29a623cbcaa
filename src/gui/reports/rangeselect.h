#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;

// "Select Range": the web report for the selected question only, or for all questions.
class TORVRangeSelect : public QDialog {
    Q_OBJECT
public:
    // Without a selected question the first choice is offered disabled.
    explicit TORVRangeSelect(QWidget* parent = nullptr, bool questionSelected = true);
    bool SelectedOnly() const;

    QRadioButton* rbSelected = nullptr;
    QRadioButton* rbAll = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
