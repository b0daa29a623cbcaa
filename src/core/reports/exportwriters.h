#pragma once

// The writers of the exports for spreadsheets and statistics programs. Each reads every visible
// record of the open table once and returns an empty string, or the reason it failed; the
// target is replaced only when the whole file was written.

#include <QString>

namespace xbase {
class TTable;
}

class TProgress;
class TSurvey;

// What a writer returns when the progress asked it to stop; nothing was written then.
inline constexpr const char* kExportStopped = "The export was stopped.";

// An Excel workbook with the sheets "Codes" (the stored codes), "Labels" (the codes' labels)
// and "Codebook" (every variable's label and the meaning of its codes).
QString WriteXlsx(const TSurvey& survey, xbase::TTable& table, const QString& target, TProgress& progress);

// An SPSS system file (`sav`) or a Stata 14 data file (otherwise), with variable labels from the
// question texts and value labels from the options.
QString WriteStatFile(
    const TSurvey& survey, xbase::TTable& table, const QString& target, bool sav, TProgress& progress);

// Text safe for the XML inside a workbook and for data files: control characters other than
// tab and line breaks are dropped.
QString PrintableText(const QString& text);
// The longest prefix of the text whose UTF-8 form has at most `maxBytes` bytes.
QByteArray Utf8Prefix(const QString& text, int maxBytes);
