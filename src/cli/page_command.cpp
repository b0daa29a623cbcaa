// orvalle-cli page SURVEY.orv OUT.htm [--data-dir DIR]
// Generates the survey's web page as the program's publish dialog would, without saving the survey.

#include "app/datadir.h"
#include "platform/inisettings.h"
#include "platform/settingstable.h"
#include "survey/survey.h"
#include "webform/page.h"

#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace {

int Usage(QTextStream& err)
{
    err << "usage: orvalle-cli page SURVEY.orv OUT.htm [--data-dir DIR]\n";
    return 2;
}

// The data directory of the program's settings; where it lacks the survey's template, the
// templates installed with the program (or those of the source tree in a build tree).
QString ChooseDataDirectory(const QString& templateName)
{
    const QString configured = WithTrailingSlash(AppSettings().ReadString(
        settings::ApplicationDetails, settings::DataDirectory, DefaultDataDirectory()));
    if (QFileInfo::exists(configured + templateName))
        return configured;
    const QString installed = InstalledDataSource();
    return installed.isEmpty() ? configured : installed;
}

} // namespace

int RunPageCommand(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList paths;
    QString dataDirectory;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--data-dir")) {
            if (++i >= args.size())
                return Usage(err);
            dataDirectory = args[i];
        } else if (arg.startsWith(QLatin1String("--data-dir="))) {
            dataDirectory = arg.mid(11);
        } else if (arg.startsWith(QLatin1String("--"))) {
            return Usage(err);
        } else {
            paths << arg;
        }
    }
    if (paths.size() != 2 || (dataDirectory.isEmpty() && args.contains(QLatin1String("--data-dir"))))
        return Usage(err);

    TSurvey survey;
    survey.NewSurvey();
    try {
        survey.Load(paths[0]);
    } catch (const ESurveyException& e) {
        err << e.Message() << "\n";
        return 1;
    }
    // The numbers and skip distances the question list derives after a load.
    survey.Renumber();

    if (dataDirectory.isEmpty())
        dataDirectory = ChooseDataDirectory(survey.DisplayTemplate());
    const TPageResult result = GeneratePage(survey, paths[1], WithTrailingSlash(dataDirectory));
    if (!result.Succeeded()) {
        err << kPageFailureMessage << "\n" << result.Detail << "\n";
        return 1;
    }
    out << survey.HTMLStatus() << "\n";
    return 0;
}
