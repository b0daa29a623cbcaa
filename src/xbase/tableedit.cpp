// Appending, editing, deleting and committing records.

#include "xbase/codepage.h"
#include "xbase/table.h"
#include "xbase/tablecommit.h"
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

TStatus Writable(TTable::TImpl& d)
{
    if (!d.IsOpen())
        return d.Fail(QStringLiteral("No table is open"));
    if (d.readOnly)
        return d.Fail(QStringLiteral("The table is open for reading only"));
    return TStatus::Ok();
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

// Only the last appended record can still change (navigating commits first), so every one
// pending before a new append can go. Setting them aside that fails only costs memory.
void TTable::TImpl::SpillAppends()
{
    if (spillFailed)
        return;
    if (!spill)
        spill = TAppendSpill::Create(path, header.Layout.RecordLength);
    if (!spill) {
        spillFailed = true;
        return;
    }
    size_t moved = 0;
    while (moved < appends.size() && spill->Add(appends[moved].record, appends[moved].memos).ok())
        ++moved;
    spillFailed = moved < appends.size();
    appends.erase(appends.begin(), appends.begin() + std::ptrdiff_t(moved));
}

TStatus TTable::TImpl::Flush()
{
    if (!IsOpen())
        return TStatus::Error(QStringLiteral("No table is open"));
    if (appends.empty() && !edit && deletions.empty())
        return TStatus::Ok();
    TStatus st = EnsureIndexMaintainable();
    if (st.ok())
        st = LockTable(true);
    if (!st.ok())
        return st;
    st = Sync(true);
    if (st.ok())
        st = TTableCommit(*this).Run();
    UnlockTable();
    return st;
}

TStatus TTable::Commit()
{
    if (!d->IsOpen())
        return TStatus::Ok();
    if (d->appends.empty() && !d->edit && d->deletions.empty())
        return TStatus::Ok();
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    return d->Track(d->Flush());
}

TStatus TTable::Append()
{
    TStatus st = Writable(*d);
    if (st.ok() && d->edit)
        st = Commit();
    if (!st.ok())
        return st;
    if (qint64(d->appends.size()) * d->header.Layout.RecordLength >= TImpl::kSpillBytes)
        d->SpillAppends();
    d->appends.push_back({d->blank, {}});
    d->pendingIndex = int(d->appends.size() - 1);
    d->eof = d->bof = false;
    return TStatus::Ok();
}

TStatus TTable::AssignField(const QString& fieldName, const QString& text)
{
    TStatus st = Writable(*d);
    const int i = st.ok() ? FieldIndex(fieldName) : -1;
    if (st.ok() && i < 0)
        st = d->Fail(QStringLiteral("The table has no field %1").arg(fieldName));
    return st.ok() ? AssignField(i, text) : st;
}

TStatus TTable::AssignField(const QString& fieldName, long long number)
{
    const int i = FieldIndex(fieldName);
    return i >= 0 ? AssignField(i, number) : AssignField(fieldName, QString::number(number));
}

TStatus TTable::AssignNumber(const QString& fieldName, double number)
{
    const int i = FieldIndex(fieldName);
    if (i < 0 && d->IsOpen())
        return d->Fail(QStringLiteral("The table has no field %1").arg(fieldName));
    return AssignNumber(i, number);
}

TStatus TTable::AssignField(int fieldIndex, const QString& text)
{
    TStatus st = Writable(*d);
    if (!st.ok())
        return st;
    if (fieldIndex < 0 || fieldIndex >= FieldCount())
        return d->Fail(QStringLiteral("The table has no field number %1").arg(fieldIndex + 1));
    TImpl::TPending* p = Target(*d);
    if (!p)
        return NoTarget(*d, QStringLiteral("There is no current record to change"));
    const TFieldDef& f = d->header.Layout.Fields[size_t(fieldIndex)];
    if (IsMemoType(f.Type)) {
        p->memos[fieldIndex] = EncodeText(text, d->header.Layout.Encoding);
        return TStatus::Ok();
    }
    return d->Track(StoreFieldText(p->record.data(), f, text, d->header.Layout.Encoding));
}

TStatus TTable::AssignField(int fieldIndex, long long number)
{
    if (fieldIndex >= 0 && fieldIndex < FieldCount()
        && IsNumericType(d->header.Layout.Fields[size_t(fieldIndex)].Type))
        return AssignNumber(fieldIndex, double(number));
    return AssignField(fieldIndex, QString::number(number));
}

TStatus TTable::AssignNumber(int fieldIndex, double number)
{
    if (!d->IsOpen())
        return d->Fail(QStringLiteral("No table is open"));
    if (fieldIndex < 0 || fieldIndex >= FieldCount())
        return d->Fail(QStringLiteral("The table has no field number %1").arg(fieldIndex + 1));
    const TFieldDef& f = d->header.Layout.Fields[size_t(fieldIndex)];
    if (!IsNumericType(f.Type))
        return AssignField(fieldIndex, QString::number(number, 'g', 15));
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    TImpl::TPending* p = Target(*d);
    if (!p)
        return NoTarget(*d, QStringLiteral("There is no current record to change"));
    return d->Track(StoreFieldNumber(p->record.data(), f, number));
}

static TStatus Mark(TTable& table, TTable::TImpl& d, char flag)
{
    TStatus st = Writable(d);
    if (st.ok() && d.pendingIndex >= 0)
        st = table.Commit();
    if (!st.ok())
        return st;
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

TStatus TTable::DeleteMany(const std::vector<int>& recordNumbers)
{
    TStatus st = Writable(*d);
    if (st.ok())
        st = Commit(); // what is pending goes first, as before any other change
    if (!st.ok())
        return st;
    std::vector<quint32> records;
    records.reserve(recordNumbers.size());
    for (const int n : recordNumbers) {
        st = d->CheckRecordNumber(n);
        if (!st.ok())
            return st;
        records.push_back(quint32(n));
    }
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    d->deletions = std::move(records);
    return Commit();
}

} // namespace xbase
