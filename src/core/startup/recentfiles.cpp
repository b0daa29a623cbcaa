#include "core/startup/recentfiles.h"

#include "core/base/settings.h"
#include "core/base/settingstable.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString ValueName(int i)
{
    return QStringLiteral("File %1").arg(i);
}

QString WithoutTrailingSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

} // namespace

QString TRecentFiles::Complete(const QString& path, const QString& lastDirSavedTo)
{
    if (path.contains(QLatin1Char('/')))
        return path;
    return WithoutTrailingSlash(lastDirSavedTo) + QLatin1Char('/') + path;
}

QString TRecentFiles::Caption(const QString& path, const QString& lastDirSavedTo)
{
    const QFileInfo info(path);
    const QString dir = WithoutTrailingSlash(info.path());
    if (dir.compare(WithoutTrailingSlash(lastDirSavedTo), Qt::CaseInsensitive) == 0)
        return info.fileName();
    return path;
}

int TRecentFiles::IndexOf(const QString& path) const
{
    for (int i = 0; i < files_.size(); ++i) {
        if (files_[i].compare(path, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void TRecentFiles::Add(const QString& path, const QString& lastDirSavedTo)
{
    if (path.isEmpty())
        return;
    const QString full = Complete(path, lastDirSavedTo);
    const int at = IndexOf(full);
    if (at >= 0)
        files_.removeAt(at);
    while (files_.size() >= MaxCount)
        files_.removeLast();
    files_.prepend(full);
}

bool TRecentFiles::Remove(const QString& path)
{
    const int at = IndexOf(path);
    if (at < 0)
        return false;
    files_.removeAt(at);
    return true;
}

void TRecentFiles::Load(const TSettings& settings)
{
    files_.clear();
    for (int i = 0; i < MaxCount; ++i) {
        const QString path = settings.ReadString(settings::MRUList, ValueName(i), QString());
        if (!path.isEmpty() && path != QLatin1String("N/A") && IndexOf(path) < 0)
            files_.append(path);
    }
}

void TRecentFiles::Save(TSettings& settings) const
{
    for (int i = 0; i < MaxCount; ++i) {
        if (i < files_.size())
            settings.WriteString(settings::MRUList, ValueName(i), files_[i]);
        else
            settings.Remove(settings::MRUList, ValueName(i));
    }
}
