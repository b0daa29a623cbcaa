#pragma once

#include "core/interaction/progress.h"

#include <QElapsedTimer>
#include <QProgressDialog>

// Progress of long work started from a window (an export, a web report), in a window-modal
// progress window with a "&Stop" button. The window appears only when the work lasts more than
// half a second; the steps repaint it a few times a second, not at every record. Call Finish()
// when the work is over, whichever way it ended.
class TProgressWindow : public TProgress {
public:
    TProgressWindow(const QString& title, const QString& label, QWidget* parent);

    void Start(int total) override;
    void Step(int done) override;
    void Finish() override;
    bool StopRequested() const override;

    QProgressDialog& Dialog() { return dialog_; }

private:
    QProgressDialog dialog_;
    QElapsedTimer sinceUpdate_;
};
