#include "support/testhome.h"

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

void UseAsHome(const QString& home)
{
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    SetAppSettings(nullptr);
    SetAppSettings(std::make_unique<TIniSettings>(DefaultSettingsFileName()));
    AppSettings().WriteBool(settings::Preferences, settings::TipAtStartup, false);
}

TTestHome::TTestHome()
{
    UseAsHome(path());
}

TTestHome::~TTestHome()
{
    SetAppSettings(nullptr);
}
