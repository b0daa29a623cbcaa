#include "platform/profilefile.h"

#include "platform/settings.h"
#include "platform/textfile.h"

#include <QFileInfo>

namespace {

QString Lower(const QString& s)
{
    return s.trimmed().toLower();
}

bool IsBlank(const QString& line)
{
    return line.trimmed().isEmpty();
}

// "[name]" (leading blanks allowed); the name runs to the first "]" or the end of the line.
std::optional<QString> SectionName(const QString& line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    if (i >= line.size() || line[i] != u'[')
        return std::nullopt;
    const qsizetype close = line.indexOf(u']', i + 1);
    return line.mid(i + 1, close < 0 ? -1 : close - i - 1).trimmed();
}

QString SingleLine(QString value)
{
    if (!value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

QString UnquoteProfileValue(const QString& value)
{
    QString v = value.trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
        v = v.mid(1, v.size() - 2);
    return v;
}

QString QuoteProfileValue(const QString& value)
{
    if (value.isEmpty())
        return value;
    const bool blankAtEnds = value.front().isSpace() || value.back().isSpace();
    const bool quotedAlready = value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"');
    if (blankAtEnds || quotedAlready)
        return u'"' + value + u'"';
    return value;
}

TProfileFile::TProfileFile(const QString& path)
{
    Load(path);
}

bool TProfileFile::Load(const QString& path, QString* error)
{
    path_ = path;
    sections_.clear();
    sectionIndex_.clear();
    if (!QFileInfo::exists(path))
        return true;
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes, error))
        return false;
    Parse(bytes);
    return true;
}

void TProfileFile::Parse(const QByteArray& bytes)
{
    ParseText(DecodeFileText(bytes));
}

TProfileFile::TLine TProfileFile::ParseLine(const QString& raw)
{
    TLine line;
    line.raw = raw;
    const qsizetype eq = raw.indexOf(u'=');
    if (eq > 0) {
        const QString key = Lower(raw.left(eq));
        if (!key.isEmpty()) {
            line.isKey = true;
            line.key = key;
            line.valueStart = eq + 1;
        }
    }
    return line;
}

void TProfileFile::ParseText(const QString& text)
{
    sections_.clear();
    sectionIndex_.clear();
    const QStringList lines = SplitLines(text);
    for (const QString& raw : lines) {
        if (const auto name = SectionName(raw)) {
            TSection section;
            section.name = *name;
            section.hasHeader = true;
            section.header = raw;
            sections_.push_back(std::move(section));
            continue;
        }
        if (sections_.empty())
            sections_.emplace_back();
        sections_.back().lines.push_back(ParseLine(raw));
    }
    RebuildIndex();
}

void TProfileFile::RebuildIndex()
{
    sectionIndex_.clear();
    for (int s = 0; s < static_cast<int>(sections_.size()); ++s) {
        TSection& section = sections_[s];
        section.keys.clear();
        if (!section.hasHeader || section.erased)
            continue;
        for (int i = 0; i < static_cast<int>(section.lines.size()); ++i)
            if (section.lines[i].isKey && !section.keys.contains(section.lines[i].key))
                section.keys.insert(section.lines[i].key, i);
        const QString name = section.name.toLower();
        if (!sectionIndex_.contains(name))
            sectionIndex_.insert(name, s);
    }
}

QStringList TProfileFile::Lines() const
{
    QStringList out;
    for (const TSection& section : sections_) {
        if (section.erased)
            continue;
        if (section.hasHeader)
            out.append(section.header);
        for (const TLine& line : section.lines)
            out.append(line.raw);
    }
    return out;
}

QByteArray TProfileFile::ToBytes() const
{
    return JoinLinesCRLF(Lines());
}

bool TProfileFile::Save(const QString& path, QString* error) const
{
    return WriteFileAtomically(path, ToBytes(), error);
}

const TProfileFile::TLine* TProfileFile::FindLine(const QString& section, const QString& key) const
{
    const auto s = sectionIndex_.constFind(Lower(section));
    if (s == sectionIndex_.constEnd())
        return nullptr;
    const TSection& sec = sections_[*s];
    const auto k = sec.keys.constFind(Lower(key));
    if (k == sec.keys.constEnd())
        return nullptr;
    return &sec.lines[*k];
}

std::optional<QString> TProfileFile::RawValue(const QString& section, const QString& key) const
{
    const TLine* line = FindLine(section, key);
    if (!line)
        return std::nullopt;
    return line->raw.mid(line->valueStart);
}

std::optional<QString> TProfileFile::Value(const QString& section, const QString& key) const
{
    const auto raw = RawValue(section, key);
    if (!raw)
        return std::nullopt;
    return UnquoteProfileValue(*raw);
}

QString TProfileFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return Value(section, key).value_or(def);
}

int TProfileFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const auto value = Value(section, key);
    if (!value)
        return def;
    return ParseSettingsInteger(*value).value_or(def);
}

bool TProfileFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

TProfileFile::TSection& TProfileFile::SectionForWrite(const QString& section)
{
    const QString lower = Lower(section);
    const auto found = sectionIndex_.constFind(lower);
    if (found != sectionIndex_.constEnd())
        return sections_[*found];
    // A blank line keeps sections apart for a human reader.
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (it->erased)
            continue;
        if ((!it->lines.empty() && !IsBlank(it->lines.back().raw)) || (it->lines.empty() && it->hasHeader))
            it->lines.push_back(ParseLine(QString()));
        break;
    }
    TSection added;
    added.name = section.trimmed();
    added.hasHeader = true;
    added.header = u'[' + added.name + u']';
    sections_.push_back(std::move(added));
    sectionIndex_.insert(lower, static_cast<int>(sections_.size()) - 1);
    return sections_.back();
}

void TProfileFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    TSection& sec = SectionForWrite(section);
    const QString name = key.trimmed();
    const QString lowerKey = name.toLower();
    TLine line;
    line.raw = name + u'=' + SingleLine(value);
    line.key = lowerKey;
    line.isKey = true;
    line.valueStart = name.size() + 1;
    const auto found = sec.keys.constFind(lowerKey);
    if (found != sec.keys.constEnd()) {
        sec.lines[*found] = std::move(line);
        return;
    }
    // Append after the section's last non-blank line, before any blank lines that end it.
    qsizetype at = static_cast<qsizetype>(sec.lines.size());
    while (at > 0 && IsBlank(sec.lines[at - 1].raw))
        --at;
    sec.lines.insert(sec.lines.begin() + at, std::move(line));
    for (int i = static_cast<int>(at) + 1; i < static_cast<int>(sec.lines.size()); ++i)
        if (sec.lines[i].isKey)
            sec.keys[sec.lines[i].key] = i;
    sec.keys.insert(lowerKey, static_cast<int>(at));
}

void TProfileFile::WriteText(const QString& section, const QString& key, const QString& value)
{
    WriteString(section, key, QuoteProfileValue(SingleLine(value)));
}

void TProfileFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TProfileFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TProfileFile::SectionExists(const QString& section) const
{
    return sectionIndex_.contains(Lower(section));
}

bool TProfileFile::KeyExists(const QString& section, const QString& key) const
{
    return FindLine(section, key) != nullptr;
}

QStringList TProfileFile::Sections() const
{
    QStringList names;
    for (const TSection& section : sections_)
        if (section.hasHeader && !section.erased)
            names.append(section.name);
    return names;
}

QStringList TProfileFile::Keys(const QString& section) const
{
    QStringList keys;
    const auto s = sectionIndex_.constFind(Lower(section));
    if (s == sectionIndex_.constEnd())
        return keys;
    for (const TLine& line : sections_[*s].lines)
        if (line.isKey)
            keys.append(line.raw.left(line.valueStart - 1).trimmed());
    return keys;
}

void TProfileFile::EraseSection(const QString& section)
{
    const QString lower = Lower(section);
    for (TSection& sec : sections_)
        if (sec.hasHeader && sec.name.toLower() == lower)
            sec.erased = true;
    RebuildIndex();
}

void TProfileFile::DeleteKey(const QString& section, const QString& key)
{
    const auto s = sectionIndex_.constFind(Lower(section));
    if (s == sectionIndex_.constEnd())
        return;
    TSection& sec = sections_[*s];
    const QString lowerKey = Lower(key);
    std::erase_if(sec.lines, [&](const TLine& line) { return line.isKey && line.key == lowerKey; });
    RebuildIndex();
}
