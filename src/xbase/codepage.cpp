#include "xbase/codepage.h"

#include <QList>

namespace xbase {

namespace {

// The upper halves of the single-byte code pages (bytes 0x80-0xFF). Bytes that Windows-1252
// leaves undefined map to the C1 controls of the same value, so that they survive a round trip.
const char16_t kCp437[128] = {
    0x00C7,
    0x00FC,
    0x00E9,
    0x00E2,
    0x00E4,
    0x00E0,
    0x00E5,
    0x00E7,
    0x00EA,
    0x00EB,
    0x00E8,
    0x00EF,
    0x00EE,
    0x00EC,
    0x00C4,
    0x00C5,
    0x00C9,
    0x00E6,
    0x00C6,
    0x00F4,
    0x00F6,
    0x00F2,
    0x00FB,
    0x00F9,
    0x00FF,
    0x00D6,
    0x00DC,
    0x00A2,
    0x00A3,
    0x00A5,
    0x20A7,
    0x0192,
    0x00E1,
    0x00ED,
    0x00F3,
    0x00FA,
    0x00F1,
    0x00D1,
    0x00AA,
    0x00BA,
    0x00BF,
    0x2310,
    0x00AC,
    0x00BD,
    0x00BC,
    0x00A1,
    0x00AB,
    0x00BB,
    0x2591,
    0x2592,
    0x2593,
    0x2502,
    0x2524,
    0x2561,
    0x2562,
    0x2556,
    0x2555,
    0x2563,
    0x2551,
    0x2557,
    0x255D,
    0x255C,
    0x255B,
    0x2510,
    0x2514,
    0x2534,
    0x252C,
    0x251C,
    0x2500,
    0x253C,
    0x255E,
    0x255F,
    0x255A,
    0x2554,
    0x2569,
    0x2566,
    0x2560,
    0x2550,
    0x256C,
    0x2567,
    0x2568,
    0x2564,
    0x2565,
    0x2559,
    0x2558,
    0x2552,
    0x2553,
    0x256B,
    0x256A,
    0x2518,
    0x250C,
    0x2588,
    0x2584,
    0x258C,
    0x2590,
    0x2580,
    0x03B1,
    0x00DF,
    0x0393,
    0x03C0,
    0x03A3,
    0x03C3,
    0x00B5,
    0x03C4,
    0x03A6,
    0x0398,
    0x03A9,
    0x03B4,
    0x221E,
    0x03C6,
    0x03B5,
    0x2229,
    0x2261,
    0x00B1,
    0x2265,
    0x2264,
    0x2320,
    0x2321,
    0x00F7,
    0x2248,
    0x00B0,
    0x2219,
    0x00B7,
    0x221A,
    0x207F,
    0x00B2,
    0x25A0,
    0x00A0,
};
const char16_t kCp850[128] = {
    0x00C7,
    0x00FC,
    0x00E9,
    0x00E2,
    0x00E4,
    0x00E0,
    0x00E5,
    0x00E7,
    0x00EA,
    0x00EB,
    0x00E8,
    0x00EF,
    0x00EE,
    0x00EC,
    0x00C4,
    0x00C5,
    0x00C9,
    0x00E6,
    0x00C6,
    0x00F4,
    0x00F6,
    0x00F2,
    0x00FB,
    0x00F9,
    0x00FF,
    0x00D6,
    0x00DC,
    0x00F8,
    0x00A3,
    0x00D8,
    0x00D7,
    0x0192,
    0x00E1,
    0x00ED,
    0x00F3,
    0x00FA,
    0x00F1,
    0x00D1,
    0x00AA,
    0x00BA,
    0x00BF,
    0x00AE,
    0x00AC,
    0x00BD,
    0x00BC,
    0x00A1,
    0x00AB,
    0x00BB,
    0x2591,
    0x2592,
    0x2593,
    0x2502,
    0x2524,
    0x00C1,
    0x00C2,
    0x00C0,
    0x00A9,
    0x2563,
    0x2551,
    0x2557,
    0x255D,
    0x00A2,
    0x00A5,
    0x2510,
    0x2514,
    0x2534,
    0x252C,
    0x251C,
    0x2500,
    0x253C,
    0x00E3,
    0x00C3,
    0x255A,
    0x2554,
    0x2569,
    0x2566,
    0x2560,
    0x2550,
    0x256C,
    0x00A4,
    0x00F0,
    0x00D0,
    0x00CA,
    0x00CB,
    0x00C8,
    0x0131,
    0x00CD,
    0x00CE,
    0x00CF,
    0x2518,
    0x250C,
    0x2588,
    0x2584,
    0x00A6,
    0x00CC,
    0x2580,
    0x00D3,
    0x00DF,
    0x00D4,
    0x00D2,
    0x00F5,
    0x00D5,
    0x00B5,
    0x00FE,
    0x00DE,
    0x00DA,
    0x00DB,
    0x00D9,
    0x00FD,
    0x00DD,
    0x00AF,
    0x00B4,
    0x00AD,
    0x00B1,
    0x2017,
    0x00BE,
    0x00B6,
    0x00A7,
    0x00F7,
    0x00B8,
    0x00B0,
    0x00A8,
    0x00B7,
    0x00B9,
    0x00B3,
    0x00B2,
    0x25A0,
    0x00A0,
};
const char16_t kCp1252[128] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
    0x00A0,
    0x00A1,
    0x00A2,
    0x00A3,
    0x00A4,
    0x00A5,
    0x00A6,
    0x00A7,
    0x00A8,
    0x00A9,
    0x00AA,
    0x00AB,
    0x00AC,
    0x00AD,
    0x00AE,
    0x00AF,
    0x00B0,
    0x00B1,
    0x00B2,
    0x00B3,
    0x00B4,
    0x00B5,
    0x00B6,
    0x00B7,
    0x00B8,
    0x00B9,
    0x00BA,
    0x00BB,
    0x00BC,
    0x00BD,
    0x00BE,
    0x00BF,
    0x00C0,
    0x00C1,
    0x00C2,
    0x00C3,
    0x00C4,
    0x00C5,
    0x00C6,
    0x00C7,
    0x00C8,
    0x00C9,
    0x00CA,
    0x00CB,
    0x00CC,
    0x00CD,
    0x00CE,
    0x00CF,
    0x00D0,
    0x00D1,
    0x00D2,
    0x00D3,
    0x00D4,
    0x00D5,
    0x00D6,
    0x00D7,
    0x00D8,
    0x00D9,
    0x00DA,
    0x00DB,
    0x00DC,
    0x00DD,
    0x00DE,
    0x00DF,
    0x00E0,
    0x00E1,
    0x00E2,
    0x00E3,
    0x00E4,
    0x00E5,
    0x00E6,
    0x00E7,
    0x00E8,
    0x00E9,
    0x00EA,
    0x00EB,
    0x00EC,
    0x00ED,
    0x00EE,
    0x00EF,
    0x00F0,
    0x00F1,
    0x00F2,
    0x00F3,
    0x00F4,
    0x00F5,
    0x00F6,
    0x00F7,
    0x00F8,
    0x00F9,
    0x00FA,
    0x00FB,
    0x00FC,
    0x00FD,
    0x00FE,
    0x00FF,
};

} // namespace

const char16_t* UpperHalf(TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Cp437:
        return kCp437;
    case TTextEncoding::Cp850:
        return kCp850;
    case TTextEncoding::Cp1252:
        return kCp1252;
    default:
        return nullptr;
    }
}

namespace {

char EncodeChar(char32_t c, TTextEncoding encoding)
{
    if (c < 0x80)
        return char(c);
    if (encoding == TTextEncoding::Latin1)
        return c < 0x100 ? char(c) : '?';
    const char16_t* table = UpperHalf(encoding);
    for (int i = 0; i < 128; ++i)
        if (table[i] == c)
            return char(0x80 + i);
    return '?';
}

} // namespace

TTextEncoding EncodingForMark(quint8 mark)
{
    switch (mark) {
    case 0x01:
        return TTextEncoding::Cp437;
    case 0x02:
        return TTextEncoding::Cp850;
    default:
        return TTextEncoding::Cp1252;
    }
}

TTextEncoding EncodingForName(const QByteArray& name, bool* ok)
{
    QByteArray n = name.trimmed().toUpper();
    n.replace("-", "").replace("_", "").replace(" ", "");
    if (n.startsWith("CP"))
        n = n.mid(2);
    else if (n.startsWith("WINDOWS"))
        n = n.mid(7);
    else if (n.startsWith("IBM"))
        n = n.mid(3);
    *ok = true;
    if (n == "UTF8")
        return TTextEncoding::Utf8;
    if (n == "437" || n == "OEM")
        return TTextEncoding::Cp437;
    if (n == "850")
        return TTextEncoding::Cp850;
    if (n == "1252" || n == "ANSI" || n == "ANSI1252")
        return TTextEncoding::Cp1252;
    if (n == "88591" || n == "ISO88591" || n == "LATIN1")
        return TTextEncoding::Latin1;
    *ok = false;
    return TTextEncoding::Cp1252;
}

QString DecodeText(const char* data, qsizetype length, TTextEncoding encoding)
{
    if (encoding == TTextEncoding::Utf8)
        return QString::fromUtf8(data, length);
    if (encoding == TTextEncoding::Latin1)
        return QString::fromLatin1(data, length);
    const char16_t* table = UpperHalf(encoding);
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out[i] = b < 0x80 ? QChar(b) : QChar(table[b - 0x80]);
    }
    return text;
}

QByteArray EncodeText(const QString& text, TTextEncoding encoding)
{
    if (encoding == TTextEncoding::Utf8)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4())
        out.append(EncodeChar(c, encoding));
    return out;
}

QByteArray EncodeFitting(const QString& text, TTextEncoding encoding, int width)
{
    if (encoding != TTextEncoding::Utf8)
        return EncodeText(text, encoding).left(width);
    QByteArray out = text.toUtf8();
    if (out.size() <= width)
        return out;
    // Step back from the cut to the first byte of a character (continuation bytes are 10xxxxxx).
    int cut = width;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
        --cut;
    out.truncate(cut);
    return out;
}

} // namespace xbase
