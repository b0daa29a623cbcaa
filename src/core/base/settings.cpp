#include "core/base/settings.h"

std::optional<int> ParseSettingsInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.size() > 2 && (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X"))))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    // Colours such as 0xFFFFFFFF are stored unsigned; keep their bit pattern.
    if (v < INT32_MIN || v > UINT32_MAX)
        return std::nullopt;
    return static_cast<int>(static_cast<qint32>(static_cast<quint32>(v & 0xFFFFFFFF)));
}

QString TSettings::ReadString(const QString& section, const QString& name, const QString& def) const
{
    return Value(section, name).value_or(def);
}

int TSettings::ReadInteger(const QString& section, const QString& name, int def) const
{
    const auto text = Value(section, name);
    if (!text)
        return def;
    return ParseSettingsInteger(*text).value_or(def);
}

bool TSettings::ReadBool(const QString& section, const QString& name, bool def) const
{
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

void TSettings::WriteString(const QString& section, const QString& name, const QString& value)
{
    SetValue(section, name, value);
}

void TSettings::WriteInteger(const QString& section, const QString& name, int value)
{
    SetValue(section, name, QString::number(value));
}

void TSettings::WriteBool(const QString& section, const QString& name, bool value)
{
    SetValue(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString TMemorySettings::Key(const QString& section, const QString& name)
{
    return section.toLower() + QChar(u'\x1f') + name.toLower();
}

std::optional<QString> TMemorySettings::Value(const QString& section, const QString& name) const
{
    const auto it = values_.find(Key(section, name));
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

void TMemorySettings::SetValue(const QString& section, const QString& name, const QString& value)
{
    values_[Key(section, name)] = value;
}

void TMemorySettings::Remove(const QString& section, const QString& name)
{
    values_.erase(Key(section, name));
}
