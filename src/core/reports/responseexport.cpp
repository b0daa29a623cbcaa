#include "core/reports/responseexport.h"

#include "core/base/utils.h"
#include "core/interaction/progress.h"
#include "core/reports/exportwriters.h"
#include "core/responses/codebook.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QString Reported(const QString& message)
{
    return kCRLF + kCRLF + QStringLiteral("The following error was reported: ") + message;
}

QString ExportFailed(const QString& target, const QString& message)
{
    return QStringLiteral("The responses could not be saved in ") + target + QLatin1Char('.')
        + Reported(message);
}

QString MappingFailed(const QString& file, const QString& message)
{
    return QStringLiteral("Error writing field mapping to ") + file + QLatin1Char('.') + Reported(message);
}

// The quoted, comma-terminated names of the columns the comma-delimited copy writes: the
// table's own fields without memos, so that header and rows always agree.
QByteArray CsvHeaderOf(const xbase::TTable& table)
{
    QByteArray line;
    for (const xbase::TFieldDef& f : table.Layout().Fields)
        if (f.Type != 'M' && f.Type != '0')
            line += '"' + f.Name.toUtf8() + "\",";
    return line + "\r\n";
}

QString WriteMapping(
    const TSurvey& survey, const xbase::TTable& table, const QString& exportFile, bool forCsv)
{
    const int ipField = table.FieldIndex(QStringLiteral("REMOTEIP"));
    const int ipWidth = ipField < 0 ? kRemoteIPFieldWidth : table.Layout().Fields[size_t(ipField)].Width;
    const QString path = MappingFileName(exportFile);
    QSaveFile file(path);
    const QByteArray text = FieldMappingText(survey, exportFile, forCsv, ipWidth).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return MappingFailed(path, file.errorString());
    return QString();
}

// The engine writes the header line and the records in one file, moved into place when whole.
QString ExportCsv(xbase::TTable& table, const QString& target)
{
    const xbase::TStatus st = table.CopyText(target, CsvHeaderOf(table));
    return st.ok() ? QString() : st.Message();
}

QString ExportDbf(xbase::TTable& table, const QString& target)
{
    const xbase::TStatus st = table.CopyTable(target);
    return st.ok() ? QString() : st.Message();
}

// Empty, or why the export failed (kExportStopped when the user stopped it).
QString ExportTo(const TSurvey& survey, xbase::TTable& table, TExportFormat format, const QString& target,
    TProgress* progress)
{
    TNoProgress none;
    TProgress& shown = progress ? *progress : none;
    switch (format) {
    case TExportFormat::Dbf:
        return ExportDbf(table, target);
    case TExportFormat::Csv:
        return ExportCsv(table, target);
    case TExportFormat::Xlsx:
        return WriteXlsx(survey, table, target, shown);
    case TExportFormat::Sav:
    case TExportFormat::Dta:
        return WriteStatFile(survey, table, target, format == TExportFormat::Sav, shown);
    }
    return QString();
}

} // namespace

QString ExportExtension(TExportFormat format)
{
    switch (format) {
    case TExportFormat::Dbf:
        return QStringLiteral(".dbf");
    case TExportFormat::Csv:
        return QStringLiteral(".csv");
    case TExportFormat::Xlsx:
        return QStringLiteral(".xlsx");
    case TExportFormat::Sav:
        return QStringLiteral(".sav");
    case TExportFormat::Dta:
        return QStringLiteral(".dta");
    }
    return QString();
}

QString ExportFileName(const QString& chosen, TExportFormat format)
{
    const QString extension = ExportExtension(format);
    if (chosen.endsWith(extension, Qt::CaseInsensitive))
        return chosen;
    return chosen + extension;
}

QString MappingFileName(const QString& exportFile)
{
    const QFileInfo info(exportFile);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString dir = exportFile.left(exportFile.size() - name.size());
    return dir + base + QStringLiteral(".txt");
}

TExportResult ExportResponses(const TSurvey& survey, const QString& tablePath, TExportFormat format,
    const QString& target, TProgress* progress)
{
    TExportResult result;
    xbase::TTable table;
    const xbase::TStatus opened = table.OpenReadOnly(tablePath);
    if (!opened.ok()) {
        result.Error = ExportFailed(target, opened.Message());
        return result;
    }
    const QString error = ExportTo(survey, table, format, target, progress);
    result.Stopped = error == QLatin1String(kExportStopped);
    if (!error.isEmpty()) {
        result.Error = result.Stopped ? QString() : ExportFailed(target, error);
        return result;
    }
    result.Ok = true;
    if (format == TExportFormat::Dbf || format == TExportFormat::Csv) {
        result.Error = WriteMapping(survey, table, target, format == TExportFormat::Csv);
        if (result.Error.isEmpty())
            result.MappingFile = MappingFileName(target);
    }
    return result;
}
