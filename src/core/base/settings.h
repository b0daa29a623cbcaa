#pragma once

#include <QString>

#include <map>
#include <optional>

// The per-user settings store. Every value is kept as a string under a section and a name;
// the typed readers apply the default on every read, so a missing or unparsable value never
// raises an error.
class TSettings {
public:
    virtual ~TSettings() = default;

    virtual std::optional<QString> Value(const QString& section, const QString& name) const = 0;
    virtual void SetValue(const QString& section, const QString& name, const QString& value) = 0;
    virtual void Remove(const QString& section, const QString& name) = 0;

    QString ReadString(const QString& section, const QString& name, const QString& def) const;
    // Decimal text; text of more than two characters beginning "0x"/"0X" is hexadecimal.
    int ReadInteger(const QString& section, const QString& name, int def) const;
    // Read as an integer; non-zero is true.
    bool ReadBool(const QString& section, const QString& name, bool def) const;

    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& section, const QString& name, int value);
    void WriteBool(const QString& section, const QString& name, bool value);
};

// Parses an integer with the settings' rules; std::nullopt when the text is not a number.
std::optional<int> ParseSettingsInteger(const QString& text);

// A settings store held in memory: the twin of the real store for tests and batch tools.
class TMemorySettings : public TSettings {
public:
    std::optional<QString> Value(const QString& section, const QString& name) const override;
    void SetValue(const QString& section, const QString& name, const QString& value) override;
    void Remove(const QString& section, const QString& name) override;

private:
    static QString Key(const QString& section, const QString& name);
    std::map<QString, QString> values_;
};
