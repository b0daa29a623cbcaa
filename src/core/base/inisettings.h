#pragma once

#include "core/base/settings.h"

#include <QSettings>

#include <memory>

// The per-user settings store of the program: an INI file written through QSettings. Every value is
// kept as a string; sections and names are looked up without regard to case (a file edited by hand
// may spell them differently), and a value is written back under the spelling already in the file.
class TIniSettings : public TSettings {
public:
    explicit TIniSettings(const QString& fileName);
    ~TIniSettings() override;

    std::optional<QString> Value(const QString& section, const QString& name) const override;
    void SetValue(const QString& section, const QString& name, const QString& value) override;
    void Remove(const QString& section, const QString& name) override;

    // Writes pending changes to disk now (they are written at destruction anyway).
    void Flush();
    QString FileName() const;

private:
    QString FindKey(const QString& section, const QString& name) const;

    mutable QSettings store_;
};

// $XDG_CONFIG_HOME/OrvalleBuilder/settings.ini (or ~/.config/... when the variable is unset).
QString DefaultSettingsFileName();

// The settings store the whole program reads and writes. Created on first use over
// DefaultSettingsFileName(); tests and tools install their own with SetAppSettings.
TSettings& AppSettings();
void SetAppSettings(std::unique_ptr<TSettings> settings);
