#include "core/authoring/responsetemplate.h"

#include "core/base/profilefile.h"
#include "core/base/textfile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kDetails = QStringLiteral("Details");
const QString kTitle = QStringLiteral("Title");
const QString kValues = QStringLiteral("Values");
const QString kUnknown = QStringLiteral("Unknown");

void WriteValues(TProfileFile& file, const QStringList& lines)
{
    file.EraseSection(kValues);
    for (int i = 0; i < lines.size(); ++i)
        file.WriteString(kValues, QString::number(i + 1), lines[i]);
}

} // namespace

TResponseTemplate ReadResponseTemplate(const QString& path)
{
    TResponseTemplate result;
    TProfileFile file;
    if (!QFileInfo(path).isFile() || !file.Load(path)) {
        result.Title = kUnknown;
        return result;
    }
    result.Title = file.ReadString(kDetails, kTitle, kUnknown);
    for (const QString& key : file.Keys(kValues))
        result.Options.append(file.ReadString(kValues, key, kUnknown));
    return result;
}

QString ResponseTemplateTitle(const QString& path)
{
    TProfileFile file;
    if (!QFileInfo(path).isFile() || !file.Load(path))
        return kUnknown;
    return file.ReadString(kDetails, kTitle, kUnknown);
}

QStringList ResponseTemplateFiles(const QString& dataDirectory)
{
    QStringList names = QDir(dataDirectory).entryList({QStringLiteral("*.ovt")}, QDir::Files, QDir::NoSort);
    std::sort(names.begin(), names.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

std::vector<TTemplateEntry> ListTemplates(const QString& dataDirectory, TTemplateKind kind)
{
    const bool response = kind == TTemplateKind::Response;
    const QDir dir(dataDirectory);
    const QStringList names = dir.entryList(
        {response ? QStringLiteral("*.ovt") : QStringLiteral("*.ovg")}, QDir::Files, QDir::NoSort);
    std::vector<TTemplateEntry> entries;
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        entries.push_back({path, response ? ResponseTemplateTitle(path) : name});
    }
    return entries;
}

QString NextResponseTemplatePath(const QString& dataDirectory)
{
    const QDir dir(dataDirectory);
    for (int n = 0;; ++n) {
        const QString path = dir.filePath(QStringLiteral("rtemp%1.ovt").arg(n));
        if (!QFileInfo::exists(path))
            return path;
    }
}

std::optional<QString> CreateResponseTemplate(
    const QString& dataDirectory, const QString& title, const QStringList& lines)
{
    const QString path = NextResponseTemplatePath(dataDirectory);
    TProfileFile file;
    file.WriteString(kDetails, kTitle, title);
    if (!lines.isEmpty())
        WriteValues(file, lines);
    if (!file.Save(path))
        return std::nullopt;
    return path;
}

bool RewriteResponseTemplate(const QString& path, const QString& title, const QStringList& lines)
{
    TProfileFile file;
    if (QFileInfo::exists(path) && !file.Load(path))
        return false;
    file.WriteString(kDetails, kTitle, title);
    WriteValues(file, lines);
    return file.Save(path);
}

std::optional<QString> ReadDisplayTemplateText(const QString& path)
{
    QByteArray bytes;
    if (!QFileInfo(path).isFile() || !ReadFileBytes(path, bytes))
        return std::nullopt;
    return DecodeFileText(bytes);
}

bool WriteDisplayTemplateText(const QString& path, const QString& text)
{
    return WriteFileAtomically(path, text.isEmpty() ? QByteArray() : JoinLinesCRLF(SplitLines(text)));
}

QString DisplayTemplatePath(const QString& chosen)
{
    if (QFileInfo(chosen).suffix().toUpper() == QLatin1String("OVG"))
        return chosen;
    return chosen + QStringLiteral(".ovg");
}
