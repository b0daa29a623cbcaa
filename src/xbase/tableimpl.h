#pragma once

// The inside of TTable, shared by its source files (open and index upkeep, navigation, editing,
// copies).

#include "xbase/dbfheader.h"
#include "xbase/expression.h"
#include "xbase/filesystem.h"
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
    std::unique_ptr<TFile> dbf;
    TMemoFile memo;
    TDbfHeader header;
    bool readOnly = false;
    bool indexRebuilt = false;
    bool indexDirty = false; // the in-memory tags differ from the file
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
    size_t tagPos = 0; // storage index into the order's entries
    quint64 tagPosGeneration = ~0ull;
    bool tagBetween = false; // the current record is not in the tag; tagPos is where it would be
    int pendingIndex = -1; // the current record is appends[pendingIndex]

    std::vector<TPending> appends;
    std::unique_ptr<TPending> edit; // change of the current stored record

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
    TStatus Track(TStatus st)
    {
        if (!st.ok())
            lastError = st.Message();
        return st;
    }

    int lockDepth = 0;
    bool lockExclusive = false;
    // Nested locks of the table file; a shared lock inside an exclusive one stays exclusive.
    TStatus LockTable(bool exclusive);
    void UnlockTable();

    // table.cpp: opening, freshness, index upkeep
    TStatus OpenFiles(const QString& tablePath, bool readOnlyMode);
    void CloseFiles();
    // Notices what other handles and processes committed. Before a write (under the exclusive
    // lock) the headers are always read again; otherwise cheap checks decide.
    TStatus Sync(bool beforeWrite = false);
    TStatus LoadIndex(bool writeIfRebuilt);
    TStatus ComputeAllKeys(std::vector<std::vector<TCdxEntry>>* keys, const std::vector<TTag*>& which);
    TStatus WriteIndex();
    // The bytes of record n; a blank record (and readError set) when it cannot be read.
    const char* RecordPtr(quint32 n);
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
    void RelocateInTag();
    void MoveTo(quint32 n);
    void SetEof();
    bool StepNatural(int direction);
    bool StepTag(int direction);
    bool Step(int direction);

    // tableedit.cpp
    TStatus Flush(); // commits pending changes before a move
    // Flush, then Sync: what every move and copy does first. A failure is recorded as the last error.
    TStatus FlushAndSync()
    {
        readError.clear();
        TStatus st = Flush();
        if (st.ok())
            st = Sync();
        return Track(st);
    }
    TStatus CommitLocked();
    TStatus ApplyKeys(quint32 n, const QByteArray& oldRecord, const QByteArray& newRecord);
    TStatus EnsureIndexMaintainable();
};

} // namespace xbase
