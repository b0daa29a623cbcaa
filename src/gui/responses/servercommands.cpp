#include "gui/responses/servercommands.h"

#include "core/responses/serverprotocol.h"
#include "core/survey/survey.h"
#include "gui/analysis/analysisview.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/responsecommands.h"
#include "gui/responses/updateresponses.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"

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
    if (TORVAnalysisView* view = responses.View(); view && form.AnalysisQuestionList()->currentIndex() >= 0)
        view->cmbQuestionListClick();
    form.Survey().Changes().Notify(TSurveyChange::Responses);
}

void ClearResultsFromServerCommand(TORVMainForm& form)
{
    if (!AskYesNo(QString::fromLatin1(kClearQuestion)))
        return;
    OpenWithShell(ClearURL(form.Survey()));
}

void SetServerHandlers(TORVMainForm& form)
{
    TORVMainForm* window = &form;
    form.SetHandler(cmd::UpdateNow, [window] {
        if (TSurveyResponseTable* responses = ResponsesOf(*window))
            UpdateNowCommand(*window, *responses);
    });
    form.SetHandler(cmd::ClearResultsFromServer, [window] { ClearResultsFromServerCommand(*window); });
}
