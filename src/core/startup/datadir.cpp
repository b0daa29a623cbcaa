#include "core/startup/datadir.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef ORVALLE_DATA_SOURCE_DIR
#define ORVALLE_DATA_SOURCE_DIR ""
#endif

namespace {

// Files of the source tree's data/ folder that belong to the build, not to a user.
bool IsBuildFile(const QString& relative)
{
    return relative == QLatin1String("CMakeLists.txt") || relative.startsWith(QLatin1String("samples/"))
        || relative.startsWith(QLatin1String("desktop/"));
}

} // namespace

QString WithTrailingSlash(const QString& path)
{
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

QString DefaultDataDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return WithTrailingSlash(base) + QStringLiteral("orvalle/");
}

QString InstalledDataSource()
{
    if (QCoreApplication::instance()) {
        const QString installed
            = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orvalle");
        if (QFileInfo(installed).isDir())
            return WithTrailingSlash(QDir::cleanPath(installed));
    }
    const QString tree = QStringLiteral(ORVALLE_DATA_SOURCE_DIR);
    if (!tree.isEmpty() && QFileInfo(tree).isDir())
        return WithTrailingSlash(tree);
    return {};
}

bool SeedDataDirectory(const QString& target, const QString& source)
{
    if (!QDir().mkpath(target))
        return false;
    if (source.isEmpty() || !QFileInfo(source).isDir())
        return true;
    const QDir from(source);
    const QDir to(target);
    bool ok = true;
    QDirIterator it(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = from.relativeFilePath(file);
        if (IsBuildFile(relative))
            continue;
        const QString dest = to.filePath(relative);
        if (QFileInfo::exists(dest))
            continue;
        QDir().mkpath(QFileInfo(dest).absolutePath());
        if (!QFile::copy(file, dest)) {
            ok = false;
            continue;
        }
        // Installed files may be read-only; the user's copies must be editable.
        QFile(dest).setPermissions(
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return ok;
}

QString HelpDirectory(const QString& dataDirectory)
{
    const QString installed = InstalledDataSource();
    if (!installed.isEmpty() && QFileInfo(installed + QStringLiteral("help")).isDir())
        return installed + QStringLiteral("help/");
    return WithTrailingSlash(dataDirectory) + QStringLiteral("help/");
}
