#pragma once

// Text import and export of an e-mail list.
//
// Import reads one person a line: first name, last name and address separated by commas; text
// after a third comma is ignored, trailing blanks are dropped, and every line (an empty one too)
// adds one record. A field that begins with a double quote is quoted as in RFC 4180 (inner quotes
// doubled, commas and line breaks kept); any other quote is part of the text. A quoted field left
// open at the end of the text refuses the whole import, which would else take in everything after
// the quote as one name.
//
// Export writes the live records in the list's current order, either as comma-separated values
// (a header line FNAME,LNAME,EMAIL, then one line a person, a field quoted only when it holds a
// comma, a quote or a line break) or as fixed-width text (each field padded or cut to its width
// under a header line and a rule of dashes).

#include "core/publishing/emaillist.h"

#include <QString>

#include <vector>

enum class TListTextFormat { Csv, Text };

// The people of an import text; none, with the reason in `error`, when a quoted field is left open.
std::vector<TEmailPerson> ParseImportText(const QString& text, QString* error = nullptr);
// Reads the file and appends its people to the list. Empty on success, else the message.
QString ImportListText(TEmailList& list, const QString& path);

// The export text of these people.
QByteArray FormatExport(const std::vector<TEmailPerson>& people, TListTextFormat format);
// Writes the list's live records in its current order. Empty on success, else the message.
QString ExportListText(TEmailList& list, const QString& path, TListTextFormat format);

// The format an export file name asks for: ".txt" means fixed-width text, anything else CSV.
TListTextFormat FormatForFileName(const QString& path);
// The name completed with the format's extension (".csv" or ".txt") unless it has it already.
QString EnsureExportExtension(const QString& path, TListTextFormat format);
