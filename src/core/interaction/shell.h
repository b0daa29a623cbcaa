#pragma once

#include <QString>

#include <memory>

// Hands a file or a web address to the desktop's default program. Tests install TScriptedShell
// (tests/support/scriptedseams.h), which records what would have been opened.
class TShell {
public:
    virtual ~TShell() = default;
    virtual void Open(const QString& pathOrUrl) = 0;
};

TShell& Shell();
std::unique_ptr<TShell> SetShell(std::unique_ptr<TShell> shell);

// Opens a file path or a URL ("http:", "https:", "mailto:", "file:") with its default program;
// the outcome is not examined.
void OpenWithShell(const QString& pathOrUrl);

// The clock seam is core/base/clock.h (Now, SetClock, TScopedClock).
