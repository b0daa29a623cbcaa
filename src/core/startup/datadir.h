#pragma once

#include <QString>

// The data directory holds display templates, response templates, question libraries, the tips
// file, the help pages and the error log. Its path always ends with "/".

// $XDG_DATA_HOME/orvalle/ (~/.local/share/orvalle/ when the variable is unset).
QString DefaultDataDirectory();

// Appends "/" unless the path already ends with one.
QString WithTrailingSlash(const QString& path);

// Where the files that seed a new data directory come from: share/orvalle/ beside the installed
// program, else the source tree's data/ folder of a build tree. Empty when neither exists.
QString InstalledDataSource();

// Copies every file of `source` (recursively) that `target` does not have yet, creating `target`
// when needed; existing files are never overwritten. Build files of the source tree are skipped.
// Returns false when the target cannot be created or a copy fails.
bool SeedDataDirectory(const QString& target, const QString& source);

// The folder of the help pages: the installed ones, else the data directory's "help/".
QString HelpDirectory(const QString& dataDirectory);
