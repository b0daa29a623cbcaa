#pragma once

#include "core/base/profilefile.h"

#include <QDateTime>

#include <optional>

// The survey file's reader and writer: a profile file whose date-time values are written in the
// locale's short date and long time (the date alone at midnight) and read back the same way.
class TORVIniFile : public TProfileFile {
public:
    using TProfileFile::TProfileFile;

    // nullopt when the key is missing or its value does not parse.
    std::optional<QDateTime> ReadDateTime(const QString& section, const QString& key) const;
    void WriteDateTime(const QString& section, const QString& key, const QDateTime& value);
};

// The stored form of a comma-text option list: each option followed by "|".
QString EncodeOptions(const QString& options);
// The option list of a stored value: each "|" ends an option; text after the last "|" is dropped.
QString DecodeOptions(const QString& stored);
