// orvalle-cli export: writes a survey's responses as a FoxPro table, CSV, Excel, SPSS or Stata
// file (the first two with their field-mapping file beside them).

#include "cli/commands.h"
#include "cli/surveyload.h"
#include "core/reports/responseexport.h"
#include "core/survey/survey.h"

#include <QFileInfo>
#include <QTextStream>

#include <optional>

namespace {

std::optional<TExportFormat> FormatOption(const QString& option)
{
    static const std::pair<const char*, TExportFormat> formats[] = {
        {"--csv", TExportFormat::Csv},
        {"--dbf", TExportFormat::Dbf},
        {"--xlsx", TExportFormat::Xlsx},
        {"--sav", TExportFormat::Sav},
        {"--dta", TExportFormat::Dta},
    };
    for (const auto& [name, format] : formats)
        if (option == QLatin1String(name))
            return format;
    return std::nullopt;
}

int Usage()
{
    QTextStream(stderr)
        << "usage: orvalle-cli export SURVEY.orv --csv FILE | --dbf FILE | --xlsx FILE | --sav FILE"
           " | --dta FILE\n";
    return 2;
}

} // namespace

int RunExportCommand(const QStringList& args)
{
    if (args.size() != 3)
        return Usage();
    const std::optional<TExportFormat> format = FormatOption(args[1]);
    if (!format)
        return Usage();
    TSurvey survey;
    const QString loadError = LoadSurveyForCommand(survey, args[0]);
    if (!loadError.isEmpty())
        return FailWith(loadError);
    const QString table = survey.SRResponseFile();
    if (table.isEmpty() || !QFileInfo(table).isFile())
        return FailWith(QStringLiteral("The survey ") + args[0] + QStringLiteral(" has no response table."));
    const QString target = ExportFileName(args[2], *format);
    const TExportResult result = ExportResponses(survey, table, *format, target);
    if (!result.Ok)
        return FailWith(result.Error);
    QTextStream out(stdout);
    out << "Wrote " << target << "\n";
    if (!result.MappingFile.isEmpty())
        out << "Wrote " << result.MappingFile << "\n";
    return result.Error.isEmpty() ? 0 : FailWith(result.Error);
}
