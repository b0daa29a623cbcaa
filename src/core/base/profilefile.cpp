#include "core/base/profilefile.h"

#include "core/base/textfile.h"

#include <QFileInfo>

namespace {

// Case-insensitive hash of a name, consistent with QStringView::compare(Qt::CaseInsensitive)
// for the Basic Multilingual Plane.
quint32 NameHash(QStringView name)
{
    quint32 h = 2166136261u;
    for (const QChar c : name) {
        char16_t u = c.unicode();
        if (u < 128) {
            if (u >= u'A' && u <= u'Z')
                u += 32;
        } else {
            u = QChar::toCaseFolded(u);
        }
        h = (h ^ u) * 16777619u;
    }
    return h;
}

bool SameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsBlank(const QString& line)
{
    return QStringView(line).trimmed().isEmpty();
}

// "[name]" (leading blanks allowed); the name runs to the first "]" or the end of the line.
std::optional<QStringView> SectionName(const QString& line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    if (i >= line.size() || line[i] != u'[')
        return std::nullopt;
    const qsizetype close = line.indexOf(u']', i + 1);
    return QStringView(line).mid(i + 1, close < 0 ? -1 : close - i - 1).trimmed();
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

QStringView Unquoted(QStringView value)
{
    QStringView v = value.trimmed();
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"')
        v = v.mid(1, v.size() - 2);
    return v;
}

// Decimal; more than two characters starting "0x"/"0X" are hexadecimal. Values up to 2^32 - 1
// keep their bit pattern (colours are stored unsigned).
std::optional<int> ParseInteger(QStringView text)
{
    const QStringView t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X'))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || v < INT32_MIN || v > UINT32_MAX)
        return std::nullopt;
    return static_cast<int>(static_cast<qint32>(static_cast<quint32>(v & 0xFFFFFFFF)));
}

} // namespace

QString UnquoteProfileValue(const QString& value)
{
    return Unquoted(value).toString();
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
    lastSection_ = -1;
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
    line.Raw = raw;
    const qsizetype eq = raw.indexOf(u'=');
    if (eq <= 0)
        return line;
    const QStringView whole(raw);
    const QStringView key = whole.left(eq).trimmed();
    if (key.isEmpty())
        return line;
    line.KeyStart = static_cast<int>(key.data() - whole.data());
    line.KeyLength = static_cast<int>(key.size());
    line.KeyHash = NameHash(key);
    line.ValueStart = static_cast<int>(eq + 1);
    return line;
}

TProfileFile::TLine TProfileFile::KeyLine(const QString& key, const QString& value)
{
    TLine line;
    line.Raw = key + u'=' + value;
    line.KeyLength = static_cast<int>(key.size());
    line.KeyHash = NameHash(key);
    line.ValueStart = line.KeyLength + 1;
    return line;
}

void TProfileFile::ParseText(const QString& text)
{
    sections_.clear();
    const QStringList lines = SplitLines(text);
    for (const QString& raw : lines) {
        if (const auto name = SectionName(raw)) {
            TSection section;
            section.Name = name->toString();
            section.HasHeader = true;
            section.Header = raw;
            sections_.push_back(std::move(section));
            continue;
        }
        if (sections_.empty())
            sections_.emplace_back();
        sections_.back().Lines.push_back(ParseLine(raw));
    }
    RebuildIndex();
}

void TProfileFile::IndexKey(TSection& section, int line)
{
    const quint32 hash = section.Lines[line].KeyHash;
    const auto it = section.Keys.constFind(hash);
    if (it == section.Keys.constEnd() || *it > line)
        section.Keys.insert(hash, line);
}

void TProfileFile::RebuildIndex()
{
    sectionIndex_.clear();
    lastSection_ = -1;
    for (int s = 0; s < static_cast<int>(sections_.size()); ++s) {
        TSection& section = sections_[s];
        section.Keys.clear();
        if (!section.HasHeader || section.Erased)
            continue;
        for (int i = static_cast<int>(section.Lines.size()) - 1; i >= 0; --i)
            if (section.Lines[i].IsKey())
                section.Keys.insert(section.Lines[i].KeyHash, i);
        section.NameHash = NameHash(section.Name);
        if (!sectionIndex_.contains(section.NameHash))
            sectionIndex_.insert(section.NameHash, s);
    }
}

int TProfileFile::FindSection(QStringView name) const
{
    name = name.trimmed();
    if (lastSection_ >= 0 && SameName(sections_[lastSection_].Name, name))
        return lastSection_;
    const auto it = sectionIndex_.constFind(NameHash(name));
    if (it == sectionIndex_.constEnd())
        return -1;
    int found = -1;
    if (SameName(sections_[*it].Name, name)) {
        found = *it;
    } else {
        // Two names with one hash: look at every section.
        for (int s = 0; s < static_cast<int>(sections_.size()) && found < 0; ++s)
            if (sections_[s].HasHeader && !sections_[s].Erased && SameName(sections_[s].Name, name))
                found = s;
    }
    if (found >= 0)
        lastSection_ = found;
    return found;
}

int TProfileFile::FindKey(const TSection& section, QStringView key)
{
    key = key.trimmed();
    const auto it = section.Keys.constFind(NameHash(key));
    if (it == section.Keys.constEnd())
        return -1;
    if (SameName(section.Lines[*it].Key(), key))
        return *it;
    for (int i = 0; i < static_cast<int>(section.Lines.size()); ++i)
        if (section.Lines[i].IsKey() && SameName(section.Lines[i].Key(), key))
            return i;
    return -1;
}

const TProfileFile::TLine* TProfileFile::FindLine(const QString& section, const QString& key) const
{
    const int s = FindSection(section);
    if (s < 0)
        return nullptr;
    const int k = FindKey(sections_[s], key);
    return k < 0 ? nullptr : &sections_[s].Lines[k];
}

QStringList TProfileFile::Lines() const
{
    QStringList out;
    for (const TSection& section : sections_) {
        if (section.Erased)
            continue;
        if (section.HasHeader)
            out.append(section.Header);
        for (const TLine& line : section.Lines)
            out.append(line.Raw);
    }
    return out;
}

QByteArray TProfileFile::ToBytes() const
{
    qsizetype size = 0;
    for (const TSection& section : sections_) {
        if (section.Erased)
            continue;
        size += section.Header.size() + 2;
        for (const TLine& line : section.Lines)
            size += line.Raw.size() + 2;
    }
    QString text;
    text.reserve(size);
    const auto add = [&text](const QString& line) {
        text += line;
        text += QLatin1String("\r\n");
    };
    for (const TSection& section : sections_) {
        if (section.Erased)
            continue;
        if (section.HasHeader)
            add(section.Header);
        for (const TLine& line : section.Lines)
            add(line.Raw);
    }
    return text.toUtf8();
}

bool TProfileFile::Save(const QString& path, QString* error) const
{
    return WriteFileAtomically(path, ToBytes(), error);
}

std::optional<QString> TProfileFile::RawValue(const QString& section, const QString& key) const
{
    const TLine* line = FindLine(section, key);
    if (!line)
        return std::nullopt;
    return line->Raw.mid(line->ValueStart);
}

std::optional<QString> TProfileFile::Value(const QString& section, const QString& key) const
{
    const TLine* line = FindLine(section, key);
    if (!line)
        return std::nullopt;
    return Unquoted(QStringView(line->Raw).mid(line->ValueStart)).toString();
}

QString TProfileFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return Value(section, key).value_or(def);
}

int TProfileFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const TLine* line = FindLine(section, key);
    if (!line)
        return def;
    return ParseInteger(Unquoted(QStringView(line->Raw).mid(line->ValueStart))).value_or(def);
}

bool TProfileFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

TProfileFile::TSection& TProfileFile::SectionForWrite(const QString& section)
{
    const int found = FindSection(section);
    if (found >= 0)
        return sections_[found];
    // A blank line keeps sections apart for a human reader.
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (it->Erased)
            continue;
        if ((!it->Lines.empty() && !IsBlank(it->Lines.back().Raw)) || (it->Lines.empty() && it->HasHeader))
            it->Lines.push_back(TLine());
        break;
    }
    TSection added;
    added.Name = section.trimmed();
    added.NameHash = NameHash(added.Name);
    added.HasHeader = true;
    added.Header = u'[' + added.Name + u']';
    sections_.push_back(std::move(added));
    const int index = static_cast<int>(sections_.size()) - 1;
    if (!sectionIndex_.contains(sections_.back().NameHash))
        sectionIndex_.insert(sections_.back().NameHash, index);
    lastSection_ = index;
    return sections_.back();
}

void TProfileFile::WriteString(const QString& section, const QString& key, const QString& rawValue)
{
    TSection& sec = SectionForWrite(section);
    const QString name = key.trimmed();
    const QString value = SingleLine(rawValue);
    const int found = FindKey(sec, name);
    if (found >= 0) {
        TLine& line = sec.Lines[found];
        // Saving an unchanged survey rewrites every key with its old value: keep those lines.
        if (line.Key() == name && line.ValueStart == line.KeyLength + 1
            && QStringView(line.Raw).mid(line.ValueStart) == value)
            return;
        line = KeyLine(name, value);
        return;
    }
    // Append after the section's last non-blank line, before any blank lines that end it.
    qsizetype at = static_cast<qsizetype>(sec.Lines.size());
    while (at > 0 && IsBlank(sec.Lines[at - 1].Raw))
        --at;
    sec.Lines.insert(sec.Lines.begin() + at, KeyLine(name, value));
    if (at + 1 < static_cast<qsizetype>(sec.Lines.size())) {
        // Only blank lines moved, but keep the index exact anyway.
        sec.Keys.clear();
        for (int i = static_cast<int>(sec.Lines.size()) - 1; i >= 0; --i)
            if (sec.Lines[i].IsKey())
                sec.Keys.insert(sec.Lines[i].KeyHash, i);
    } else {
        IndexKey(sec, static_cast<int>(at));
    }
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
    return FindSection(section) >= 0;
}

bool TProfileFile::KeyExists(const QString& section, const QString& key) const
{
    return FindLine(section, key) != nullptr;
}

QStringList TProfileFile::Sections() const
{
    QStringList names;
    for (const TSection& section : sections_)
        if (section.HasHeader && !section.Erased)
            names.append(section.Name);
    return names;
}

QStringList TProfileFile::Keys(const QString& section) const
{
    QStringList keys;
    const int s = FindSection(section);
    if (s < 0)
        return keys;
    for (const TLine& line : sections_[s].Lines)
        if (line.IsKey())
            keys.append(line.Key().toString());
    return keys;
}

void TProfileFile::EraseSection(const QString& section)
{
    const QStringView name = QStringView(section).trimmed();
    for (TSection& sec : sections_)
        if (sec.HasHeader && SameName(sec.Name, name))
            sec.Erased = true;
    RebuildIndex();
}

void TProfileFile::DeleteKey(const QString& section, const QString& key)
{
    const int s = FindSection(section);
    if (s < 0)
        return;
    const QStringView name = QStringView(key).trimmed();
    std::erase_if(
        sections_[s].Lines, [&](const TLine& line) { return line.IsKey() && SameName(line.Key(), name); });
    RebuildIndex();
}
