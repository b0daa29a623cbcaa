#pragma once

// Verify and register as operations a dialog can call: each sends its request through the
// client, waits for the end while the event loop runs, and stores in the survey what the
// reply means.

#include "core/responses/serverprotocol.h"

#include <QDateTime>
#include <QString>

class THttpClient;
class TSurvey;

struct TExchangeResult {
    bool Succeeded = false;
    QString Message; // the failure, or the server's error text without its markup
};

// Waits until the client's request ends; true when it succeeded. `failure` names what went wrong.
bool WaitForExchange(THttpClient& client, QString& failure);

// On a reply that names the product: ServerMajorVer and ServerMinorVer, and "Server verified."
// in the history. Nothing is stored otherwise.
TExchangeResult VerifyServer(TSurvey& survey, THttpClient& client);
// Registers with form 1 or form 2 (RegisterRequest); `surveyFileText` is the saved survey file.
// Success: SetRegistered(now); an error reply: RegDate cleared, no history entry.
TExchangeResult RegisterSurvey(
    TSurvey& survey, THttpClient& client, const QString& surveyFileText, const QDateTime& now);
