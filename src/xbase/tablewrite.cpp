// Commits through the rollback journal: every write of a commit is held back until the journal
// of the bytes it will change is on disk; then the files are written in place and the journal
// removed. The index file goes first, beginning with its change counter, which is what other
// handles watch.

#include "xbase/journal.h"
#include "xbase/table.h"
#include "xbase/tableimpl.h"

#include <QFileInfo>

#include <algorithm>

namespace xbase {

namespace {

std::vector<TJournalledFile*> Files(TTable::TImpl& d)
{
    std::vector<TJournalledFile*> files;
    if (d.cdx)
        files.push_back(d.cdx.get());
    if (d.memoFile)
        files.push_back(d.memoFile);
    files.push_back(d.dbf.get());
    return files;
}

// The failure of a commit, with what went wrong while putting things back after it.
TStatus WithRollback(const TStatus& cause, const TStatus& rollback)
{
    if (rollback.ok())
        return cause;
    return TStatus::Error(
        QStringLiteral("%1; putting the table back failed too: %2").arg(cause.Message(), rollback.Message()));
}

} // namespace

TStatus TTable::TImpl::BeginWrite()
{
    staleBeforeWrite = indexStale;
    for (TJournalledFile* file : Files(*this)) {
        TStatus st = file->Begin();
        if (!st.ok())
            return WithRollback(st, AbortWrite());
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::EndWrite(const TStatus& st)
{
    return st.ok() ? FinishWrite() : WithRollback(st, AbortWrite());
}

// Every commit moves the index's counter, so that other handles notice it with one read.
TStatus TTable::TImpl::MoveCounter()
{
    if (!cdx || cdx->Size() < 512 || !store)
        return TStatus::Ok();
    quint32 counter = 0;
    TStatus st = TCdxStore(cdx.get()).ReadCounter(&counter);
    if (st.ok())
        st = TCdxStore(cdx.get()).WriteCounter(counter + 1);
    cdxCounter = counter + 1;
    return st;
}

TStatus TTable::TImpl::JournalChanges(const std::vector<TJournalledFile*>& changed)
{
    std::vector<TFileBefore> before(changed.size());
    for (size_t i = 0; i < changed.size(); ++i) {
        TStatus st = changed[i]->Before(&before[i]);
        if (!st.ok())
            return st;
    }
    return WriteJournal(*fs, path, before);
}

// The changed files are all written before the first sync, so that the disk works on them
// together; files the commit did not change are neither written nor synced.
TStatus TTable::TImpl::WriteInPlace(const std::vector<TJournalledFile*>& changed)
{
    for (TJournalledFile* file : changed) {
        TStatus st = file->Apply(false);
        if (!st.ok())
            return st;
    }
    for (TJournalledFile* file : changed) {
        TStatus st = file->Sync();
        if (!st.ok())
            return st;
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::FinishWrite()
{
    std::vector<TJournalledFile*> changed;
    for (TJournalledFile* file : Files(*this))
        if (file->Changed())
            changed.push_back(file);
    if (changed.empty()) {
        for (TJournalledFile* file : Files(*this))
            file->Discard();
        return TStatus::Ok();
    }
    TStatus st = MoveCounter();
    if (st.ok() && cdx && cdx->Changed()
        && std::find(changed.begin(), changed.end(), cdx.get()) == changed.end())
        changed.insert(changed.begin(), cdx.get());
    if (st.ok())
        st = JournalChanges(changed);
    if (!st.ok())
        return WithRollback(st, AbortWrite()); // nothing was written in place
    st = WriteInPlace(changed);
    // Removing the journal is the moment of commit. Its folder entry is not synced again (one
    // wait less per commit): after a power cut a journal that comes back undoes the last commit
    // whole, which leaves the files consistent.
    if (st.ok())
        st = fs->Remove(JournalPath(path));
    if (!st.ok()) {
        // Half written: the old bytes go back now, or, when that fails too, at the next open.
        TStatus rollback = PlayBackJournal(*fs, path);
        if (!rollback.ok())
            rollback = TStatus::Error(
                QStringLiteral("%1 (the next open of the table tries again)").arg(rollback.Message()));
        const TStatus reread = AbortWrite();
        return WithRollback(st, rollback.ok() ? reread : rollback);
    }
    directJournal = false;
    chunkCount = 0;
    dbfStamp = dbf->Stamp();
    Bump();
    return TStatus::Ok();
}

TStatus TTable::TImpl::AbortWrite()
{
    // Appends written straight through are cut off again by their journal.
    TStatus direct;
    if (directJournal)
        direct = PlayBackJournal(*fs, path);
    directJournal = false;
    for (TJournalledFile* file : Files(*this))
        file->Discard();
    // What this handle believed of the files may be the abandoned commit's: read them again.
    chunkCount = 0;
    TStatus st;
    if (dbf) {
        TDbfHeader fresh;
        st = ReadDbfHeader(*dbf, &fresh);
        if (st.ok()) {
            header.RecordCount = fresh.RecordCount;
            header.StoredCount = fresh.StoredCount;
            header.Flags = fresh.Flags;
            header.Raw.replace(0, 32, fresh.Raw.left(32));
        }
    }
    TStatus index;
    if (cdx && staleBeforeWrite) {
        index = UseRebuiltIndexInMemory();
    } else if (cdx && !rebuiltIndex) {
        store = std::make_unique<TCdxStore>(cdx.get());
        if (cdx->Size() >= 1024) {
            index = TCdxStore(cdx.get()).ReadCounter(&cdxCounter);
            if (index.ok())
                index = LoadTags();
        }
    }
    IndexChanged();
    if (!index.ok())
        st = st.ok() ? index : WithRollback(st, index);
    if (!direct.ok())
        st = st.ok() ? direct : WithRollback(st, direct);
    if (!st.ok())
        return TStatus::Error(QStringLiteral("Cannot read the table again: %1").arg(st.Message()));
    return st;
}

} // namespace xbase
