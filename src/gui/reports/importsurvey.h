#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

// "Import Survey from Text File": the style every imported question gets.
class TORVImportSurvey : public QDialog {
    Q_OBJECT
public:
    explicit TORVImportSurvey(QWidget* parent = nullptr);
    int Style() const; // 1, 2, 3 or 5

    QComboBox* cmbStyle = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
};
