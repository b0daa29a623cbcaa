#pragma once

#include <QString>

// String and file helpers used throughout the program.

// Replaces every occurrence of key, left to right; inserted text is not searched again.
QString ReplaceAll(const QString& text, const QString& key, const QString& replacement);
// The piece n times; n <= 0 gives the empty string.
QString RepeatString(const QString& piece, int n);
// The text without its last n characters.
QString DropLast(const QString& text, int n);
// Padded with blanks to n characters, or cut to its first n characters.
QString FitWidth(const QString& text, int n);
// The text without everything from each "<" to the next ">" inclusive.
QString StripTags(const QString& text);
// "a" for 1, "b" for 2, ...: the letter of a skip-group member.
QString SubLetter(int k);
// A to Z and a to z stay; every other byte of the UTF-8 text becomes "%XX".
QString URLEncode(const QString& text);
// Combines the trimmed names and address in one of the seven addressing styles (others: 0).
QString FormatAddress(int style, const QString& firstName, const QString& lastName, const QString& address);

// The name unchanged when it already ends in the extension (any case; ".htm" and ".html" count
// as each other), else the name with the extension appended.
QString EnsureExtension(const QString& fileName, const QString& extension);
// The file name without folder and extension, trimmed.
QString FileTitle(const QString& path);
// The path without its extension, trimmed.
QString StripExtension(const QString& path);

// Rewrites the text file with CR LF after every line (CR LF, lone LF and lone CR all end a line).
bool NormalizeLineEnds(const QString& path);
// Appends the line and CR LF to the text file, creating it when missing.
bool AppendLine(const QString& path, const QString& line);
// A new file name in the temporary folder, shaped "ov" + time "hns" + "." + extension; never
// the name of an existing file (the file is created empty to reserve the name).
QString MakeTempFileName(const QString& extension);
