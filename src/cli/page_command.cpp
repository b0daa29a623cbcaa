// orvalle-cli page SURVEY.orv OUT.htm [--data-dir DIR]
// Generates the survey's web page as the program's publish dialog would, without saving the survey.

#include "core/survey/survey.h"
#include "core/webform/page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

namespace {

int Usage(QTextStream& err)
{
    err << "usage: orvalle-cli page SURVEY.orv OUT.htm [--data-dir DIR]\n";
    return 2;
}

QString WithSlash(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// The user's data directory ($XDG_DATA_HOME/orvalle/); where it lacks the survey's template, the
// templates installed beside the program.
QString ChooseDataDirectory(const QString& templateName)
{
    const QString user = WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        + QStringLiteral("orvalle/");
    if (QFileInfo::exists(user + templateName))
        return user;
    const QString installed
        = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orvalle"));
    return QFileInfo(installed).isDir() ? WithSlash(installed) : user;
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
    const TPageResult result = GeneratePage(survey, paths[1], WithSlash(dataDirectory));
    if (!result.Succeeded()) {
        err << kPageFailureMessage << "\n" << result.Detail << "\n";
        return 1;
    }
    out << survey.HTMLStatus() << "\n";
    return 0;
}
