// orvalle-cli report SURVEY.orv --html DIR | --pdf FILE [--filter EXPR]: the analysis report of a
// survey's responses as HTML pages with JPEG charts, or as a PDF file printed like the paper one.

#include "cli/commands.h"
#include "cli/surveyload.h"
#include "core/analysis/analyzeresults.h"
#include "core/base/utils.h"
#include "core/reports/htmlreport.h"
#include "core/reports/reportanswers.h"
#include "core/survey/survey.h"
#include "gui/reports/chartimages.h"
#include "gui/reports/printedreports.h"
#include "xbase/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTextStream>

#include <cstdio>

namespace {

struct TReportArgs {
    QString Survey;
    QString Html;
    QString Pdf;
    QString Filter;
    bool Questionnaire = false; // the paper questionnaire instead of the analysis
};

int Usage()
{
    QTextStream(stderr) << "usage: orvalle-cli report SURVEY.orv --html DIR | --pdf FILE [--filter EXPR] | "
                           "--pdf FILE --questionnaire\n";
    return 2;
}

bool ParseArgs(const QStringList& args, TReportArgs& parsed)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString* value = arg == QLatin1String("--html") ? &parsed.Html
            : arg == QLatin1String("--pdf")             ? &parsed.Pdf
            : arg == QLatin1String("--filter")          ? &parsed.Filter
                                                        : nullptr;
        if (arg == QLatin1String("--questionnaire")) {
            parsed.Questionnaire = true;
            continue;
        }
        if (value && i + 1 >= args.size())
            return false;
        if (value)
            *value = args[++i];
        else if (parsed.Survey.isEmpty())
            parsed.Survey = arg;
        else
            return false;
    }
    return !parsed.Survey.isEmpty() && (parsed.Html.isEmpty() != parsed.Pdf.isEmpty())
        && (!parsed.Questionnaire || !parsed.Pdf.isEmpty());
}

int WriteHtml(
    const TSurvey& survey, const TResultsList& results, const TReportArgs& args, const QString& filter)
{
    if (!QDir().mkpath(args.Html))
        return FailWith(QStringLiteral("Could not create the directory ") + args.Html);
    THtmlReportSettings settings;
    settings.Directory = args.Html;
    settings.Base = FileTitle(args.Survey);
    settings.TablePath = survey.SRResponseFile();
    settings.FilterExpression = filter;
    if (!filter.isEmpty())
        settings.FilterConditions << filter;
    settings.GeneratedAt = QDateTime::currentDateTime();
    const THtmlReportResult result
        = WriteHtmlReport(survey, settings, MakeChartImageWriter(survey, results, {}));
    if (!result.Error.isEmpty())
        return FailWith(result.Error);
    QTextStream(stdout) << "Wrote " << result.OpenFile << "\n";
    return 0;
}

int WritePdf(
    const TSurvey& survey, const TResultsList& results, const TReportArgs& args, const QString& filter)
{
    TReportRecords records;
    const QString error = args.Questionnaire ? QString() : records.Open(survey.SRResponseFile(), filter);
    if (!error.isEmpty())
        return FailWith(error);
    const QString temp = args.Pdf + QStringLiteral(".pdf-tmp");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temp);
        printer.setDocName(args.Questionnaire ? QuestionnaireTitle(survey) : AnalysisReportTitle(survey));
        printer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        TAnalysisSource source{
            &survey, &results, filter.isEmpty() ? QStringList() : QStringList{filter}, &records, {}};
        if (args.Questionnaire)
            PrintQuestionnaire(survey, printer);
        else
            PrintAnalysisReport(source, printer);
    }
    if (!QFileInfo::exists(temp)
        || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(args.Pdf).constData()) != 0) {
        QFile::remove(temp);
        return FailWith(QStringLiteral("Could not write ") + args.Pdf);
    }
    QTextStream(stdout) << "Wrote " << args.Pdf << "\n";
    return 0;
}

} // namespace

int RunReportCommand(const QStringList& args)
{
    TReportArgs parsed;
    if (!ParseArgs(args, parsed))
        return Usage();
    TSurvey survey;
    const QString loadError = LoadSurveyForCommand(survey, parsed.Survey);
    if (!loadError.isEmpty())
        return FailWith(loadError);
    survey.Renumber();
    if (parsed.Questionnaire)
        return WritePdf(survey, {}, parsed, QString());
    xbase::TTable table;
    if (survey.SRResponseFile().isEmpty() || !table.OpenReadOnly(survey.SRResponseFile()))
        return FailWith(
            QStringLiteral("The survey ") + parsed.Survey + QStringLiteral(" has no response table."));
    TResultsList results;
    TAnalyzeHooks hooks;
    hooks.ShowWarning = [](const QString& message) { QTextStream(stderr) << message << "\n"; };
    const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, parsed.Filter, results, hooks);
    if (!outcome.ok())
        return FailWith(outcome.Error);
    const QString filter = outcome.FilterEliminatedAll ? QString() : parsed.Filter;
    return parsed.Html.isEmpty() ? WritePdf(survey, results, parsed, filter)
                                 : WriteHtml(survey, results, parsed, filter);
}
