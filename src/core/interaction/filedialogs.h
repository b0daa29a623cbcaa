#pragma once

#include <QString>

#include <memory>
#include <optional>

// The open, save and directory dialogs. Filters are Qt filter strings ("Orvalle Files (*.orv)",
// several separated by ";;"). Each call returns the chosen path, or nothing when cancelled.
// Tests install TScriptedFileDialogs (tests/support/scriptedseams.h) to return chosen paths.
class TFileDialogs {
public:
    virtual ~TFileDialogs() = default;
    // The chosen file must exist.
    virtual std::optional<QString> OpenFile(
        const QString& title, const QString& filter, const QString& directory)
        = 0;
    // Asks before overwriting an existing file; fileName presets the name box. chosenFilter, when
    // given, receives the entry of `filter` the user picked.
    virtual std::optional<QString> SaveFile(const QString& title, const QString& filter,
        const QString& directory, const QString& fileName, QString* chosenFilter = nullptr)
        = 0;
    virtual std::optional<QString> Directory(const QString& title, const QString& directory) = 0;
};

TFileDialogs& FileDialogs();
std::unique_ptr<TFileDialogs> SetFileDialogs(std::unique_ptr<TFileDialogs> dialogs);
