#include "gui/settings/prefscommand.h"

#include "core/base/inisettings.h"
#include "core/base/preferences.h"
#include "core/startup/datadir.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/settings/prefs.h"

#include <QAction>

void ConnectPreferences(TORVMainForm& form)
{
    form.SetHandler(cmd::Preferences, [&form] { RunPreferences(form); });
}

void RunPreferences(TORVMainForm& form)
{
    TORVPrefs dialog(ReadPreferences(AppSettings(), form.DataDirectory()), &form);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TPreferenceValues values = dialog.Values();
    WritePreferences(values, AppSettings());
    form.SetHtmlExtension(HtmlExtensionFor(values.defaultHTML));
    form.SetDataDirectory(WithTrailingSlash(values.dataDirectory));
    form.CheckForButtons();
}
