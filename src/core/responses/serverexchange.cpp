#include "core/responses/serverexchange.h"

#include "core/base/utils.h"
#include "core/responses/httpclient.h"
#include "core/survey/survey.h"

#include <QEventLoop>

bool WaitForExchange(THttpClient& client, QString& failure)
{
    QEventLoop loop;
    bool succeeded = false;
    const auto connections = {
        QObject::connect(&client, &THttpClient::Succeeded, &loop,
            [&] {
                succeeded = true;
                loop.quit();
            }),
        QObject::connect(&client, &THttpClient::Failed, &loop,
            [&](THttpOperation operation) {
                failure = OperationFailedName(operation);
                loop.quit();
            }),
        QObject::connect(&client, &THttpClient::ConnectionFailed, &loop,
            [&] {
                failure = QStringLiteral("Connection to server failed.");
                loop.quit();
            }),
    };
    if (client.Busy())
        loop.exec();
    for (const auto& connection : connections)
        QObject::disconnect(connection);
    return succeeded;
}

TExchangeResult VerifyServer(TSurvey& survey, THttpClient& client)
{
    client.SetBodyFile({});
    client.SetHeaderFile({});
    client.Get(VerifyURL(survey));
    TExchangeResult result;
    if (!WaitForExchange(client, result.Message))
        return result;
    const QString body = QString::fromUtf8(client.Body());
    if (!IsVerifyReply(body)) {
        result.Message = QStringLiteral("The server did not answer as an Orvalle response server.");
        return result;
    }
    const TServerVersion version = ParseServerVersion(body);
    survey.SetServerMajorVer(version.Major);
    survey.SetServerMinorVer(version.Minor);
    survey.AddHistory(QStringLiteral("Server verified."));
    result.Succeeded = true;
    return result;
}

TExchangeResult RegisterSurvey(
    TSurvey& survey, THttpClient& client, const QString& surveyFileText, const QDateTime& now)
{
    const TRegisterRequest request = RegisterRequest(survey, surveyFileText);
    client.SetBodyFile({});
    client.SetHeaderFile({});
    if (request.Post) {
        client.SetEncodePostedData(false);
        client.Post(request.URL, request.Body);
    } else {
        client.Get(request.URL);
    }
    TExchangeResult result;
    const bool answered = WaitForExchange(client, result.Message);
    client.SetEncodePostedData(true);
    if (!answered)
        return result;
    const QString body = QString::fromUtf8(client.Body());
    if (IsRegistrationComplete(body)) {
        survey.SetRegistered(now);
        result.Succeeded = true;
    } else {
        survey.SetRegDate(ZeroDateTime());
        result.Message = StripTags(body).trimmed();
    }
    return result;
}
