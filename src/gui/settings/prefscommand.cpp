#include "gui/settings/prefscommand.h"

#include "core/base/inisettings.h"
#include "core/base/preferences.h"
#include "core/startup/datadir.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/publishing/mailsecuritybox.h"
#include "core/interaction/messages.h"
#include "gui/settings/prefs.h"

#include <QAction>

void ConnectPreferences(TORVMainForm& form)
{
    form.SetHandler(cmd::Preferences, [&form] { RunPreferences(form); });
}

void RunPreferences(TORVMainForm& form)
{
    const TPreferenceValues before = ReadPreferences(AppSettings(), form.DataDirectory());
    TORVPrefs dialog(before, &form);
    dialog.gbConnection->Load(
        AppSettings(), before.SmtpServerAddress, before.OutgoingPort.toInt(), before.SmtpUserID);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TPreferenceValues values = dialog.Values();
    WritePreferences(values, AppSettings());
    QString error;
    if (!dialog.gbConnection->Save(
            AppSettings(), values.SmtpServerAddress, values.OutgoingPort.toInt(), values.SmtpUserID, &error))
        ShowError(QStringLiteral("The mail server's password could not be kept in the desktop's password "
                                 "store, so it was not saved.\n\n")
            + error);
    form.SetHtmlExtension(HtmlExtensionFor(values.DefaultHTML));
    form.SetDataDirectory(WithTrailingSlash(values.DataDirectory));
}
