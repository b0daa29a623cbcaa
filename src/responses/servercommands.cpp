#include "responses/servercommands.h"

#include "app/messages.h"
#include "app/shell.h"
#include "authoring/mainform.h"
#include "responses/serverprotocol.h"
#include "responses/updateresponses.h"
#include "survey/survey.h"

#include <QAction>

namespace {

std::function<void()>& AnalyzeResultsHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

void SetAnalyzeResultsHook(std::function<void()> hook)
{
    AnalyzeResultsHook() = std::move(hook);
}

void UpdateNowCommand(TORVMainForm& form, TResponseTable& table)
{
    TIntakeHooks hooks;
    hooks.ShowError = [](const QString& message) { ShowError(message); };
    hooks.AnalyzeResults = AnalyzeResultsHook();
    TORVUpdateResponses dialog(
        form.Survey(), table, hooks, [&form](const QString& file) { form.AddTempFile(file); }, &form);
    dialog.exec();
    form.CheckForButtons();
}

void ClearResultsFromServerCommand(TORVMainForm& form)
{
    if (!AskYesNo(QString::fromLatin1(kClearQuestion)))
        return;
    OpenWithShell(ClearURL(form.Survey()));
}

void AttachServerCommands(TORVMainForm& form, TResponseTable& table)
{
    form.SetCommand(form.btnUpdateNow, [&form, &table] { UpdateNowCommand(form, table); });
    form.SetCommand(form.miClearResultsFromServer, [&form] { ClearResultsFromServerCommand(form); });
}
