#pragma once

// Byte-level helpers of the expression compiler: text encodings, case changes that keep byte
// widths, numbers spelt in ASCII and dates as Julian day numbers. Internal to the compiler.

#include "xbase/recordlayout.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace xbase::exprdetail {

// Unicode text in the table's encoding; nullopt when a character cannot be stored in it.
std::optional<QByteArray> EncodeExact(const QString& text, TTextEncoding encoding);
// As EncodeExact, but characters the encoding lacks become '?': for data, never for literals.
QByteArray EncodeLossy(const QString& text, TTextEncoding encoding);

// UPPER/LOWER on bytes of the given encoding. The result has exactly the input's byte count
// (see expression.h for the rule on UTF-8). `out` must hold in.size() bytes.
void ChangeCase(std::string_view in, char* out, TTextEncoding encoding, bool toUpper);

// UPPER() applied to Unicode text that is to meet upper-cased table text (a search text): the
// same letter-by-letter rule, so that a literal and the field it is compared with agree.
QString UpperText(const QString& text, TTextEncoding encoding);

// Whether the byte starts no character of its own: a UTF-8 continuation byte. Cuts (LEFT, RIGHT,
// SUBSTR) never fall before one, so that no character is cut in half.
inline bool IsContinuation(TTextEncoding encoding, unsigned char byte)
{
    return encoding == TTextEncoding::Utf8 && (byte & 0xC0) == 0x80;
}

// The number an N or F field spells: blanks around it allowed, blank = 0, not a number = 0.
double ParseFieldNumber(std::string_view bytes);
// VAL(): the number at the start of the text after leading blanks, 0 when there is none.
double ParseLeadingNumber(std::string_view bytes);

// Julian day number of a proleptic Gregorian date; 0 for an impossible date.
double JulianDay(int year, int month, int day);
// YYYYMMDD bytes of a D field as a Julian day number; blank or invalid = 0.
double ParseDate(std::string_view bytes);
// The YYYYMMDD text of a Julian day number into out[0..7]; blanks for 0 (a blank date).
void FormatDate(double julianDay, char* out);

// STR(number, width, decimals) into `out` (width bytes): right-aligned, rounded; fewer
// decimals when they do not fit, asterisks when the integer part does not fit.
void FormatNumber(double value, int width, int decimals, char* out);

} // namespace xbase::exprdetail
