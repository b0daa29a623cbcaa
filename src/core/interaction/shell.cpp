#include "core/interaction/shell.h"

#include <cstdio>

namespace {

// Until the program installs the desktop's shell, what would have been opened goes to the error
// stream.
class TUnattendedShell : public TShell {
public:
    void Open(const QString& pathOrUrl) override
    {
        std::fprintf(stderr, "Not opened (no desktop): %s\n", qPrintable(pathOrUrl));
    }
};

std::unique_ptr<TShell>& InstalledShell()
{
    static std::unique_ptr<TShell> shell;
    return shell;
}

} // namespace

TShell& Shell()
{
    auto& s = InstalledShell();
    if (!s)
        s = std::make_unique<TUnattendedShell>();
    return *s;
}

std::unique_ptr<TShell> SetShell(std::unique_ptr<TShell> shell)
{
    std::swap(InstalledShell(), shell);
    return shell;
}

void OpenWithShell(const QString& pathOrUrl)
{
    Shell().Open(pathOrUrl);
}
