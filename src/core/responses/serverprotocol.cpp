#include "core/responses/serverprotocol.h"

#include "core/base/commatext.h"
#include "core/base/utils.h"
#include "core/survey/survey.h"

#include <QFile>
#include <QStringList>
#include <QUrl>

namespace {

// Values are percent-encoded: a password holding "&", "#" or a blank would otherwise cut the
// request short. Servers decode them to the same text.
QString Value(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString Query(const QStringList& pairs)
{
    return pairs.join(QLatin1Char('&'));
}

} // namespace

QString VerifyURL(const TSurvey& survey)
{
    return survey.GetFormAction() + QStringLiteral("/VerifyServer");
}

QString DownloadURL(const TSurvey& survey)
{
    return survey.GetFormAction() + QStringLiteral("/GetResults?")
        + Query({"SurveyFile=" + Value(survey.UniqueName()), "ID=" + Value(survey.Password()),
            "LastUpdate=" + Value(survey.GetSRLastUpdate())});
}

QString ClearURL(const TSurvey& survey)
{
    return survey.GetFormAction() + QStringLiteral("/clearSurvey?")
        + Query({"SurveyFile=" + Value(survey.UniqueName()), "AccountID=" + Value(survey.AccountID()),
            "ID=" + Value(survey.Password())});
}

QByteArray EncodeSurveyFile(const QString& surveyFileText)
{
    QString text = surveyFileText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return URLEncode(JoinCommaText(lines)).toLatin1();
}

TRegisterRequest RegisterRequest(const TSurvey& survey, const QString& surveyFileText)
{
    const QString address = survey.GetFormAction();
    TRegisterRequest request;
    request.Post = address.toUpper().contains(QLatin1String("ORV.DLL")) && survey.ServerMajorVer() >= 2;
    if (!request.Post) {
        request.URL = address + QStringLiteral("/RegisterSurvey?")
            + Query({"SurveyFile=" + Value(survey.UniqueName()), "AccountID=" + Value(survey.AccountID()),
                "ID=" + Value(survey.Password())});
        return request;
    }
    request.URL = address + QStringLiteral("/RegSurvey");
    request.Body = Query({"SurveyFile=" + Value(survey.UniqueName()), "ID=" + Value(survey.Password()),
                             "AccountID=" + Value(survey.AccountID()), "Questions="})
                       .toLatin1()
        + EncodeSurveyFile(surveyFileText);
    return request;
}

bool IsVerifyReply(const QString& body)
{
    return body.contains(QLatin1String("Orvalle"));
}

TServerVersion ParseServerVersion(const QString& body)
{
    const qsizetype dot = body.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    bool majorOk = false, minorOk = false;
    const int major
        = body.mid(qMax<qsizetype>(0, dot - 2), qMin<qsizetype>(2, dot)).trimmed().toInt(&majorOk);
    const int minor = body.mid(dot + 1, 1).toInt(&minorOk);
    if (!majorOk || !minorOk)
        return {};
    return {major, minor};
}

bool IsRegistrationComplete(const QString& body)
{
    return body.contains(QLatin1String("Registration Complete"));
}

TVerifyOutcome VerifyResultFile(const QString& path)
{
    TVerifyOutcome outcome{false, QString::fromLatin1(kResultNotFormatted)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return outcome;
    const QByteArray first = file.readLine(64 * 1024).toUpper();
    if (first.contains("<DATA>")) {
        outcome.Passed = true;
    } else if (first.contains("<ERROR>")) {
        const QByteArray second = file.readLine(64 * 1024);
        outcome.Reason = QStringLiteral("Error: ") + QString::fromUtf8(second).trimmed();
    }
    return outcome;
}
