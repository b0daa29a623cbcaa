#include "core/responses/datafile.h"

#include "core/base/textfile.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kChunk = 1024 * 1024;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `needle` (upper case ASCII) occurs in `hay`, ASCII letters compared without case.
bool ContainsNoCase(std::string_view hay, std::string_view needle)
{
    if (needle.size() > hay.size())
        return false;
    const size_t last = hay.size() - needle.size();
    for (size_t i = 0; i <= last; ++i) {
        if (AsciiUpper(hay[i]) != needle[0])
            continue;
        size_t k = 1;
        while (k < needle.size() && AsciiUpper(hay[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

std::string_view View(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Walks the items of a comma-text line; `emit` receives each item's bytes. `scratch` holds the
// text of a quoted item while it is looked at.
template <class Emit> void ForEachItem(std::string_view s, std::string& scratch, Emit&& emit)
{
    size_t p = 0;
    const size_t n = s.size();
    while (p < n && IsBlank(s[p]))
        ++p;
    while (p < n) {
        if (s[p] == '"') {
            scratch.clear();
            ++p;
            while (p < n) {
                if (s[p] == '"') {
                    if (p + 1 < n && s[p + 1] == '"') {
                        scratch += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                const size_t start = p;
                while (p < n && s[p] != '"')
                    ++p;
                scratch.append(s.substr(start, p - start));
            }
            emit(std::string_view(scratch));
        } else {
            const size_t start = p;
            while (p < n && !IsBlank(s[p]) && s[p] != ',')
                ++p;
            emit(s.substr(start, p - start));
        }
        while (p < n && IsBlank(s[p]))
            ++p;
        if (p < n && s[p] == ',') {
            if (p + 1 == n)
                emit(std::string_view());
            do
                ++p;
            while (p < n && IsBlank(s[p]));
        }
    }
}

} // namespace

// --- TDataLineReader -------------------------------------------------------------------------

TDataLineReader::TDataLineReader(qsizetype maxLine)
    : maxLine_(std::max<qsizetype>(maxLine, 1))
{
}

bool TDataLineReader::Open(const QString& path)
{
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = file_.errorString();
        eof_ = true;
        return false;
    }
    size_ = file_.size();
    buffer_.reserve(2 * kChunk);
    return true;
}

bool TDataLineReader::Fill()
{
    if (eof_)
        return false;
    if (start_ > 0) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    const qsizetype old = buffer_.size();
    buffer_.resize(old + kChunk);
    const qint64 got = file_.read(buffer_.data() + old, kChunk);
    if (got <= 0) {
        buffer_.resize(old);
        eof_ = true;
        if (got < 0)
            error_ = file_.errorString();
        return false;
    }
    buffer_.resize(old + got);
    return true;
}

bool TDataLineReader::ReadLine(QByteArray& line)
{
    line.clear();
    overlong_ = false;
    if (!file_.isOpen())
        return false;
    qsizetype scan = start_;
    for (;;) {
        const char* data = buffer_.constData();
        const qsizetype n = buffer_.size();
        qsizetype i = scan;
        while (i < n && data[i] != '\n' && data[i] != '\r')
            ++i;
        if (i < n) {
            if (data[i] == '\r' && i + 1 == n && !eof_) {
                // A CR at the end of the buffer may be the first half of a CR LF.
                const qsizetype offset = i - start_;
                Fill();
                scan = start_ + offset;
                continue;
            }
            qsizetype end = i + 1;
            if (data[i] == '\r' && end < n && data[end] == '\n')
                ++end;
            if (!overlong_)
                line = buffer_.mid(start_, i - start_);
            consumed_ += end - start_;
            start_ = end;
            return true;
        }
        if (overlong_ || n - start_ > maxLine_) {
            // Too long to keep: drop what we have and skip on to the line's end.
            overlong_ = true;
            consumed_ += n - start_;
            buffer_.clear();
            start_ = 0;
        }
        const qsizetype offset = buffer_.size() - start_;
        if (!Fill()) {
            const qsizetype rest = buffer_.size() - start_;
            if (rest == 0 && !overlong_)
                return false;
            if (!overlong_)
                line = buffer_.mid(start_, rest);
            consumed_ += rest;
            start_ = buffer_.size();
            return true;
        }
        scan = start_ + offset;
    }
}

// --- line tests ------------------------------------------------------------------------------

bool IsErrorStatusLine(const QByteArray& line)
{
    return line.contains("<ERROR>");
}

bool IsEndOfDataLine(const QByteArray& line)
{
    // A respondent may type the marker into any box; the line that carries it is still theirs.
    return !IsResponseLine(line) && ContainsNoCase(View(line), "</DATA>");
}

bool IsResponseLine(const QByteArray& line)
{
    return ContainsNoCase(View(line), "REMOTEADDR");
}

std::vector<std::string> SplitCommaItems(std::string_view line)
{
    std::vector<std::string> items;
    std::string scratch;
    ForEachItem(line, scratch, [&](std::string_view item) { items.emplace_back(item); });
    return items;
}

QString DecodeDataText(std::string_view bytes)
{
    // Most values are plain ASCII, which reads the same in every encoding the file may use.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QByteArray raw = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    return utf8.hasError() ? DecodeWindows1252(raw) : text;
}

// --- TResponseValues -------------------------------------------------------------------------

int TResponseValues::AddName(const QString& name)
{
    std::string key = name.toUpper().toStdString();
    const auto found = slots_.find(key);
    if (found != slots_.end())
        return found->second;
    const int slot = static_cast<int>(values_.size());
    slots_.emplace(std::move(key), slot);
    values_.emplace_back();
    present_.push_back(0);
    return slot;
}

void TResponseValues::Take(std::string_view item)
{
    const size_t eq = item.find('=');
    if (eq == std::string_view::npos)
        return;
    name_.resize(eq);
    std::transform(item.begin(), item.begin() + static_cast<std::ptrdiff_t>(eq), name_.begin(), AsciiUpper);
    const auto found = slots_.find(name_);
    if (found == slots_.end() || present_[found->second])
        return;
    present_[found->second] = 1;
    values_[found->second].assign(item.substr(eq + 1));
}

void TResponseValues::Parse(std::string_view line)
{
    std::fill(present_.begin(), present_.end(), 0);
    for (std::string& value : values_)
        value.clear();
    ForEachItem(line, unquoted_, [this](std::string_view item) { Take(item); });
}

QString TResponseValues::Value(int slot) const
{
    if (!present_[slot])
        return QString();
    return DecodeDataText(values_[slot]);
}

std::string_view TResponseValues::Raw(int slot) const
{
    return values_[slot];
}

QString ResponseValue(std::string_view line, const QString& name)
{
    TResponseValues values;
    const int slot = values.AddName(name);
    values.Parse(line);
    return values.Value(slot);
}
