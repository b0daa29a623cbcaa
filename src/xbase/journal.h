#pragma once

// The rollback journal of a table: before a commit changes any byte of the table, memo or index
// file in place, the original bytes of everything it will change (and each file's length) are
// written to "TABLE-journal" beside the table and synced. The commit then writes in place and
// removes the journal. Whoever finds a complete journal next - a reader or a writer, in this
// process or another - writes the original bytes back first, so a crash leaves the table as it
// was before the commit or as it is after it, never between. A journal that is not complete was
// cut short before any in-place write began and is simply removed.

#include "xbase/filesystem.h"
#include "xbase/journalledfile.h"

#include <vector>

namespace xbase {

QString JournalPath(const QString& tablePath);

QByteArray EncodeJournal(const std::vector<TFileBefore>& files);
// False when the bytes are not a complete journal.
bool DecodeJournal(const QByteArray& bytes, std::vector<TFileBefore>* files);

// Writes the journal and makes it durable (file and folder entry).
TStatus WriteJournal(TFileSystem& fs, const QString& tablePath, const std::vector<TFileBefore>& files);
// Puts back what a journal left by an interrupted commit holds, then removes it. Does nothing
// when there is no journal. `*restored` tells whether files were changed.
TStatus PlayBackJournal(TFileSystem& fs, const QString& tablePath, bool* restored = nullptr);

} // namespace xbase
