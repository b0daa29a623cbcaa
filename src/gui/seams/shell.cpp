#include "gui/seams/shell.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QUrl>

namespace {

class TDesktopShell : public TShell {
public:
    void Open(const QString& pathOrUrl) override
    {
        static const QRegularExpression scheme(
            QStringLiteral("^(https?|ftp|mailto|file):"), QRegularExpression::CaseInsensitiveOption);
        const QUrl url
            = scheme.match(pathOrUrl).hasMatch() ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
        QDesktopServices::openUrl(url);
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
        s = std::make_unique<TDesktopShell>();
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
