#include "core/base/utils.h"

#include "core/base/clock.h"
#include "core/base/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ReplaceAll(const QString& text, const QString& key, const QString& replacement)
{
    if (key.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(key, from);
        if (at < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        out += replacement;
        from = at + key.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

QString RepeatString(const QString& piece, int n)
{
    return n <= 0 ? QString() : piece.repeated(n);
}

QString DropLast(const QString& text, int n)
{
    if (n <= 0)
        return text;
    return text.left(std::max<qsizetype>(0, text.size() - n));
}

QString FitWidth(const QString& text, int n)
{
    if (n <= 0)
        return QString();
    return text.size() >= n ? text.left(n) : text.leftJustified(n, u' ');
}

QString StripTags(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool inTag = false;
    for (const QChar c : text) {
        if (inTag) {
            inTag = c != u'>';
            continue;
        }
        if (c == u'<')
            inTag = true;
        else
            out += c;
    }
    return out;
}

QString SubLetter(int k)
{
    return QString(QChar(static_cast<char16_t>(96 + k)));
}

QString URLEncode(const QString& text)
{
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    for (const char ch : text.toUtf8()) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            out += QChar(b);
            continue;
        }
        out += u'%';
        out += QChar(hex[b >> 4]);
        out += QChar(hex[b & 15]);
    }
    return out;
}

QString FormatAddress(int style, const QString& firstName, const QString& lastName, const QString& address)
{
    const QString first = firstName.trimmed();
    const QString last = lastName.trimmed();
    const QString addr = address.trimmed();
    const QString name = first + u' ' + last;
    switch (style) {
    case 1:
        return u'<' + name + QLatin1String("> ") + addr;
    case 2:
        return addr + QLatin1String(" (") + name + u')';
    case 3:
        return addr + QLatin1String(" <") + name + u'>';
    case 4:
        return name + QLatin1String(" <") + addr + u'>';
    case 5:
        return name + QLatin1String(" (") + addr + u')';
    case 6:
        return addr;
    default:
        return u'(' + name + QLatin1String(") ") + addr;
    }
}

QString EnsureExtension(const QString& fileName, const QString& extension)
{
    if (fileName.endsWith(extension, Qt::CaseInsensitive))
        return fileName;
    const auto isPage = [](const QString& s) {
        return s.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)
            || s.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
    };
    const bool pageExtension = extension.compare(QLatin1String(".htm"), Qt::CaseInsensitive) == 0
        || extension.compare(QLatin1String(".html"), Qt::CaseInsensitive) == 0;
    if (pageExtension && isPage(fileName))
        return fileName;
    return fileName + extension;
}

namespace {
// The name part of a path: everything after the last "/".
QString NamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString CutExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.left(dot);
}
} // namespace

QString FileTitle(const QString& path)
{
    return CutExtension(NamePart(path)).trimmed();
}

QString StripExtension(const QString& path)
{
    // Only a dot within the name part starts an extension ("dir.d/file" has none).
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path).trimmed();
}

bool NormalizeLineEnds(const QString& path)
{
    QByteArray bytes;
    if (!QFileInfo::exists(path) || !ReadFileBytes(path, bytes))
        return false;
    // Line ends are plain ASCII in every encoding the program reads, so work on the bytes.
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 16);
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        out += QByteArrayView(bytes).sliced(start, i - start);
        out += "\r\n";
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n) {
        out += QByteArrayView(bytes).sliced(start);
        out += "\r\n";
    }
    return WriteFileAtomically(path, out);
}

bool AppendLine(const QString& path, const QString& line)
{
    QByteArray bytes;
    if (QFileInfo::exists(path) && !ReadFileBytes(path, bytes))
        return false;
    bytes += line.toUtf8();
    bytes += "\r\n";
    return WriteFileAtomically(path, bytes);
}

QString MakeTempFileName(const QString& extension)
{
    QString ext = extension;
    if (ext.startsWith(u'.'))
        ext.remove(0, 1);
    const QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QStringLiteral("eraseme.") + ext;
    const QString stem = folder + QLatin1String("/ov") + Now().time().toString(QStringLiteral("Hms"));
    for (int n = 0; n < 100000; ++n) {
        const QString candidate = stem + (n == 0 ? QString() : QStringLiteral("_%1").arg(n)) + u'.' + ext;
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate;
        if (!file.exists())
            break;
    }
    return QStringLiteral("eraseme.") + ext;
}
