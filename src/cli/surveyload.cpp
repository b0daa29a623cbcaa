#include "cli/surveyload.h"

#include "core/survey/survey.h"

#include <QFileInfo>
#include <QTextStream>

QString LoadSurveyForCommand(TSurvey& survey, const QString& path)
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

int FailWith(const QString& message)
{
    QTextStream(stderr) << message << "\n";
    return 1;
}
