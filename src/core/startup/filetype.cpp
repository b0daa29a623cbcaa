#include "core/startup/filetype.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Writes the file only when its contents differ; true when it was written.
bool WriteIfChanged(const QString& path, const QByteArray& contents, bool& ok)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
        return false;
    current.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() || !out.commit()) {
        ok = false;
        return false;
    }
    return true;
}

void RunIfInstalled(const QString& tool, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (!exe.isEmpty())
        QProcess::startDetached(exe, args);
}

// A path in a desktop entry's Exec key: reserved characters make the argument quoted, and inside
// quotes backslash, double quote, dollar and backquote are escaped.
QString QuoteExec(const QString& rawPath)
{
    QString path = rawPath;
    path.replace(QLatin1String("%"), QLatin1String("%%")); // field codes start with %

    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : path) {
        if (reserved.contains(c))
            needsQuotes = true;
    }
    if (!needsQuotes)
        return path;
    QString escaped;
    for (QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('$') || c == QLatin1Char('`'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    // The desktop file's own string escaping doubles every backslash once more.
    escaped.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QByteArray ProgramIcon()
{
    // Same picture as data/desktop/orvalle.svg, so that a build tree registers it too.
    return QByteArrayLiteral(
        R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="#1d4e89"/><stop offset="1" stop-color="#2a9d8f"/></linearGradient></defs>
  <rect x="2" y="2" width="60" height="60" rx="12" fill="url(#g)"/>
  <rect x="14" y="10" width="30" height="42" rx="3" fill="#fbfcfe"/>
  <g stroke="#1d4e89" stroke-width="2" fill="none"><rect x="18" y="16" width="6" height="6"/><rect x="18" y="27" width="6" height="6"/><rect x="18" y="38" width="6" height="6"/></g>
  <g stroke="#e76f51" stroke-width="2.5" fill="none" stroke-linecap="round" stroke-linejoin="round"><path d="M19 19l2 2 4-5"/><path d="M19 41l2 2 4-5"/></g>
  <g stroke="#b0b8c4" stroke-width="2.5" stroke-linecap="round"><path d="M28 19h12"/><path d="M28 30h9"/><path d="M28 41h12"/></g>
  <g fill="#ffffff"><rect x="46" y="36" width="5" height="16" rx="1" opacity=".75"/><rect x="53" y="28" width="5" height="24" rx="1"/></g>
</svg>)svg");
}

QString SurveyMimePackage()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"application/x-orvalle-survey\">\n"
                          "    <comment>Orvalle survey</comment>\n"
                          "    <sub-class-of type=\"text/plain\"/>\n"
                          "    <glob pattern=\"*.orv\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n");
}

QString DesktopEntry(const QString& programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Orvalle\n"
                          "GenericName=Survey Builder\n"
                          "Comment=Write questionnaires, publish them as web forms and analyse the answers\n"
                          "Exec=%1 %f\n"
                          "Icon=orvalle\n"
                          "Terminal=false\n"
                          "MimeType=application/x-orvalle-survey;\n"
                          "Categories=Office;\n")
        .arg(QuoteExec(programPath));
}

TFileTypeRegistration RegisterFileType(const QString& programPath, const QString& dataHome, bool runTools)
{
    QString home = dataHome;
    if (home.isEmpty())
        home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");

    TFileTypeRegistration r;
    r.MimePackage = home + QStringLiteral("/mime/packages/orvalle.xml");
    r.DesktopEntry = home + QStringLiteral("/applications/orvalle.desktop");
    const bool mimeChanged = WriteIfChanged(r.MimePackage, SurveyMimePackage().toUtf8(), r.Ok);
    const bool desktopChanged = WriteIfChanged(r.DesktopEntry, DesktopEntry(programPath).toUtf8(), r.Ok);
    const bool iconChanged = WriteIfChanged(
        home + QStringLiteral("/icons/hicolor/scalable/apps/orvalle.svg"), ProgramIcon(), r.Ok);
    r.Changed = mimeChanged || desktopChanged || iconChanged;

    if (runTools && mimeChanged)
        RunIfInstalled(QStringLiteral("update-mime-database"), {home + QStringLiteral("/mime")});
    if (runTools && desktopChanged)
        RunIfInstalled(QStringLiteral("update-desktop-database"), {home + QStringLiteral("/applications")});
    return r;
}
