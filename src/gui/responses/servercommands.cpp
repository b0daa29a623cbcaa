#include "gui/responses/servercommands.h"

#include "core/responses/serverprotocol.h"
#include "core/survey/survey.h"
#include "gui/analysis/analysisview.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/responsecommands.h"
#include "gui/responses/updateresponses.h"
#include "gui/seams/messages.h"
#include "gui/seams/shell.h"

#include <QAction>
#include <QComboBox>

void UpdateNowCommand(TORVMainForm& form, TSurveyResponseTable& responses)
{
    TIntakeHooks hooks;
    hooks.ShowError = [](const QString& message) { ShowError(message); };
    hooks.AnalyzeResults = [&responses] { responses.AnalyzeResults(); };
    TORVUpdateResponses dialog(
        form.Survey(), responses.Table(), hooks, [&form](const QString& file) { form.AddTempFile(file); },
        &form);
    dialog.exec();
    // The analysis view shows the current question again, with the new counts.
    if (TORVAnalysisView* view = responses.View(); view && form.cmbQuestionList->currentIndex() >= 0)
        view->cmbQuestionListClick();
    form.CheckForButtons();
}

void ClearResultsFromServerCommand(TORVMainForm& form)
{
    if (!AskYesNo(QString::fromLatin1(kClearQuestion)))
        return;
    OpenWithShell(ClearURL(form.Survey()));
}

void AttachServerCommands(TORVMainForm& form, TSurveyResponseTable& responses)
{
    form.SetCommand(form.btnUpdateNow, [&form, &responses] { UpdateNowCommand(form, responses); });
    form.SetCommand(form.miClearResultsFromServer, [&form] { ClearResultsFromServerCommand(form); });
}
