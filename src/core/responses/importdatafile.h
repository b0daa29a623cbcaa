#pragma once

// File > Import > "&Server Data File...": replaces the local responses by the contents of a data
// file the author saved from the server by other means. The new table is built completely beside
// the old one and only then put in its place, so a failing import leaves every local response
// where it was.

#include "core/responses/addresponses.h"

#include <QString>

class TSurvey;

struct TImportOutcome {
    enum class TKind {
        Imported, // information box: Message (the merge summary)
        NotFound, // error box: Message
        MergeFailed, // error box: Message; the local responses are unchanged
        Stopped, // stopped through the progress callback; the local responses are unchanged
        Error, // error box: Message; the local responses are unchanged
    };
    TKind Kind = TKind::Error;
    QString Message;
    TAddResponseResult Result;
};

// Runs the import of the chosen file `path` (the dialog part is the caller's).
TImportOutcome ImportServerDataFile(
    TSurvey& survey, TResponseTable& table, const QString& path, const TIntakeHooks& hooks);

// Copies `source` to `target` as a data file the merge reads: a first line beginning with "PSID"
// or "ID" (a column heading) is left out, "<DATA>" comes first, and "</DATA>" comes last, in
// place of a last line that is blank. Lines end with CR LF. Returns an error message or empty.
QString PrepareImportFile(const QString& source, const QString& target);

// Puts the table built at `stagingPath` in the place of `finalPath`, removing the files of the
// old table at `oldPath` (which may be the same path or empty). Either the new table stands at
// `finalPath` and the old files are gone, or nothing has changed. Returns an error or empty.
QString SwapInResponseTable(const QString& stagingPath, const QString& finalPath, const QString& oldPath);
