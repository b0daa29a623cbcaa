#include "gui/widgets/progresswindow.h"

namespace {

constexpr int kUpdateMs = 100;

} // namespace

TProgressWindow::TProgressWindow(const QString& title, const QString& label, QWidget* parent)
    : dialog_(label, QStringLiteral("&Stop"), 0, 0, parent)
{
    dialog_.setWindowTitle(title);
    dialog_.setMinimumWidth(360); // room for the bar beside a short label
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(500);
    dialog_.setAutoReset(false);
    dialog_.setAutoClose(false);
}

void TProgressWindow::Start(int total)
{
    dialog_.setRange(0, qMax(total, 1));
    dialog_.setValue(0);
    sinceUpdate_.start();
}

void TProgressWindow::Step(int done)
{
    // A window-modal progress window handles the pending events at each new value (that is
    // how Stop is heard), which is too dear for every record.
    if (sinceUpdate_.isValid() && sinceUpdate_.elapsed() < kUpdateMs && done < dialog_.maximum())
        return;
    dialog_.setValue(qMin(done, dialog_.maximum()));
    sinceUpdate_.start();
}

void TProgressWindow::Finish()
{
    // Also stops the timer that would show the window later, when the work never stepped.
    dialog_.reset();
    dialog_.hide();
}

bool TProgressWindow::StopRequested() const
{
    return dialog_.wasCanceled();
}
