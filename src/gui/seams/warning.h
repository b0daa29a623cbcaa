#pragma once

#include "core/interaction/messages.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

// The warning dialog behind WarnOnce: a question image, the message in a read-only borderless box,
// "&Don't show this warning again", and Yes, No and Cancel (Cancel also on Esc).
class TORVWarning : public QDialog {
    Q_OBJECT
public:
    explicit TORVWarning(const QString& message, QWidget* parent = nullptr);

    // Shows the dialog modally and returns the button chosen (Cancel when closed otherwise).
    TAnswer Ask();
    bool DontShowAgain() const;

    QPlainTextEdit* memoMessage = nullptr;
    QCheckBox* cbDontShow = nullptr;
    QPushButton* btnYes = nullptr;
    QPushButton* btnNo = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TAnswer answer_ = TAnswer::Cancel;
};
