#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

// "Orvalle tip of the day": a modeless window that stays on top. Each opening shows the tip after
// the one shown last time; the index shown, the start-up check box and the position are written
// back when the window is destroyed.
class TORVTipOfDay : public QDialog {
    Q_OBJECT
public:
    // Reads "tips.txt" of the data directory (one tip a line, "&CR;" for a line break).
    explicit TORVTipOfDay(const QString& dataDirectory, QWidget* parent = nullptr);
    ~TORVTipOfDay() override;

    void NextTip();
    void PreviousTip();
    int TipIndex() const { return index_; }
    const QStringList& Tips() const { return tips_; }

    QPlainTextEdit* memoTip = nullptr;
    QCheckBox* cbTipsAtStartup = nullptr;
    QPushButton* btnPrevious = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnClose = nullptr;

    static QString MissingTipsText();

private:
    void ShowTip();
    void SaveState();

    QStringList tips_;
    int index_ = -1;
};
