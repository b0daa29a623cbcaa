#pragma once

#include "core/authoring/questionrows.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class TQuestion;
class TSettings;
class TSurvey;

// Question libraries: "*.ovl" files directly in the data directory, each a survey file whose
// Name is the library's name and whose items are the library's questions and headers.

struct TLibraryEntry {
    QString Path;
    QString Name; // "Unknown" when the file names none
};

// Every library of the directory, in the order the directory lists them (never sorted).
std::vector<TLibraryEntry> ListLibraries(const QString& dataDirectory);
// The Name of one library file ("Unknown" when it cannot be read or has none).
QString LibraryName(const QString& path);

// "ql" + N + ".ovl" with the smallest N from 0 upward that names no file yet.
QString NextLibraryPath(const QString& dataDirectory);
// A library of that name is already listed (letter case ignored).
bool LibraryNameInUse(const std::vector<TLibraryEntry>& libraries, const QString& name);
// The message shown for a name that is already in use.
QString LibraryNameInUseMessage(const QString& name);

// Writes an empty library named `name` under the next free file name and returns its path.
// Throws ESurveyException when the file cannot be written.
QString CreateLibrary(const QString& dataDirectory, const QString& name, TSettings* settings);

// Appends a copy of the item's content (text, style, options, lengths, other and comment boxes,
// range) with a new ID and without skip-group links. Returns the new index.
int AppendItemCopy(const TQuestion& item, TSurvey& to);
// AppendItemCopy for each listed row of `from` in the order given; rows out of range are skipped.
void AppendItemCopies(const TSurvey& from, const std::vector<int>& rows, TSurvey& to);

// Loads the library, appends copies of the selected items of the survey and saves the library.
// False when the library could not be read or written; the survey is never changed and the file
// keeps what it held before.
bool AddToLibrary(const QString& libraryPath, const TSurvey& survey, const std::vector<int>& selected);
inline constexpr const char* kAddToLibraryFailed = "Error adding questions to library";

// The rows of the library dialog's list: an item's text alone (no number), no skip-group indent
// or mark, and a numeric question's range without its step.
std::vector<TQuestionRow> BuildLibraryRows(const TSurvey& library);

// Deletes the rows from the last to the first.
void DeleteLibraryItems(TSurvey& library, const std::vector<int>& selected);
// "Are you sure you want to delete the selected item?" or "... the N items you have selected?"
QString DeleteItemsQuestion(int count);
