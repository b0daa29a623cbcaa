#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// "Report Destination": where an analysis report goes, the printer or web pages in a directory.
class TORVDestination : public QDialog {
    Q_OBJECT
public:
    explicit TORVDestination(const QString& directory, QWidget* parent = nullptr);

    bool ToWebPage() const;
    QString Directory() const;

    QRadioButton* rbPrinter = nullptr;
    QRadioButton* rbWebPage = nullptr;
    QLineEdit* eDirectory = nullptr;
    QToolButton* btnSelectDir = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;

private:
    void UpdateControls();
    void btnSelectDirClick();
};
