// libFuzzer target: the survey-file reader and Load on arbitrary bytes.

#include "core/base/profilefile.h"
#include "core/survey/survey.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TProfileFile ini;
    ini.Parse(bytes);
    ini.WriteText("Details", "Name", QStringLiteral("x"));
    (void)ini.ToBytes();

    static const QString path
        = QDir::tempPath() + QStringLiteral("/orvalle-fuzz-%1.orv").arg(QCoreApplication::applicationPid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(bytes);
    file.close();
    TSurvey survey;
    try {
        survey.Load(path);
    } catch (const ESurveyException&) {
    }
    survey.Renumber();
    return 0;
}
