#include "core/base/inisettings.h"

#include <QDir>
#include <QStandardPaths>

namespace {

std::unique_ptr<TSettings>& Installed()
{
    static std::unique_ptr<TSettings> settings;
    return settings;
}

QString FindIgnoringCase(const QStringList& names, const QString& wanted)
{
    for (const QString& n : names) {
        if (n.compare(wanted, Qt::CaseInsensitive) == 0)
            return n;
    }
    return {};
}

} // namespace

TIniSettings::TIniSettings(const QString& fileName)
    : store_(fileName, QSettings::IniFormat)
{
}

TIniSettings::~TIniSettings()
{
    store_.sync();
}

QString TIniSettings::FindKey(const QString& section, const QString& name) const
{
    const QString exact = section + QLatin1Char('/') + name;
    if (store_.contains(exact))
        return exact;
    const QString group = FindIgnoringCase(store_.childGroups(), section);
    if (group.isEmpty())
        return {};
    store_.beginGroup(group);
    const QString key = FindIgnoringCase(store_.childKeys(), name);
    store_.endGroup();
    if (key.isEmpty())
        return {};
    return group + QLatin1Char('/') + key;
}

std::optional<QString> TIniSettings::Value(const QString& section, const QString& name) const
{
    const QString key = FindKey(section, name);
    if (key.isEmpty())
        return std::nullopt;
    const QVariant v = store_.value(key);
    // A hand-edited value such as "a, b" comes back from QSettings as a list; keep it as text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void TIniSettings::SetValue(const QString& section, const QString& name, const QString& value)
{
    QString key = FindKey(section, name);
    if (key.isEmpty())
        key = section + QLatin1Char('/') + name;
    store_.setValue(key, value);
}

void TIniSettings::Remove(const QString& section, const QString& name)
{
    const QString key = FindKey(section, name);
    if (!key.isEmpty())
        store_.remove(key);
}

void TIniSettings::Flush()
{
    store_.sync();
}

QString TIniSettings::FileName() const
{
    return store_.fileName();
}

QString DefaultSettingsFileName()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/OrvalleBuilder/settings.ini");
}

TSettings& AppSettings()
{
    auto& s = Installed();
    if (!s)
        s = std::make_unique<TIniSettings>(DefaultSettingsFileName());
    return *s;
}

void SetAppSettings(std::unique_ptr<TSettings> settings)
{
    Installed() = std::move(settings);
}
