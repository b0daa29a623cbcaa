#include "xbase/expressiontext.h"

#include "xbase/codepage.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace xbase::exprdetail {

namespace {

char16_t DecodeByte(TTextEncoding encoding, unsigned char byte)
{
    const char16_t* high = UpperHalf(encoding);
    return (byte < 0x80 || !high) ? char16_t(byte) : high[byte - 0x80];
}

// Unicode to byte for one single-byte code page, searchable by binary search.
struct TReverseTable {
    std::array<std::pair<char16_t, unsigned char>, 128> Entries;
};

const TReverseTable& Reverse(TTextEncoding encoding)
{
    static const auto build = [](TTextEncoding e) {
        TReverseTable table;
        for (int b = 0; b < 128; ++b)
            table.Entries[b]
                = {DecodeByte(e, static_cast<unsigned char>(0x80 + b)), static_cast<unsigned char>(0x80 + b)};
        std::sort(table.Entries.begin(), table.Entries.end());
        return table;
    };
    static const TReverseTable cp437 = build(TTextEncoding::Cp437);
    static const TReverseTable cp850 = build(TTextEncoding::Cp850);
    static const TReverseTable cp1252 = build(TTextEncoding::Cp1252);
    switch (encoding) {
    case TTextEncoding::Cp437:
        return cp437;
    case TTextEncoding::Cp850:
        return cp850;
    default:
        return cp1252;
    }
}

// The byte of a Unicode code unit in a single-byte code page, or -1.
int EncodeUnit(TTextEncoding encoding, char16_t unit)
{
    if (unit < 0x80)
        return unit;
    if (encoding == TTextEncoding::Latin1)
        return unit < 0x100 ? unit : -1;
    const auto& entries = Reverse(encoding).Entries;
    const auto it = std::lower_bound(entries.begin(), entries.end(), std::make_pair(unit, (unsigned char)0));
    return (it != entries.end() && it->first == unit) ? it->second : -1;
}

// Whether every surrogate of the text is part of a valid pair.
bool HasOnlyPairedSurrogates(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

QByteArray EncodeSingleByte(const QString& text, TTextEncoding encoding, bool* lossless)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, written once
        const int byte = c.isSurrogate() ? -1 : EncodeUnit(encoding, c.unicode());
        if (byte < 0)
            *lossless = false;
        out.append(byte < 0 ? '?' : char(byte));
    }
    return out;
}

// The case tables of one single-byte code page: a letter maps to its other case when the code
// page holds that, else to itself.
struct TCaseTables {
    unsigned char Upper[256];
    unsigned char Lower[256];
};

TCaseTables BuildCaseTables(TTextEncoding encoding)
{
    TCaseTables tables;
    for (int b = 0; b < 256; ++b) {
        const char16_t unit = DecodeByte(encoding, static_cast<unsigned char>(b));
        const int upper = EncodeUnit(encoding, QChar(unit).toUpper().unicode());
        const int lower = EncodeUnit(encoding, QChar(unit).toLower().unicode());
        tables.Upper[b] = static_cast<unsigned char>(upper < 0 ? b : upper);
        tables.Lower[b] = static_cast<unsigned char>(lower < 0 ? b : lower);
    }
    return tables;
}

const TCaseTables& CaseTables(TTextEncoding encoding)
{
    static const TCaseTables latin1 = BuildCaseTables(TTextEncoding::Latin1);
    static const TCaseTables cp437 = BuildCaseTables(TTextEncoding::Cp437);
    static const TCaseTables cp850 = BuildCaseTables(TTextEncoding::Cp850);
    static const TCaseTables cp1252 = BuildCaseTables(TTextEncoding::Cp1252);
    switch (encoding) {
    case TTextEncoding::Cp437:
        return cp437;
    case TTextEncoding::Cp850:
        return cp850;
    case TTextEncoding::Cp1252:
        return cp1252;
    default:
        return latin1;
    }
}

// Decodes one UTF-8 sequence at in[0..]; returns its length and the code point, or 0 when the
// bytes there are not a valid sequence.
int DecodeUtf8(const unsigned char* in, size_t left, char32_t* cp)
{
    const unsigned char lead = in[0];
    int length = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (size_t(length) > left)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((in[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (in[i] & 0x3F);
    }
    static const char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *cp = value;
    return length;
}

int EncodeUtf8(char32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = char(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = char(0xC0 | (cp >> 6));
        out[1] = char(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = char(0xE0 | (cp >> 12));
        out[1] = char(0x80 | ((cp >> 6) & 0x3F));
        out[2] = char(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (cp >> 18));
    out[1] = char(0x80 | ((cp >> 12) & 0x3F));
    out[2] = char(0x80 | ((cp >> 6) & 0x3F));
    out[3] = char(0x80 | (cp & 0x3F));
    return 4;
}

void ChangeCaseUtf8(std::string_view in, char* out, bool toUpper)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
    size_t written = 0;
    for (size_t i = 0; i < in.size();) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            out[written++]
                = char(toUpper ? (b >= 'a' && b <= 'z' ? b - 32 : b) : (b >= 'A' && b <= 'Z' ? b + 32 : b));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int length = DecodeUtf8(bytes + i, in.size() - i, &cp);
        if (length == 0) { // not UTF-8: the byte stays as it is
            out[written++] = char(b);
            ++i;
            continue;
        }
        char mapped[4];
        const int mappedLength = EncodeUtf8(toUpper ? QChar::toUpper(cp) : QChar::toLower(cp), mapped);
        if (mappedLength <= length) {
            std::memcpy(out + written, mapped, mappedLength);
            written += mappedLength;
        } else { // the other case needs more bytes than the field gives it
            std::memcpy(out + written, bytes + i, length);
            written += length;
        }
        i += length;
    }
    std::memset(out + written, ' ', in.size() - written);
}

const double kPowersOfTen[] = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

double FromChars(const char* begin, const char* end)
{
    if (begin < end && *begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return 0;
    return value;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<QByteArray> EncodeExact(const QString& text, TTextEncoding encoding)
{
    if (encoding == TTextEncoding::Utf8) {
        if (!HasOnlyPairedSurrogates(text))
            return std::nullopt;
        return text.toUtf8();
    }
    bool lossless = true;
    QByteArray bytes = EncodeSingleByte(text, encoding, &lossless);
    if (!lossless)
        return std::nullopt;
    return bytes;
}

QByteArray EncodeLossy(const QString& text, TTextEncoding encoding)
{
    if (encoding == TTextEncoding::Utf8)
        return text.toUtf8();
    bool lossless = true;
    return EncodeSingleByte(text, encoding, &lossless);
}

void ChangeCase(std::string_view in, char* out, TTextEncoding encoding, bool toUpper)
{
    if (encoding == TTextEncoding::Utf8) {
        ChangeCaseUtf8(in, out, toUpper);
        return;
    }
    const TCaseTables& tables = CaseTables(encoding);
    const unsigned char* table = toUpper ? tables.Upper : tables.Lower;
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = char(table[static_cast<unsigned char>(in[i])]);
}

QString UpperText(const QString& text, TTextEncoding encoding)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        char32_t cp = text.at(i).unicode();
        qsizetype units = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        }
        char32_t upper = QChar::toUpper(cp);
        char scratch[4];
        if (encoding == TTextEncoding::Utf8) {
            if (EncodeUtf8(upper, scratch) > EncodeUtf8(cp, scratch))
                upper = cp;
        } else if (cp > 0xFFFF || upper > 0xFFFF || EncodeUnit(encoding, char16_t(cp)) < 0
            || EncodeUnit(encoding, char16_t(upper)) < 0) {
            upper = cp;
        }
        if (upper != cp)
            result.append(QChar::fromUcs4(upper));
        else
            result.append(text.mid(i, units));
        i += units;
    }
    return result;
}

double ParseFieldNumber(std::string_view bytes)
{
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
    if (p == end)
        return 0;
    const char* const start = p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = -1;
    for (; p < end; ++p) {
        if (IsDigit(*p)) {
            mantissa = mantissa * 10 + std::uint64_t(*p - '0');
            ++digits;
            if (fraction >= 0)
                ++fraction;
        } else if (*p == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return FromChars(start, end); // exponent form, or not a number at all
        }
    }
    if (digits == 0)
        return 0;
    if (digits > 18)
        return FromChars(start, end);
    double value = double(mantissa);
    if (fraction > 0)
        value /= kPowersOfTen[fraction];
    return negative ? -value : value;
}

double ParseLeadingNumber(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
        ++i;
    const size_t start = i;
    if (i < bytes.size() && (bytes[i] == '-' || bytes[i] == '+'))
        ++i;
    bool digits = false;
    while (i < bytes.size() && IsDigit(bytes[i])) {
        ++i;
        digits = true;
    }
    if (i < bytes.size() && bytes[i] == '.') {
        size_t j = i + 1;
        while (j < bytes.size() && IsDigit(bytes[j])) {
            ++j;
            digits = true;
        }
        if (j > i + 1 || digits)
            i = j;
    }
    if (!digits)
        return 0;
    std::string_view number = bytes.substr(start, i - start);
    if (!number.empty() && number.back() == '.')
        number.remove_suffix(1);
    return FromChars(number.data(), number.data() + number.size());
}

double JulianDay(int year, int month, int day)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return 0;
    const int a = (14 - month) / 12;
    const long long y = year + 4800 - a;
    const long long m = month + 12 * a - 3;
    return double(day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045);
}

double ParseDate(std::string_view bytes)
{
    if (bytes.size() < 8)
        return 0;
    int parts[8];
    for (int i = 0; i < 8; ++i) {
        if (!IsDigit(bytes[i]))
            return 0;
        parts[i] = bytes[i] - '0';
    }
    const int year = parts[0] * 1000 + parts[1] * 100 + parts[2] * 10 + parts[3];
    return JulianDay(year, parts[4] * 10 + parts[5], parts[6] * 10 + parts[7]);
}

void FormatDate(double julianDay, char* out)
{
    // Year 1 to 9999: the dates an eight-digit field can spell.
    if (!(julianDay >= 1721426 && julianDay < 5373485)) {
        std::memset(out, ' ', 8);
        return;
    }
    const long long a = static_cast<long long>(std::floor(julianDay)) + 32044;
    const long long b = (4 * a + 3) / 146097;
    const long long c = a - 146097 * b / 4;
    const long long d = (4 * c + 3) / 1461;
    const long long e = c - 1461 * d / 4;
    const long long m = (5 * e + 2) / 153;
    const int day = int(e - (153 * m + 2) / 5 + 1);
    const int month = int(m + 3 - 12 * (m / 10));
    const int year = int(100 * b + d - 4800 + m / 10);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    std::memcpy(out, text, 8);
}

void FormatNumber(double value, int width, int decimals, char* out)
{
    std::memset(out, '*', width);
    if (!std::isfinite(value))
        return;
    char text[400];
    for (int d = std::clamp(decimals, 0, 18); d >= 0; --d) {
        double rounded = value;
        // Half away from zero, as the classic STR() rounds; printf would round half to even.
        const double scaled = value * kPowersOfTen[d];
        if (std::fabs(scaled) < 9e15)
            rounded = std::round(scaled) / kPowersOfTen[d];
        int length = std::snprintf(text, sizeof text, "%.*f", d, rounded);
        if (length < 0 || length >= int(sizeof text))
            return;
        if (text[0] == '-' && std::strspn(text + 1, "0.") == size_t(length - 1)) {
            std::memmove(text, text + 1, length); // no "-0"
            --length;
        }
        if (length <= width) {
            std::memset(out, ' ', width - length);
            std::memcpy(out + width - length, text, length);
            return;
        }
    }
}

} // namespace xbase::exprdetail
