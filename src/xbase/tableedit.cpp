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

TStatus TTable::TImpl::ApplyKeys(
    quint32 n, const QByteArray& oldRecord, const QByteArray& newRecord, bool* rebuild)
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
        // In a UNIQUE tag another record with the old key may have to stand for it now.
        if (tag->Header.Unique())
            *rebuild = true;
        if (*rebuild)
            return TStatus::Ok();
        TCdxTree tree = Tree(*tag);
        TStatus st = hadKey ? tree.Remove({oldKey, n}) : TStatus::Ok();
        if (st.ok() && hasKey)
            st = tree.Insert({newKey, n});
        if (!st.ok())
            return st;
    }
    return TStatus::Ok();
}

// Keys of the appended records, which follow record `base`. A batch as large as a fair part of
// the table is cheaper to index by building every tag anew.
TStatus TTable::TImpl::AddKeys(quint32 base, bool* rebuild)
{
    for (const auto& tag : tags)
        *rebuild = *rebuild || tag->Header.Unique();
    if (*rebuild || appends.size() * 8 >= base)
        return *rebuild = true, TStatus::Ok();
    const char* record = nullptr;
    TRecordContext ctx = Context(&record);
    std::string key;
    for (auto& tag : tags) {
        std::vector<TCdxEntry> added;
        for (size_t i = 0; i < appends.size(); ++i) {
            record = appends[i].record.constData();
            ctx.Record = std::string_view(record, size_t(header.Layout.RecordLength));
            if (tag->KeyOf(ctx, &key))
                added.push_back({key, base + 1 + quint32(i)});
        }
        std::sort(added.begin(), added.end());
        TCdxTree tree = Tree(*tag);
        for (const TCdxEntry& entry : added) {
            TStatus st = tree.Insert(entry);
            if (!st.ok())
                return st;
        }
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::CommitLocked()
{
    const auto& fields = header.Layout.Fields;
    // Memo values are stored again at every attempt: a failed commit leaves nothing behind.
    auto storeMemos = [&](TPending& p, const QByteArray* old) -> TStatus {
        for (const auto& [field, bytes] : p.memos) {
            const TFieldDef& f = fields[size_t(field)];
            quint32 block = 0;
            TStatus st = memo.Write(bytes, old ? MemoBlock(old->constData(), f) : 0, &block);
            if (!st.ok())
                return st;
            SetMemoBlock(p.record.data(), f, block);
        }
        return TStatus::Ok();
    };

    const quint32 oldCount = header.RecordCount;
    TStatus st = BeginWrite();
    if (!st.ok())
        return st;
    bool rebuild = indexStale;
    if (st.ok() && memo.IsOpen())
        st = memo.Begin();
    QByteArray editOld;
    if (st.ok() && edit) {
        st = ReadRecordFresh(recno, &editOld);
        if (st.ok())
            st = storeMemos(*edit, &editOld);
    }
    for (size_t i = 0; st.ok() && i < appends.size(); ++i)
        st = storeMemos(appends[i], nullptr);
    if (memo.IsOpen()) {
        const TStatus finished = memo.Finish();
        if (st.ok())
            st = finished;
    }
    if (st.ok() && edit) {
        st = dbf->WriteAt(header.RecordOffset(recno), edit->record.constData(), edit->record.size());
        chunkCount = 0;
        if (st.ok() && cdx)
            st = ApplyKeys(recno, editOld, edit->record, &rebuild);
    }
    if (st.ok() && !appends.empty()) {
        const qint64 length = header.Layout.RecordLength;
        const qint64 offset = header.RecordOffset(oldCount + 1);
        QByteArray records;
        records.reserve(qsizetype(qint64(appends.size()) * length + 1));
        for (const TPending& p : appends)
            records.append(p.record);
        records.append('\x1A');
        st = dbf->WriteAt(offset, records.constData(), records.size());
        const qint64 end = offset + records.size();
        if (st.ok() && dbf->Size() > end)
            st = dbf->Truncate(end); // bytes of an append that never finished
        header.RecordCount = header.StoredCount = oldCount + quint32(appends.size());
        chunkCount = 0;
        if (st.ok() && cdx)
            st = AddKeys(oldCount, &rebuild);
    }
    if (st.ok() && rebuild && cdx)
        st = RebuildIndexFile();
    if (st.ok()) {
        StampHeader(header.Raw, header.RecordCount);
        st = dbf->WriteAt(0, header.Raw.constData(), 8);
    }
    st = st.ok() ? FinishWrite() : (AbortWrite(), st);
    IndexChanged();
    if (!st.ok())
        return st;

    edit.reset();
    if (!appends.empty()) {
        if (pendingIndex >= 0) {
            recno = oldCount + 1 + quint32(pendingIndex);
            eof = bof = false;
            pendingIndex = -1;
            tagEntryKnown = false;
        }
        appends.clear();
    }
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
