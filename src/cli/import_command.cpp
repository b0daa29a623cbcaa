// orvalle-cli import-questions TEXT OUT.orv [--style N] [--data-dir DIR]: builds a new survey
// from a text file of questions, as File > Import > Questions does, and saves it.

#include "cli/commands.h"
#include "cli/surveyload.h"
#include "core/authoring/questionimport.h"
#include "core/startup/datadir.h"
#include "core/survey/survey.h"

#include <QTextStream>

#include <algorithm>

namespace {

int Usage()
{
    QTextStream(stderr)
        << "usage: orvalle-cli import-questions TEXT OUT.orv [--style N] [--data-dir DIR]\n"
           "  N: 1 Single Select (default), 2 Multiple Select, 3 Sliding Scale, 5 Pull Down List\n";
    return 2;
}

struct TImportArgs {
    QStringList Paths;
    int Style = qsSingleSelect;
    QString DataDirectory;
};

bool ParseArgs(const QStringList& args, TImportArgs& parsed)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if ((arg == QLatin1String("--style") || arg == QLatin1String("--data-dir")) && i + 1 >= args.size())
            return false;
        if (arg == QLatin1String("--style")) {
            bool ok = false;
            parsed.Style = args[++i].toInt(&ok);
            const auto& styles = ImportStyles();
            if (!ok || std::find(styles.begin(), styles.end(), parsed.Style) == styles.end())
                return false;
        } else if (arg == QLatin1String("--data-dir")) {
            parsed.DataDirectory = args[++i];
        } else {
            parsed.Paths << arg;
        }
    }
    return parsed.Paths.size() == 2;
}

} // namespace

int RunImportQuestionsCommand(const QStringList& args)
{
    TImportArgs parsed;
    if (!ParseArgs(args, parsed))
        return Usage();
    if (parsed.DataDirectory.isEmpty())
        parsed.DataDirectory = DefaultDataDirectory();
    TSurvey survey;
    survey.NewSurvey();
    const QString error
        = ImportQuestionsFromFile(survey, parsed.Paths[0], parsed.Style, parsed.DataDirectory);
    if (!error.isEmpty())
        return FailWith(error);
    try {
        survey.SaveAs(parsed.Paths[1]);
    } catch (const ESurveyException& e) {
        return FailWith(e.Message());
    }
    QTextStream(stdout) << "Imported " << survey.QuestionCount() << " items into " << parsed.Paths[1] << "\n";
    return 0;
}
