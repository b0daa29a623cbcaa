// Opens a survey in the main window (offscreen), presses "&Update Now", lets the real dialog
// download and merge, and prints what a user would read as JSON: the dialog's status lines, the
// messages shown, the response count and the tallies rebuilt after the merge.
//   e2e_update_now SURVEY

#include "core/analysis/results.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/application.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/responsecommands.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"
#include "support/updatenow.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QJsonArray Tallies(const TResultsList& results)
{
    QJsonArray tallies;
    for (const auto& result : results) {
        QJsonObject tally{{QStringLiteral("question"), result->QuestionID}};
        if (const auto* count = dynamic_cast<const TCountResults*>(result.get())) {
            tally[QStringLiteral("option")] = count->Caption;
            tally[QStringLiteral("count")] = count->Count;
        } else if (const auto* numeric = dynamic_cast<const TNumericResults*>(result.get())) {
            tally[QStringLiteral("total")] = numeric->Total;
            tally[QStringLiteral("count")] = numeric->ValueCount;
        }
        tallies.append(tally);
    }
    return tallies;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e_update_now SURVEY\n");
        return 2;
    }
    SetUpApplication();
    QTemporaryDir home;
    UseAsHome(home.path());
    TScriptedSeams seams;

    TORVMainForm window(QString::fromLocal8Bit(argv[1]));
    TSurveyResponseTable& responses = AttachResponseCommands(window);
    const QStringList lines = RunUpdateNow(window, false, nullptr, 120000);

    const QJsonObject report{{QStringLiteral("lines"), QJsonArray::fromStringList(lines)},
        {QStringLiteral("messages"), QJsonArray::fromStringList(seams.messages->Texts())},
        {QStringLiteral("responses"), window.Survey().SRResponseCount()},
        {QStringLiteral("tallies"), Tallies(responses.Analysis().Results)}};
    std::fputs(QJsonDocument(report).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputs("\n", stdout);
    return lines.isEmpty() ? 1 : 0;
}
