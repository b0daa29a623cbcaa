// Appending, editing, deleting and committing records.

#include "xbase/codepage.h"
#include "xbase/table.h"
#include "xbase/tableimpl.h"

#include <algorithm>

namespace xbase {

namespace {

TTable::TImpl::TPending* Target(TTable::TImpl& d)
{
    if (d.pendingIndex >= 0)
        return &d.appends[size_t(d.pendingIndex)];
    if (d.eof || d.recno == 0 || d.recno > d.header.RecordCount)
        return nullptr;
    if (!d.edit) {
        d.readError.clear();
        const char* stored = d.RecordPtr(d.recno);
        if (!d.readError.isEmpty())
            return nullptr; // changing a blank stand-in would overwrite the record on commit
        d.edit = std::make_unique<TTable::TImpl::TPending>();
        d.edit->record = QByteArray(stored, d.header.Layout.RecordLength);
    }
    return d.edit.get();
}

// Why there is nothing to change: the record could not be read, or there is no current record.
TStatus NoTarget(TTable::TImpl& d, const QString& noRecord)
{
    TStatus st = d.TakeReadError();
    return st.ok() ? d.Fail(noRecord) : st;
}

} // namespace

TStatus TTable::TImpl::EnsureIndexMaintainable()
{
    for (const auto& tag : tags)
        if (!tag->Evaluable())
            return TStatus::Error(
                tag->CompileError + QStringLiteral(" (the table can be read but not changed)"));
    return TStatus::Ok();
}

TStatus TTable::TImpl::Flush()
{
    if (!IsOpen())
        return TStatus::Error(QStringLiteral("No table is open"));
    if (appends.empty() && !edit)
        return TStatus::Ok();
    TStatus st = EnsureIndexMaintainable();
    if (st.ok())
        st = LockTable(true);
    if (!st.ok())
        return st;
    st = Sync(true);
    if (st.ok())
        st = CommitLocked();
    UnlockTable();
    return st;
}

TStatus TTable::TImpl::ApplyKeys(quint32 n, const QByteArray& oldRecord, const QByteArray& newRecord)
{
    const char* record = nullptr;
    TRecordContext ctx = Context(&record);
    for (auto& tag : tags) {
        std::string oldKey, newKey;
        record = oldRecord.constData();
        ctx.Record = std::string_view(record, size_t(oldRecord.size()));
        const bool hadKey = tag->KeyOf(ctx, &oldKey);
        record = newRecord.constData();
        ctx.Record = std::string_view(record, size_t(newRecord.size()));
        const bool hasKey = tag->KeyOf(ctx, &newKey);
        if (hadKey == hasKey && oldKey == newKey)
            continue;
        indexDirty = true;
        ++indexGeneration;
        if (tag->Header.Unique()) {
            // Another record with the old key may now have to stand for it: recompute the tag.
            std::vector<std::vector<TCdxEntry>> keys;
            TStatus st = ComputeAllKeys(&keys, {tag.get()});
            if (!st.ok())
                return st;
            tag->Entries = std::move(keys[0]);
            continue;
        }
        if (hadKey)
            tag->Remove({oldKey, n});
        if (hasKey)
            tag->Insert({newKey, n});
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::CommitLocked()
{
    const auto& fields = header.Layout.Fields;
    auto storeMemos = [&](TPending& p, const QByteArray* old) -> TStatus {
        for (const auto& [field, bytes] : p.memos) {
            const TFieldDef& f = fields[size_t(field)];
            quint32 block = 0;
            TStatus st = memo.Write(bytes, old ? MemoBlock(old->constData(), f) : 0, &block);
            if (!st.ok())
                return st;
            SetMemoBlock(p.record.data(), f, block);
        }
        p.memos.clear();
        return TStatus::Ok();
    };

    // What to put back when a later step fails, so that a commit stores everything or nothing.
    // (Memo blocks written on the way stay as unreferenced space; the pending records keep
    // pointing at them, so a retry does not write them again.)
    const quint32 oldCount = header.RecordCount;
    const QByteArray oldHead = header.Raw.left(8);
    QByteArray editOld;
    bool editWritten = false, appendsWritten = false;
    auto rollback = [&](TStatus failure) -> TStatus {
        if (editWritten)
            (void)dbf->WriteAt(header.RecordOffset(recno), editOld.constData(), editOld.size());
        if (appendsWritten) {
            (void)dbf->WriteAt(0, oldHead.constData(), oldHead.size());
            (void)dbf->Truncate(header.RecordOffset(oldCount + 1));
            (void)dbf->WriteAt(header.RecordOffset(oldCount + 1), "\x1A", 1);
            header.Raw.replace(0, 8, oldHead);
            header.RecordCount = header.StoredCount = oldCount;
        }
        chunkCount = 0;
        if (editWritten || appendsWritten) {
            if (header.HasStructuralIndex() && fs->Exists(cdxPath))
                (void)LoadIndex(false);
            else
                ++indexGeneration;
        }
        dbfStamp = dbf->Stamp();
        Bump();
        return failure;
    };

    TPending* editDone = nullptr;
    if (memo.IsOpen()) {
        TStatus st = memo.Begin();
        if (!st.ok())
            return st;
    }
    if (edit) {
        TStatus st = ReadRecordFresh(recno, &editOld);
        if (st.ok())
            st = storeMemos(*edit, &editOld);
        if (memo.IsOpen()) {
            const TStatus finished = memo.Finish(); // before the record points at the blocks
            if (st.ok())
                st = finished;
            if (st.ok() && !appends.empty())
                st = memo.Begin();
        }
        if (!st.ok())
            return st;
        editWritten = true;
        st = dbf->WriteAt(header.RecordOffset(recno), edit->record.constData(), edit->record.size());
        if (!st.ok())
            return rollback(st);
        chunkCount = 0;
        st = ApplyKeys(recno, editOld, edit->record);
        if (!st.ok())
            return rollback(st);
        editDone = edit.get();
    }

    if (!appends.empty()) {
        // Records and the end-of-file mark first, the count in the header last: a crash in
        // between leaves the old count, which a reader trusts over the file length.
        const quint32 base = header.RecordCount;
        for (TPending& p : appends) {
            TStatus st = storeMemos(p, nullptr);
            if (!st.ok()) {
                (void)memo.Finish();
                return rollback(st);
            }
        }
        if (memo.IsOpen()) {
            TStatus st = memo.Finish(); // memo blocks before the records that point at them
            if (!st.ok())
                return rollback(st);
        }
        // The records go out through a buffer that stays in the cache: gathering all of them
        // first would copy the whole batch into fresh memory once more.
        const qint64 length = header.Layout.RecordLength;
        const qint64 offset = header.RecordOffset(base + 1);
        const qint64 end = offset + qint64(appends.size()) * length + 1;
        const size_t perChunk = size_t(std::max<qint64>(1, (qint64(1) << 20) / std::max<qint64>(length, 1)));
        QByteArray chunkBuffer;
        chunkBuffer.reserve(qsizetype(perChunk * size_t(length) + 1));
        appendsWritten = true;
        qint64 at = offset;
        TStatus st;
        for (size_t i = 0; st.ok() && i < appends.size(); i += perChunk) {
            chunkBuffer.clear();
            const size_t stop = std::min(appends.size(), i + perChunk);
            for (size_t k = i; k < stop; ++k)
                chunkBuffer.append(appends[k].record);
            if (stop == appends.size())
                chunkBuffer.append('\x1A');
            st = dbf->WriteAt(at, chunkBuffer.constData(), chunkBuffer.size());
            at += chunkBuffer.size();
        }
        if (st.ok() && dbf->Size() > end)
            st = dbf->Truncate(end); // bytes of an append that never finished
        if (!st.ok())
            return rollback(st);
        const quint32 count = base + quint32(appends.size());
        StampHeader(header.Raw, count);
        st = dbf->WriteAt(0, header.Raw.constData(), 8);
        if (!st.ok())
            return rollback(st);
        header.RecordCount = header.StoredCount = count;
        chunkCount = 0;

        const char* record = nullptr;
        TRecordContext ctx = Context(&record);
        for (auto& tag : tags) {
            std::vector<TCdxEntry> added;
            std::string key;
            for (size_t i = 0; i < appends.size(); ++i) {
                record = appends[i].record.constData();
                ctx.Record = std::string_view(record, size_t(header.Layout.RecordLength));
                if (tag->KeyOf(ctx, &key))
                    added.push_back({key, base + 1 + quint32(i)});
            }
            if (added.empty())
                continue;
            tag->InsertMany(std::move(added));
            if (tag->Header.Unique())
                tag->DropDuplicates();
            indexDirty = true;
        }
        ++indexGeneration;
    }

    TStatus st = dbf->Sync();
    if (st.ok() && memo.IsOpen())
        st = memo.File()->Sync();
    if (st.ok() && indexDirty)
        st = WriteIndex();
    if (!st.ok())
        return rollback(st);

    if (editDone)
        edit.reset();
    if (!appends.empty()) {
        if (pendingIndex >= 0) {
            recno = oldCount + 1 + quint32(pendingIndex);
            eof = bof = false;
            pendingIndex = -1;
            tagPosGeneration = ~0ull;
        }
        appends.clear();
    }
    dbfStamp = dbf->Stamp();
    Bump();
    return TStatus::Ok();
}

TStatus TTable::Commit()
{
    if (!d->IsOpen())
        return TStatus::Ok();
    if (d->appends.empty() && !d->edit)
        return TStatus::Ok();
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    return d->Track(d->Flush());
}

TStatus TTable::Append()
{
    if (!d->IsOpen())
        return d->Fail(QStringLiteral("No table is open"));
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    if (d->edit) {
        TStatus st = Commit();
        if (!st.ok())
            return st;
    }
    d->appends.push_back({d->blank, {}});
    d->pendingIndex = int(d->appends.size() - 1);
    d->eof = d->bof = false;
    return TStatus::Ok();
}

TStatus TTable::AssignField(const QString& fieldName, const QString& text)
{
    if (!d->IsOpen())
        return d->Fail(QStringLiteral("No table is open"));
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    const int i = FieldIndex(fieldName);
    if (i < 0)
        return d->Fail(QStringLiteral("The table has no field %1").arg(fieldName));
    TImpl::TPending* p = Target(*d);
    if (!p)
        return NoTarget(*d, QStringLiteral("There is no current record to change"));
    const TFieldDef& f = d->header.Layout.Fields[size_t(i)];
    if (IsMemoType(f.Type)) {
        p->memos[i] = EncodeText(text, d->header.Layout.Encoding);
        return TStatus::Ok();
    }
    return d->Track(StoreFieldText(p->record.data(), f, text, d->header.Layout.Encoding));
}

TStatus TTable::AssignField(const QString& fieldName, long long number)
{
    const int i = FieldIndex(fieldName);
    if (i >= 0 && IsNumericType(d->header.Layout.Fields[size_t(i)].Type))
        return AssignNumber(fieldName, double(number));
    return AssignField(fieldName, QString::number(number));
}

TStatus TTable::AssignNumber(const QString& fieldName, double number)
{
    if (!d->IsOpen())
        return d->Fail(QStringLiteral("No table is open"));
    const int i = FieldIndex(fieldName);
    if (i < 0)
        return d->Fail(QStringLiteral("The table has no field %1").arg(fieldName));
    const TFieldDef& f = d->header.Layout.Fields[size_t(i)];
    if (!IsNumericType(f.Type))
        return AssignField(fieldName, QString::number(number, 'g', 15));
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    TImpl::TPending* p = Target(*d);
    if (!p)
        return NoTarget(*d, QStringLiteral("There is no current record to change"));
    return d->Track(StoreFieldNumber(p->record.data(), f, number));
}

static TStatus Mark(TTable& table, TTable::TImpl& d, char flag)
{
    if (!d.IsOpen())
        return d.Fail(QStringLiteral("No table is open"));
    if (d.readOnly)
        return d.Fail(QStringLiteral("The table is open for reading only"));
    if (d.pendingIndex >= 0) {
        TStatus st = table.Commit();
        if (!st.ok())
            return st;
    }
    TTable::TImpl::TPending* p = Target(d);
    if (!p)
        return NoTarget(d, QStringLiteral("There is no current record"));
    p->record[0] = flag;
    return table.Commit();
}

TStatus TTable::Delete()
{
    return Mark(*this, *d, '*');
}
TStatus TTable::Recall()
{
    return Mark(*this, *d, ' ');
}

} // namespace xbase
