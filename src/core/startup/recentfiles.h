#pragma once

#include <QStringList>

class TSettings;

// The recently used survey files, most recent first, at most six full paths; stored as the
// values "File 0" ... "File 5" of the settings section "MRUList".
class TRecentFiles {
public:
    static constexpr int MaxCount = 6;

    const QStringList& Files() const { return files_; }
    int Count() const { return static_cast<int>(files_.size()); }

    // A path without a folder is completed with lastDirSavedTo. A path already in the list
    // (compared without regard to case) moves to the top; otherwise the oldest entry beyond the
    // sixth is dropped and the path goes on top.
    void Add(const QString& path, const QString& lastDirSavedTo);
    // Removes the path (compared without regard to case); false when it was not in the list.
    bool Remove(const QString& path);

    // Reads "File 0" to "File 5", skipping absent and empty values and duplicates.
    void Load(const TSettings& settings);
    // Writes the entries as "File 0" ... "File n-1" and deletes the values the list no longer fills.
    void Save(TSettings& settings) const;

    // The path with lastDirSavedTo put in front when it has no folder part.
    static QString Complete(const QString& path, const QString& lastDirSavedTo);
    // The caption of a path in menus and the status bar: the file name alone when the file lies
    // in lastDirSavedTo (compared without regard to case), else the full path.
    static QString Caption(const QString& path, const QString& lastDirSavedTo);

private:
    int IndexOf(const QString& path) const;
    QStringList files_;
};
