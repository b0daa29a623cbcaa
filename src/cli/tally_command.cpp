// orvalle-cli tally: the tallies of a survey's responses, under an optional filter, as text for
// people or as one JSON object. The numbers are the ones the analysis view charts.

#include "cli/commands.h"
#include "cli/surveyload.h"
#include "core/analysis/analyzeresults.h"
#include "core/analysis/chartdata.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cmath>

namespace {

struct TTallyArgs {
    QString Survey;
    QString Filter;
    bool Json = false;
};

bool ParseArgs(const QStringList& args, TTallyArgs& out)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--json")) {
            out.Json = true;
        } else if (args[i] == QLatin1String("--filter") && i + 1 < args.size()) {
            out.Filter = args[++i];
        } else if (!args[i].startsWith(QLatin1String("--")) && out.Survey.isEmpty()) {
            out.Survey = args[i];
        } else {
            return false;
        }
    }
    return !out.Survey.isEmpty();
}

QString JsonString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString JsonNumber(double value)
{
    return std::isfinite(value) ? QString::number(value, 'g', 15) : QStringLiteral("0");
}

QString JsonQuestionHead(const TQuestion& q)
{
    return QStringLiteral("{\"id\": %1, \"number\": %2, \"style\": %3, \"text\": %4")
        .arg(q.ID)
        .arg(JsonString(q.NumberLabel))
        .arg(q.Style)
        .arg(JsonString(q.Text));
}

QString JsonCounts(const TQuestion& q, const TResultsList& results)
{
    QStringList counts;
    for (const TCountResults* c : CountResultsOf(results, q.ID))
        counts << QStringLiteral("{\"caption\": %1, \"index\": %2, \"count\": %3}")
                      .arg(JsonString(c->Caption))
                      .arg(c->OptionIndex)
                      .arg(c->Count);
    return QStringLiteral(", \"counts\": [") + counts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString JsonNumeric(const TNumericResults& n)
{
    QStringList ranges;
    for (const TCountResults& r : n.Ranges)
        ranges << QStringLiteral("{\"caption\": %1, \"low\": %2, \"high\": %3, \"count\": %4}")
                      .arg(JsonString(r.Caption))
                      .arg(r.LowValue)
                      .arg(r.HighValue)
                      .arg(r.Count);
    return QStringLiteral(", \"total\": %1, \"valueCount\": %2, \"average\": %3, \"ranges\": [%4]")
        .arg(JsonNumber(n.Total), JsonNumber(n.ValueCount), JsonNumber(n.Average),
            ranges.join(QStringLiteral(", ")));
}

QString JsonReport(const TSurvey& survey, const TResultsList& results, const QString& filter, int records)
{
    QStringList questions;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        if (q.IsHeader())
            continue;
        const TNumericResults* numeric = NumericResultsOf(results, q.ID);
        questions << JsonQuestionHead(q) + (numeric ? JsonNumeric(*numeric) : JsonCounts(q, results))
                + QLatin1Char('}');
    }
    return QStringLiteral("{\"filter\": %1, \"records\": %2, \"questions\": [\n  %3\n]}\n")
        .arg(JsonString(filter))
        .arg(records)
        .arg(questions.join(QStringLiteral(",\n  ")));
}

QString TextLine(const QString& caption, int count)
{
    return QStringLiteral("    %1 %2\n").arg(caption.leftJustified(40, QLatin1Char(' '))).arg(count, 7);
}

QString TextQuestion(const TQuestion& q, const TResultsList& results)
{
    QString out = q.NumberLabel + QStringLiteral(") ") + q.Text + QLatin1Char('\n');
    out += QStringLiteral("    ") + StyleName(q.Style) + QLatin1Char('\n');
    if (const TNumericResults* numeric = NumericResultsOf(results, q.ID)) {
        out += QStringLiteral("    %1   (values: %2, total: %3, exact average: %4)\n")
                   .arg(AverageText(numeric->Average), JsonNumber(numeric->ValueCount),
                       JsonNumber(numeric->Total), QString::number(numeric->Average, 'f', 2));
        for (const TCountResults& r : numeric->Ranges)
            out += TextLine(r.Caption, r.Count);
        if (numeric->StepCorrected)
            out += QStringLiteral("    (the step value is below 1; ranges of step 1 are shown)\n");
    } else {
        for (const TCountResults* c : CountResultsOf(results, q.ID))
            out += TextLine(c->Caption, c->Count);
    }
    return out + QLatin1Char('\n');
}

QString TextReport(const TSurvey& survey, const TResultsList& results, const QString& filter, int records)
{
    QString out = QStringLiteral("Survey: %1\nFilter: %2\nResponses counted: %3\n\n")
                      .arg(survey.Name(), filter.isEmpty() ? QStringLiteral("None") : filter)
                      .arg(records);
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        if (!survey.GetQuestion(i).IsHeader())
            out += TextQuestion(survey.GetQuestion(i), results);
    }
    return out;
}

bool WriteOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QFile out;
    return out.open(stdout, QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

} // namespace

int RunTallyCommand(const QStringList& args)
{
    TTallyArgs options;
    if (!ParseArgs(args, options)) {
        QTextStream(stderr) << "usage: orvalle-cli tally SURVEY.orv [--filter EXPR] [--json]\n";
        return 2;
    }
    TSurvey survey;
    const QString loadError = LoadSurveyForCommand(survey, options.Survey);
    if (!loadError.isEmpty())
        return FailWith(loadError);
    survey.Renumber();

    TResultsList results;
    int records = 0;
    const QString tablePath = survey.SRResponseFile();
    if (tablePath.isEmpty() || !QFileInfo::exists(tablePath)) {
        QTextStream(stderr) << "The survey has no response table yet; every count is 0.\n";
        BuildEmptyTallies(survey, results);
    } else {
        xbase::TTable table;
        const xbase::TStatus opened = table.OpenReadOnly(tablePath);
        if (!opened.ok())
            return FailWith(opened.Message());
        TAnalyzeHooks hooks;
        hooks.ShowWarning = [](const QString& text) { QTextStream(stderr) << text << "\n"; };
        const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, options.Filter, results, hooks);
        if (!outcome.ok())
            return FailWith(outcome.Error);
        records = outcome.Records;
    }
    const QString report = options.Json ? JsonReport(survey, results, options.Filter, records)
                                        : TextReport(survey, results, options.Filter, records);
    return WriteOut(report) ? 0 : FailWith(QStringLiteral("Could not write to standard output"));
}
