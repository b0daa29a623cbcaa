// orvalle-cli merge and codebook: merges a server data file into a survey's response table, and
// prints the field-mapping text of a survey.

#include "cli/commands.h"
#include "core/responses/addresponses.h"
#include "core/responses/codebook.h"
#include "core/responses/responsefields.h"
#include "core/survey/survey.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

int Fail(const QString& message)
{
    QTextStream(stderr) << message << "\n";
    return 1;
}

// Loads the survey file; an empty string on success, else the message.
QString LoadSurvey(TSurvey& survey, const QString& path)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("Could not find file ") + path;
    try {
        survey.NewSurvey();
        survey.Load(path);
    } catch (const ESurveyException& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

int RunMergeCommand(const QStringList& args)
{
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: orvalle-cli merge SURVEY.orv DATAFILE\n";
        return 2;
    }
    TSurvey survey;
    const QString loadError = LoadSurvey(survey, args[0]);
    if (!loadError.isEmpty())
        return Fail(loadError);
    TIntakeHooks hooks;
    hooks.ShowError = [](const QString& message) { QTextStream(stderr) << message << "\n"; };
    hooks.Inform = hooks.ShowError;
    TResponseTable table;
    TAddResponseResult result;
    AddResponses(survey, table, args[1], result, hooks);
    table.Close();
    if (!result.SaveError.isEmpty())
        Fail(result.SaveError);
    if (!result.Succeeded) {
        QString message = QStringLiteral("Error importing results.  File format may be incorrect.");
        if (!result.ErrorMessage.isEmpty())
            message += QStringLiteral(" (") + result.ErrorMessage + QLatin1Char(')');
        return Fail(message);
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
    const QString loadError = LoadSurvey(survey, rest[0]);
    if (!loadError.isEmpty())
        return Fail(loadError);
    const QString table
        = survey.SRResponseFile().isEmpty() ? ResponseTablePath(survey) : survey.SRResponseFile();
    const QByteArray text = FieldMappingText(survey, table, csv, RemoteIPWidthOf(table)).toUtf8();
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(text) != text.size())
        return Fail(QStringLiteral("Could not write to standard output"));
    return 0;
}
