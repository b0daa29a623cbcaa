#pragma once

// Exports of the survey's responses: a copy of the FoxPro table, comma-separated text, an Excel
// workbook, and SPSS and Stata data files. The table is read through a handle of its own, so the
// filter of the analysis never hides records from an export. Every file is written under a
// temporary name and moved into place only when complete: a failed export leaves whatever was
// there before.

#include <QString>

class TProgress;
class TSurvey;

enum class TExportFormat { Dbf, Csv, Xlsx, Sav, Dta };

struct TExportResult {
    bool Ok = false; // the export file is in place
    QString Error; // the message for the error box: the export failed, or (Ok) its mapping file
    QString MappingFile; // the field-mapping text written beside a DBF or CSV export; else empty
    bool Stopped = false; // the user stopped it: nothing was written, nothing to report
};

// The extension a format's file carries (".dbf", ".csv", ".xlsx", ".sav", ".dta").
QString ExportExtension(TExportFormat format);
// The chosen name with the format's extension appended unless it has it already (any case):
// results becomes results.csv, results.CSV stays.
QString ExportFileName(const QString& chosen, TExportFormat format);
// The field-mapping file of an export: its path with the extension replaced by ".txt".
QString MappingFileName(const QString& exportFile);

// Writes the responses of the table at `tablePath` to `target` in the format. DBF and CSV also
// get their field-mapping file (only once the export itself is in place).
TExportResult ExportResponses(const TSurvey& survey, const QString& tablePath, TExportFormat format,
    const QString& target, TProgress* progress = nullptr);
