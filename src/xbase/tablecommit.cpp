#include "xbase/tablecommit.h"

#include "xbase/cdxkeylist.h"

#include <algorithm>
#include <iterator>

namespace xbase {

TTableCommit::TTableCommit(TTable::TImpl& table)
    : d_(table)
    , oldCount_(table.header.RecordCount)
{
}

TStatus TTableCommit::Run()
{
    TStatus st = d_.BeginWrite();
    if (!st.ok())
        return st;
    rebuild_ = d_.indexStale;
    st = StoreMemos();
    if (st.ok())
        st = WriteEdit();
    if (st.ok())
        st = WriteDeletions();
    if (st.ok())
        st = WriteAppends();
    if (st.ok() && rebuild_ && d_.cdx)
        st = d_.RebuildIndexFile();
    if (st.ok())
        st = WriteHeader();
    st = d_.EndWrite(st);
    d_.IndexChanged();
    if (st.ok())
        ForgetPending();
    return st;
}

// Memo values are stored again at every attempt: a failed commit leaves nothing behind.
TStatus TTableCommit::StoreMemos()
{
    if (!d_.memo.IsOpen())
        return TStatus::Ok();
    TStatus st = d_.memo.Begin();
    if (st.ok() && d_.edit) {
        st = d_.ReadRecordFresh(d_.recno, &editOld_);
        if (st.ok())
            st = StoreMemosOf(*d_.edit, &editOld_);
    }
    if (st.ok())
        st = StoreSpilledMemos();
    for (size_t i = 0; st.ok() && i < d_.appends.size(); ++i)
        st = StoreMemosOf(d_.appends[i], nullptr);
    const TStatus finished = d_.memo.Finish();
    return st.ok() ? finished : st;
}

TStatus TTableCommit::StoreMemosOf(TTable::TImpl::TPending& pending, const QByteArray* oldRecord)
{
    const auto& fields = d_.header.Layout.Fields;
    for (const auto& [field, bytes] : pending.memos) {
        const TFieldDef& f = fields[size_t(field)];
        quint32 block = 0;
        TStatus st = d_.memo.Write(bytes, oldRecord ? MemoBlock(oldRecord->constData(), f) : 0, &block);
        if (!st.ok())
            return st;
        SetMemoBlock(pending.record.data(), f, block);
    }
    return TStatus::Ok();
}

// Set-aside records get the blocks of their memos as they are written into the table.
TStatus TTableCommit::StoreSpilledMemos()
{
    spilledMemos_.clear();
    if (d_.Spilled() == 0)
        return TStatus::Ok();
    return d_.spill->ReadMemos([this](quint32 index, int field, const QByteArray& bytes) {
        quint32 block = 0;
        TStatus st = d_.memo.Write(bytes, 0, &block);
        if (st.ok())
            spilledMemos_.push_back({index, field, block});
        return st;
    });
}

void TTableCommit::PlaceSpilledMemos(quint32 first, quint32 count, char* records) const
{
    const auto& fields = d_.header.Layout.Fields;
    const qint64 length = d_.header.Layout.RecordLength;
    auto it = std::lower_bound(spilledMemos_.begin(), spilledMemos_.end(), first,
        [](const TMemoPlace& place, quint32 record) { return place.Record < record; });
    for (; it != spilledMemos_.end() && it->Record < first + count; ++it)
        SetMemoBlock(records + qint64(it->Record - first) * length, fields[size_t(it->Field)], it->Block);
}

TStatus TTableCommit::WriteEdit()
{
    if (!d_.edit)
        return TStatus::Ok();
    TStatus st;
    if (!d_.memo.IsOpen())
        st = d_.ReadRecordFresh(d_.recno, &editOld_);
    const QByteArray& record = d_.edit->record;
    if (st.ok())
        st = d_.dbf->WriteAt(d_.header.RecordOffset(d_.recno), record.constData(), record.size());
    d_.chunkCount = 0;
    if (st.ok() && d_.cdx)
        st = ApplyEditKeys();
    return st;
}

TStatus TTableCommit::WriteAppends()
{
    if (d_.appends.empty())
        return TStatus::Ok();
    const qint64 length = d_.header.Layout.RecordLength;
    TStatus st = WriteSpilled(d_.header.RecordOffset(oldCount_ + 1));
    if (!st.ok())
        return st;
    const qint64 offset = d_.header.RecordOffset(oldCount_ + 1 + d_.Spilled());
    const qint64 bytes = qint64(d_.appends.size()) * length + 1;
    // The buffer of the last commit is filled again: fresh memory of that size costs a page
    // fault every 4 KB, more than the copy itself. Very large batches get one of their own.
    QByteArray fresh;
    QByteArray& records = bytes <= TTable::TImpl::kKeptAppendBytes ? d_.appendBuffer : fresh;
    records.resize(0); // keeps the capacity
    records.reserve(qsizetype(bytes));
    for (const TTable::TImpl::TPending& p : d_.appends)
        records.append(p.record);
    records.append('\x1A');
    const qint64 end = offset + records.size();
    st = d_.dbf->WriteWhole(offset, records); // shared until the commit ends
    if (st.ok() && d_.dbf->Size() > end)
        st = d_.dbf->Truncate(end); // bytes of an append that never finished
    d_.header.RecordCount = d_.header.StoredCount = oldCount_ + AppendedCount();
    d_.chunkCount = 0;
    if (st.ok() && d_.cdx)
        st = AddAppendedKeys();
    return st;
}

// Set-aside records go straight into the file where they lengthen it, block by block, once a
// journal holds the file's old length (so that a crash cuts them off again); bytes over the old
// end, if any, are held like every other write.
TStatus TTableCommit::WriteSpilled(qint64 offset)
{
    if (d_.Spilled() == 0)
        return TStatus::Ok();
    const qint64 length = d_.header.Layout.RecordLength;
    return d_.spill->ReadRecords([&](quint32 first, quint32 count, char* bytes) {
        PlaceSpilledMemos(first, count, bytes);
        qint64 at = offset + qint64(first) * length;
        qint64 left = qint64(count) * length;
        const qint64 held = at < d_.dbf->DirectEnd() ? std::min(left, d_.dbf->DirectEnd() - at) : 0;
        TStatus st = d_.dbf->WriteAt(at, bytes, held);
        at += held;
        bytes += held;
        left -= held;
        if (!st.ok() || left == 0)
            return st;
        if (at != d_.dbf->DirectEnd()) // a file shorter than its header says
            return d_.dbf->WriteAt(at, bytes, left);
        if (!d_.directJournal) {
            st = d_.JournalChanges({d_.dbf.get()});
            if (!st.ok())
                return st;
            d_.directJournal = true;
        }
        return d_.dbf->WriteDirect(at, bytes, left);
    });
}

quint32 TTableCommit::AppendedCount() const
{
    return d_.Spilled() + quint32(d_.appends.size());
}

// Every appended record, set-aside ones first, with its record number.
TStatus TTableCommit::ForEachAppended(const std::function<void(const char* record, quint32 recno)>& visit)
{
    const qint64 length = d_.header.Layout.RecordLength;
    TStatus st;
    if (d_.Spilled() > 0)
        st = d_.spill->ReadRecords([&](quint32 first, quint32 count, char* bytes) {
            for (quint32 i = 0; i < count; ++i)
                visit(bytes + qint64(i) * length, oldCount_ + 1 + first + i);
            return TStatus::Ok();
        });
    for (size_t i = 0; st.ok() && i < d_.appends.size(); ++i)
        visit(d_.appends[i].record.constData(), oldCount_ + 1 + d_.Spilled() + quint32(i));
    return st;
}

// Each record marked deleted takes one byte; its keys change only in tags whose key or filter
// looks at the mark.
TStatus TTableCommit::WriteDeletions()
{
    QByteArray old;
    for (const quint32 recno : d_.deletions) {
        TStatus st = d_.ReadRecordFresh(recno, &old);
        if (!st.ok())
            return st;
        if (old.at(0) == '*')
            continue;
        QByteArray marked = old;
        marked[0] = '*';
        st = d_.dbf->WriteAt(d_.header.RecordOffset(recno), marked.constData(), 1);
        if (st.ok() && d_.cdx)
            st = ApplyKeyChange(recno, old, marked);
        if (!st.ok())
            return st;
    }
    d_.chunkCount = 0;
    return TStatus::Ok();
}

TStatus TTableCommit::ApplyEditKeys()
{
    return ApplyKeyChange(d_.recno, editOld_, d_.edit->record);
}

TStatus TTableCommit::ApplyKeyChange(quint32 recno, const QByteArray& oldRecord, const QByteArray& newRecord)
{
    const char* record = nullptr;
    TRecordContext ctx = d_.Context(&record);
    for (auto& tag : d_.tags) {
        std::string oldKey, newKey;
        record = oldRecord.constData();
        ctx.Record = std::string_view(record, size_t(oldRecord.size()));
        const bool hadKey = tag->KeyOf(ctx, &oldKey);
        record = newRecord.constData();
        ctx.Record = std::string_view(record, size_t(newRecord.size()));
        const bool hasKey = tag->KeyOf(ctx, &newKey);
        if (hadKey == hasKey && oldKey == newKey)
            continue;
        // In a UNIQUE tag another record with the old key may have to stand for it now.
        if (tag->Header.Unique())
            rebuild_ = true;
        if (rebuild_)
            return TStatus::Ok();
        TCdxTree tree = d_.Tree(*tag);
        TStatus st = hadKey ? tree.Remove({oldKey, recno}) : TStatus::Ok();
        if (st.ok() && hasKey)
            st = tree.Insert({newKey, recno});
        if (!st.ok())
            return st;
    }
    return TStatus::Ok();
}

// Keys of the appended records: inserted one by one into their leaves, or, when the batch is
// large, merged with the keys the tags hold and every tag written whole:
// that reads each tag's pages once, where inserting writes several pages for every key.
TStatus TTableCommit::AddAppendedKeys()
{
    for (const auto& tag : d_.tags)
        rebuild_ = rebuild_ || tag->Header.Unique();
    if (rebuild_)
        return TStatus::Ok();
    // An insert costs about as much as writing eight pages of a whole new index (it reads and
    // writes a path of pages, and with long keys trees are deep): batches large beside the
    // table or its index are merged.
    const qint64 indexPages = d_.store->FileSize() / kCdxPage;
    if (AppendedCount() * 16ull >= oldCount_ || qint64(AppendedCount()) * 8 >= indexPages)
        return BuildTagsWhole();
    for (auto& tag : d_.tags) {
        std::vector<TCdxEntry> added;
        TStatus st = AppendedKeys(*tag, &added);
        if (!st.ok())
            return st;
        TCdxTree tree = d_.Tree(*tag);
        for (size_t i = 0; st.ok() && i < added.size(); ++i)
            st = tree.Insert(added[i]);
        if (!st.ok())
            return st;
    }
    return TStatus::Ok();
}

TStatus TTableCommit::AppendedKeys(TTag& tag, std::vector<TCdxEntry>* keys)
{
    const char* record = nullptr;
    TRecordContext ctx = d_.Context(&record);
    std::string key;
    keys->clear();
    TStatus st = ForEachAppended([&](const char* appended, quint32 recno) {
        record = appended;
        ctx.Record = std::string_view(record, size_t(d_.header.Layout.RecordLength));
        if (tag.KeyOf(ctx, &key))
            keys->push_back({key, recno});
    });
    std::sort(keys->begin(), keys->end());
    return st;
}

// The appended records come after every stored one, so their keys merge with the stored keys
// without reading a stored record again. Both are held packed (TCdxKeyList): a few bytes beyond
// each key's own.
TStatus TTableCommit::BuildTagsWhole()
{
    std::vector<TCdxKeyList> stored, added;
    stored.reserve(d_.tags.size());
    added.reserve(d_.tags.size());
    std::vector<TCdxTagData> data;
    for (const auto& tag : d_.tags) {
        stored.emplace_back(tag->Header.KeyLength, tag->Fill);
        added.emplace_back(tag->Header.KeyLength, tag->Fill);
        TStatus st = StoredKeys(*tag, &stored.back());
        if (!st.ok())
            return st;
    }
    TStatus st = AppendedKeys(&added);
    if (!st.ok())
        return st;
    for (size_t i = 0; i < d_.tags.size(); ++i)
        data.push_back({d_.tags[i]->Header, d_.tags[i]->Fill, nullptr, {&stored[i], &added[i]}});
    return d_.WriteWholeIndex(data);
}

TStatus TTableCommit::StoredKeys(TTag& tag, TCdxKeyList* keys)
{
    keys->Reserve(oldCount_, size_t(oldCount_) * 16);
    const size_t limit = size_t(d_.store->FileSize() / 3 + 16); // a guard against damaged chains
    return d_.Tree(tag).Walk([keys](const TCdxEntry& e) { keys->Add(e.key.data(), e.recno); }, limit);
}

TStatus TTableCommit::AppendedKeys(std::vector<TCdxKeyList>* keys)
{
    const char* record = nullptr;
    TRecordContext ctx = d_.Context(&record);
    std::string key;
    for (TCdxKeyList& list : *keys)
        list.Reserve(AppendedCount(), size_t(AppendedCount()) * 16);
    TStatus st = ForEachAppended([&](const char* appended, quint32 recno) {
        record = appended;
        ctx.Record = std::string_view(record, size_t(d_.header.Layout.RecordLength));
        for (size_t i = 0; i < d_.tags.size(); ++i)
            if (d_.tags[i]->KeyOf(ctx, &key))
                (*keys)[i].Add(key.data(), recno);
    });
    for (TCdxKeyList& list : *keys)
        list.Sort();
    return st;
}

TStatus TTableCommit::WriteHeader()
{
    StampHeader(d_.header.Raw, d_.header.RecordCount);
    return d_.dbf->WriteAt(0, d_.header.Raw.constData(), 8);
}

void TTableCommit::ForgetPending()
{
    d_.edit.reset();
    d_.deletions.clear();
    if (d_.appends.empty())
        return;
    if (d_.pendingIndex >= 0) {
        d_.recno = oldCount_ + 1 + d_.Spilled() + quint32(d_.pendingIndex);
        d_.eof = d_.bof = false;
        d_.pendingIndex = -1;
        d_.tagEntryKnown = false;
    }
    d_.appends.clear();
    d_.spill.reset();
}

} // namespace xbase
