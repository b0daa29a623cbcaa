#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Response Template": names a list of response lines before it is saved as a new template.
// OK is enabled only while both the description and the responses hold something.
class TORVrt : public QDialog {
    Q_OBJECT
public:
    explicit TORVrt(QWidget* parent = nullptr);

    QLineEdit* eTemplateName = nullptr;
    QPlainTextEdit* memoResponses = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void UpdateOK();
};
