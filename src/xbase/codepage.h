#pragma once

// Text of character and memo fields: the code page of a table and conversions to and from
// Unicode.

#include "xbase/recordlayout.h"

#include <QByteArray>
#include <QString>

namespace xbase {

// The encoding a table's code page mark (header byte 29) announces. Tables without a mark, and
// marks of code pages we do not convert, are read as Windows-1252.
TTextEncoding EncodingForMark(quint8 mark);
// The encoding named by the text of a ".cpg" file ("UTF-8", "1252", "CP850", ...); `ok` is false
// when the name is not known.
TTextEncoding EncodingForName(const QByteArray& name, bool* ok);

QString DecodeText(const char* data, qsizetype length, TTextEncoding encoding);
inline QString DecodeText(const QByteArray& bytes, TTextEncoding encoding)
{
    return DecodeText(bytes.constData(), bytes.size(), encoding);
}
// The upper half (bytes 0x80-0xFF) of a single-byte code page as Unicode; nullptr for Latin-1
// (the identity) and UTF-8.
const char16_t* UpperHalf(TTextEncoding encoding);
// Characters the code page lacks become '?'.
QByteArray EncodeText(const QString& text, TTextEncoding encoding);
// Encodes at most `width` bytes, never cutting a character in half.
QByteArray EncodeFitting(const QString& text, TTextEncoding encoding, int width);

} // namespace xbase
