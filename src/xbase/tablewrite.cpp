// Commits through the rollback journal: every write of a commit is held back until the journal
// of the bytes it will change is on disk; then the files are written in place and the journal
// removed. The index file goes first, beginning with its change counter, which is what other
// handles watch.

#include "xbase/journal.h"
#include "xbase/table.h"
#include "xbase/tableimpl.h"

#include <QFileInfo>

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

} // namespace

TStatus TTable::TImpl::BeginWrite()
{
    staleBeforeWrite = indexStale;
    for (TJournalledFile* file : Files(*this)) {
        TStatus st = file->Begin();
        if (!st.ok()) {
            AbortWrite();
            return st;
        }
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::FinishWrite()
{
    const std::vector<TJournalledFile*> files = Files(*this);
    bool changed = false;
    for (TJournalledFile* file : files)
        changed = changed || file->Changed();
    if (!changed) {
        for (TJournalledFile* file : files)
            file->Discard();
        return TStatus::Ok();
    }
    TStatus st;
    if (cdx && cdx->Size() >= 512 && store) {
        // Every commit moves the counter, so that other handles notice it with one read.
        quint32 counter = 0;
        st = TCdxStore(cdx.get()).ReadCounter(&counter);
        if (st.ok())
            st = TCdxStore(cdx.get()).WriteCounter(counter + 1);
        cdxCounter = counter + 1;
    }
    std::vector<TFileBefore> before;
    for (TJournalledFile* file : files) {
        if (!st.ok() || !file->Changed())
            continue;
        before.emplace_back();
        st = file->Before(&before.back());
    }
    if (st.ok())
        st = WriteJournal(*fs, path, before);
    if (!st.ok()) {
        AbortWrite();
        return st;
    }
    // All three files are written before the first sync, so that the disk works on them together.
    std::vector<TJournalledFile*> written;
    for (TJournalledFile* file : files) {
        if (st.ok() && file->Holding() && file->Changed())
            written.push_back(file);
        if (st.ok() && file->Holding())
            st = file->Apply(false);
    }
    for (TJournalledFile* file : written)
        if (st.ok())
            st = file->Sync();
    // Removing the journal is the moment of commit. Its folder entry is not synced again (one
    // wait less per commit): after a power cut a journal that comes back undoes the last commit
    // whole, which leaves the files consistent.
    if (st.ok())
        st = fs->Remove(JournalPath(path));
    if (!st.ok()) {
        // Half written: put the old bytes back now (or, failing that, at the next open).
        (void)PlayBackJournal(*fs, path);
        AbortWrite();
        return st;
    }
    chunkCount = 0;
    dbfStamp = dbf->Stamp();
    Bump();
    return TStatus::Ok();
}

void TTable::TImpl::AbortWrite()
{
    for (TJournalledFile* file : Files(*this))
        file->Discard();
    // What this handle believed of the files may be the abandoned commit's: read them again.
    chunkCount = 0;
    if (dbf) {
        TDbfHeader fresh;
        if (ReadDbfHeader(*dbf, &fresh).ok()) {
            header.RecordCount = fresh.RecordCount;
            header.StoredCount = fresh.StoredCount;
            header.Flags = fresh.Flags;
            header.Raw.replace(0, 32, fresh.Raw.left(32));
        }
    }
    if (cdx && staleBeforeWrite) {
        (void)UseRebuiltIndexInMemory();
    } else if (cdx && !rebuiltIndex) {
        store = std::make_unique<TCdxStore>(cdx.get());
        if (cdx->Size() >= 1024 && TCdxStore(cdx.get()).ReadCounter(&cdxCounter).ok())
            (void)LoadTags();
    }
    IndexChanged();
}

} // namespace xbase
