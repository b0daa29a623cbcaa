#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// "Header Details": the editor of one header, created once and reused.
class TORVHeader : public QDialog {
    Q_OBJECT
public:
    explicit TORVHeader(QWidget* parent = nullptr);

    QPlainTextEdit* memoText = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
};
