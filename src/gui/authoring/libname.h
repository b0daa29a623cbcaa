#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the name of something new ("New Library", and new response templates). Has no
// behaviour of its own: callers set the caption and prompt, and read the name after OK.
class TORVLibName : public QDialog {
    Q_OBJECT
public:
    explicit TORVLibName(QWidget* parent = nullptr);

    void SetPrompt(const QString& prompt);
    QString Name() const;

    QLabel* lblPrompt = nullptr;
    QLineEdit* eLibraryName = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
