#include "gui/publishing/publishcommands.h"

#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/publishing/elist.h"
#include "gui/publishing/publishsurvey.h"
#include "gui/widgets/hooks.h"

#include <QVariantMap>

void PublishSurveyCommand(TORVMainForm& form)
{
    if (!form.ConfirmSaveBeforePublish())
        return;
    TPublishContext context;
    context.DataDirectory = form.DataDirectory();
    context.LastDirSavedTo = form.LastDirSavedTo();
    context.HtmlExtension = form.HtmlExtension();
    {
        TORVPublishSurvey dialog(form.Survey(), context, &form);
        dialog.exec();
    }
}

void EmailListManagerCommand(TORVMainForm& form)
{
    OpenEmailListManager(&form, form.Survey().NotificationFile(), form.DataDirectory());
}

void AttachPublishingCommands(TORVMainForm& form)
{
    form.SetHandler(cmd::PublishSurvey, [&form] { PublishSurveyCommand(form); });
    form.SetHandler(cmd::SurveyEmailLists, [&form] { EmailListManagerCommand(form); });
    // The survey properties open the manager by name, with the list typed there ("file"; made
    // when it does not exist yet).
    RegisterHook(
        QString::fromLatin1(kEmailListManagerHook), [&form](QWidget* parent, const QVariantMap& args) {
            OpenEmailListManager(parent, form.Survey().NotificationFile(), form.DataDirectory(),
                args.value(QStringLiteral("file")).toString());
        });
    QObject::connect(
        &form, &QObject::destroyed, [] { UnregisterHook(QString::fromLatin1(kEmailListManagerHook)); });
}
