#pragma once

#include <QStringList>

class TORVMainForm;

// Presses "&Update Now" in `window` and returns the dialog's status lines once it offers "Close"
// (then closes it). With `stopWhenConnected` it presses "&Stop" as soon as the connection is made
// and `outcome` receives the dialog's outcome right after. Everything is driven from a timer, so
// the dialog's own wait loop runs undisturbed; a dialog still open after `timeoutMs` is closed.
QStringList RunUpdateNow(
    TORVMainForm& window, bool stopWhenConnected = false, int* outcome = nullptr, int timeoutMs = 30000);
