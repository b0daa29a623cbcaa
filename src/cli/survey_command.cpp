// orvalle-cli survey: converts survey files to and from their JSON form (docs/survey-json.md).

#include "cli/commands.h"
#include "core/base/textfile.h"
#include "core/survey/survey.h"
#include "core/survey/surveyjson.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>

namespace {

int Usage()
{
    QTextStream(stderr) << "usage: orvalle-cli survey to-json FILE.orv\n"
                           "       orvalle-cli survey from-json FILE.json OUT.orv\n";
    return 2;
}

int Fail(const QString& message)
{
    QTextStream(stderr) << message << "\n";
    return 1;
}

int ToJson(const QString& path)
{
    const QByteArray json = QJsonDocument(SurveyFileToJson(path)).toJson(QJsonDocument::Indented);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(json) != json.size())
        return Fail(QStringLiteral("Could not write to standard output"));
    return 0;
}

int FromJson(const QString& jsonPath, const QString& outPath)
{
    if (!QFileInfo(jsonPath).isFile())
        return Fail(QStringLiteral("Could not find file ") + jsonPath);
    QByteArray bytes;
    QString reason;
    if (!ReadFileBytes(jsonPath, bytes, &reason))
        return Fail(QStringLiteral("Could not read file %1: %2").arg(jsonPath, reason));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return Fail(
            QStringLiteral("%1: %2 at offset %3").arg(jsonPath, error.errorString()).arg(error.offset));
    if (!doc.isObject())
        return Fail(jsonPath + QStringLiteral(": the survey must be a JSON object"));
    SaveSurveyFromJson(doc.object(), outPath);
    return 0;
}

} // namespace

int RunSurveyCommand(const QStringList& args)
{
    try {
        if (args.size() == 2 && args[0] == QLatin1String("to-json"))
            return ToJson(args[1]);
        if (args.size() == 3 && args[0] == QLatin1String("from-json"))
            return FromJson(args[1], args[2]);
    } catch (const ESurveyException& e) {
        return Fail(e.Message());
    }
    return Usage();
}
