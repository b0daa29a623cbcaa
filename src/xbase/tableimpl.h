#pragma once

// The inside of TTable, shared by its source files (open and index upkeep, navigation, editing,
// copies).

#include "xbase/appendspill.h"
#include "xbase/cdxstore.h"
#include "xbase/cdxtree.h"
#include "xbase/dbfheader.h"
#include "xbase/expression.h"
#include "xbase/filesystem.h"
#include "xbase/journalledfile.h"
#include "xbase/memofile.h"
#include "xbase/table.h"
#include "xbase/tagindex.h"

#include <QHash>

#include <atomic>
#include <map>
#include <memory>
#include <vector>

namespace xbase {

struct TTable::TImpl {
    struct TPending {
        QByteArray record;
        std::map<int, QByteArray> memos; // field index -> new memo bytes (encoded)
    };

    std::shared_ptr<TFileSystem> fs;
    QString path, memoPath, cdxPath, cpgPath;
    std::unique_ptr<TJournalledFile> dbf;
    TMemoFile memo;
    TJournalledFile* memoFile = nullptr; // owned by `memo`
    // The index file, and the store its tags are read through. While an index found out of
    // date has not been written back yet, the store reads a rebuilt copy held in memory.
    std::unique_ptr<TJournalledFile> cdx;
    std::unique_ptr<TCdxStore> store;
    std::shared_ptr<TMemoryFileSystem> rebuiltIndex;
    std::unique_ptr<TFile> rebuiltFile;
    bool indexStale = false; // the file on disk is out of date: the next write rebuilds it
    bool staleBeforeWrite = false;
    TDbfHeader header;
    bool readOnly = false;
    bool indexRebuilt = false;
    bool deletedVisible = false;
    std::vector<std::unique_ptr<TTag>> tags;
    quint64 indexGeneration = 0;
    int order = 0;
    quint64 dbfStamp = 0, cdxStamp = 0;
    // Bumped by every handle of this process that writes the table, so that the others notice
    // at once; other processes are noticed by the file's modification stamp.
    std::shared_ptr<std::atomic<quint64>> version;
    quint64 seenVersion = 0;
    qint64 lastStampCheck = 0; // steady clock, microseconds
    void Bump()
    {
        if (version)
            seenVersion = ++*version;
    }
    quint32 cdxCounter = 0;
    std::unique_ptr<TExpression> filter;
    QString filterText;
    QString lastError;
    // Set by RecordPtr when a record could not be read (a damaged block, an I/O error); the
    // operation that asked for it reports it instead of treating a blank record as data.
    QString readError;
    QHash<QString, int> fieldNames; // upper-case name -> index

    // Position.
    quint32 recno = 0; // current record; 0 or count+1 at the end
    bool eof = true, bof = true;
    // In an index order: the entry of the current record (or where the record would be, when
    // its FOR condition has just dropped it), and a cursor on it while the index is unchanged.
    TCdxEntry tagEntry;
    bool tagEntryKnown = false;
    TCdxCursor tagCursor;
    quint64 tagCursorGeneration = ~0ull;
    int pendingIndex = -1; // the current record is appends[pendingIndex]

    std::vector<TPending> appends;
    // Appended records set aside once the pending ones pass this size (appends then holds the
    // last one only). They come before those in `appends`.
    static constexpr qint64 kSpillBytes = 8 << 20;
    std::unique_ptr<TAppendSpill> spill;
    bool spillFailed = false; // no temporary file could be had: pending records stay in memory
    bool directJournal = false; // a commit wrote the journal of appends written straight through
    quint32 Spilled() const { return spill ? spill->Count() : 0; }
    void SpillAppends();
    // The appended records of the last commit, kept for the next one (up to this size).
    static constexpr qint64 kKeptAppendBytes = 64 << 20;
    QByteArray appendBuffer;
    std::unique_ptr<TPending> edit; // change of the current stored record
    std::vector<quint32> deletions; // stored records to mark deleted, in order, by one commit

    // Read cache of consecutive records.
    QByteArray chunk;
    quint32 chunkFirst = 0, chunkCount = 0;
    QByteArray blank;

    bool IsOpen() const { return dbf != nullptr; }
    quint32 Count() const { return header.RecordCount; }
    TStatus Fail(const QString& message)
    {
        lastError = message;
        return TStatus::Error(message);
    }
    // Fails for a record number the table does not have.
    TStatus CheckRecordNumber(int n)
    {
        if (n >= 1 && quint32(n) <= header.RecordCount)
            return TStatus::Ok();
        return Fail(QStringLiteral("Record %1 is out of range (the table has %2 records)")
                        .arg(n)
                        .arg(header.RecordCount));
    }
    TStatus Track(TStatus st)
    {
        if (!st.ok())
            lastError = st.Message();
        return st;
    }

    int lockDepth = 0;
    bool lockExclusive = false;
    int readBatch = 0; // open read batches (BeginReadBatch)
    bool readBatchSynced = false; // the batch has looked for other writers' commits once
    // Nested locks of the table file; a shared lock inside an exclusive one stays exclusive.
    TStatus LockTable(bool exclusive);
    void UnlockTable();
    // Held by every operation that reads the files, so that no commit happens half-way through
    // it: readers see a commit whole or not at all.
    class TReadLock {
    public:
        explicit TReadLock(TImpl& d)
            : m_d(d)
        {
        }
        ~TReadLock()
        {
            if (m_held)
                m_d.UnlockTable();
        }
        TStatus Take()
        {
            TStatus st = m_d.LockTable(false);
            m_held = st.ok();
            return st;
        }

    private:
        TImpl& m_d;
        bool m_held = false;
    };

    // table.cpp: opening, freshness
    TStatus OpenFiles(const QString& tablePath, bool readOnlyMode);
    void CloseFiles();
    // Notices what other handles and processes committed. Before a write (under the exclusive
    // lock) the headers are always read again; otherwise cheap checks decide.
    TStatus Sync(bool beforeWrite = false);
    // Puts back a commit a crashed writer left half-done (see journal.h).
    TStatus Recover();
    TStatus ReadHeaderAgain();
    const char* RecordPtr(quint32 n);
    // Like RecordPtr, but a record that cannot be read is an error, never a blank record.
    TStatus ReadRecord(quint32 n, const char** record);

    // tableindex.cpp: the index
    TStatus OpenIndex();
    TStatus LoadTags();
    TStatus CheckFreshness(bool* stale);
    TStatus UseRebuiltIndexInMemory();
    TStatus ComputeAllKeys(std::vector<std::vector<TCdxEntry>>* keys, const std::vector<TTag*>& which);
    // Writes a complete new index of every tag (inside a commit).
    TStatus RebuildIndexFile();
    // Writes a complete new index of the given tags, one for each of `tags` (inside a commit).
    TStatus WriteWholeIndex(const std::vector<TCdxTagData>& data);
    TCdxTree Tree(const TTag& tag)
    {
        return TCdxTree(*store, tag.Header.HeaderOffset, tag.Header.KeyLength, tag.Fill);
    }
    void IndexChanged() { ++indexGeneration; }

    // tablewrite.cpp: commits through the journal
    TStatus BeginWrite();
    // Finishes the write begun when `st` is Ok, abandons it otherwise; the result says why a
    // write failed and what putting things back could not do.
    TStatus EndWrite(const TStatus& st);
    TStatus FinishWrite();
    // Forgets the held writes and reads the headers again; the result tells when that fails.
    TStatus AbortWrite();
    TStatus MoveCounter();
    TStatus JournalChanges(const std::vector<TJournalledFile*>& changed);
    TStatus WriteInPlace(const std::vector<TJournalledFile*>& changed);
    // The read error since the last call, as a failure (recorded as the last error), or Ok.
    TStatus TakeReadError()
    {
        if (readError.isEmpty())
            return TStatus::Ok();
        TStatus st = Fail(readError);
        readError.clear();
        return st;
    }
    TStatus ReadRecordFresh(quint32 n, QByteArray* out);
    QString ReadMemo(const char* record, int field);
    TRecordContext Context(const char** recordHolder);

    // tablenav.cpp
    const char* CurrentRecord();
    bool Visible(quint32 n);
    TTag* OrderTag() const { return order > 0 ? tags[size_t(order - 1)].get() : nullptr; }
    TStatus PlaceInTag(TCdxCursor* cursor, bool* between);
    TStatus ScanTag(TCdxCursor cursor, int storageStep, bool* found);
    void MoveTo(quint32 n);
    void SetEof();
    bool StepNatural(int direction);
    TStatus StepTag(int direction, bool* moved);
    TStatus Step(int direction, bool* moved);

    // tableedit.cpp
    TStatus Flush(); // commits pending changes before a move
    // Flush, then Sync under the read lock: what every move and copy does first. A failure is
    // recorded as the last error.
    TStatus FlushAndSync(TReadLock& lock)
    {
        readError.clear();
        TStatus st = Flush();
        if (st.ok())
            st = lock.Take();
        if (st.ok())
            st = Sync();
        return Track(st);
    }
    TStatus EnsureIndexMaintainable();
};

} // namespace xbase
