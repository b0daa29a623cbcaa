// orvalle-cli merge and codebook: merges a server data file into a survey's response table, and
// prints the field-mapping text of a survey.

#include "cli/commands.h"
#include "cli/surveyload.h"
#include "core/responses/addresponses.h"
#include "core/responses/codebook.h"
#include "core/responses/responsefields.h"
#include "core/survey/survey.h"

#include <QFile>
#include <QTextStream>

int RunMergeCommand(const QStringList& args)
{
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: orvalle-cli merge SURVEY.orv DATAFILE\n";
        return 2;
    }
    TSurvey survey;
    const QString loadError = LoadSurveyForCommand(survey, args[0]);
    if (!loadError.isEmpty())
        return FailWith(loadError);
    TIntakeHooks hooks;
    hooks.ShowError = [](const QString& message) { QTextStream(stderr) << message << "\n"; };
    hooks.Inform = hooks.ShowError;
    TResponseTable table;
    TAddResponseResult result;
    AddResponses(survey, table, args[1], result, hooks);
    table.Close();
    if (!result.SaveError.isEmpty())
        FailWith(result.SaveError);
    if (!result.Succeeded) {
        QString message = QStringLiteral("Error importing results.  File format may be incorrect.");
        if (!result.ErrorMessage.isEmpty())
            message += QStringLiteral(" (") + result.ErrorMessage + QLatin1Char(')');
        return FailWith(message);
    }
    QTextStream(stdout) << MergeSummary(result).remove(QLatin1Char('\r'));
    return result.SaveError.isEmpty() ? 0 : 1;
}

int RunCodebookCommand(const QStringList& args)
{
    const bool csv = args.contains(QStringLiteral("--csv"));
    QStringList rest = args;
    rest.removeAll(QStringLiteral("--csv"));
    if (rest.size() != 1) {
        QTextStream(stderr) << "usage: orvalle-cli codebook SURVEY.orv [--csv]\n";
        return 2;
    }
    TSurvey survey;
    const QString loadError = LoadSurveyForCommand(survey, rest[0]);
    if (!loadError.isEmpty())
        return FailWith(loadError);
    const QString table
        = survey.SRResponseFile().isEmpty() ? ResponseTablePath(survey) : survey.SRResponseFile();
    const QByteArray text = FieldMappingText(survey, table, csv, RemoteIPWidthOf(table)).toUtf8();
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(text) != text.size())
        return FailWith(QStringLiteral("Could not write to standard output"));
    return 0;
}
