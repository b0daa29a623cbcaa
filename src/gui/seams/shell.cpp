#include "gui/seams/qtseams.h"

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

} // namespace

std::unique_ptr<TShell> MakeDesktopShell()
{
    return std::make_unique<TDesktopShell>();
}
