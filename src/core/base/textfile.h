#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text files of the program are UTF-8 with CR LF line ends. Files from the original platform
// are Windows-1252, so bytes that are not valid UTF-8 are read as that code page.

// Decodes file bytes: UTF-8 (a leading byte-order mark is dropped) when valid, else Windows-1252.
QString DecodeFileText(const QByteArray& bytes);
// True when the bytes are valid UTF-8.
bool IsValidUtf8(const QByteArray& bytes);
// Maps every byte through the Windows-1252 code page (undefined bytes map to U+0080..U+009F).
QString DecodeWindows1252(const QByteArray& bytes);

// Splits at CR LF, LF or a lone CR. A final line break does not start another (empty) line.
QStringList SplitLines(const QString& text);
// The lines, each followed by CR LF, as UTF-8.
QByteArray JoinLinesCRLF(const QStringList& lines);

// Reads a whole file; false (and the reason in *error when given) when it cannot be read.
bool ReadFileBytes(const QString& path, QByteArray& bytes, QString* error = nullptr);
// Replaces the file's content in one step: the previous file stays intact when anything fails.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
