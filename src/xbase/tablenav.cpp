// Navigation, seeks, the filter, counts and reading fields of the current record.

#include "xbase/codepage.h"
#include "xbase/table.h"
#include "xbase/tableimpl.h"

namespace xbase {

// ---- Position ----------------------------------------------------------------------------------

const char* TTable::TImpl::CurrentRecord()
{
    if (pendingIndex >= 0)
        return appends[size_t(pendingIndex)].record.constData();
    if (edit)
        return edit->record.constData();
    if (eof || recno == 0)
        return blank.constData();
    return RecordPtr(recno);
}

bool TTable::TImpl::Visible(quint32 n)
{
    const char* record = RecordPtr(n);
    if (record[0] == '*' && !deletedVisible)
        return false;
    if (!filter)
        return true;
    TRecordContext ctx = Context(&record);
    ctx.Record = std::string_view(record, size_t(header.Layout.RecordLength));
    return filter->IsTrue(ctx);
}

void TTable::TImpl::SetEof()
{
    eof = true;
    recno = header.RecordCount + 1;
    TTag* tag = OrderTag();
    tagPos = tag ? tag->Entries.size() : 0;
    tagPosGeneration = indexGeneration;
    tagBetween = false;
}

void TTable::TImpl::MoveTo(quint32 n)
{
    recno = n;
    eof = bof = false;
    tagPosGeneration = ~0ull;
}

// After the tag's entries changed, find the current record among them again.
void TTable::TImpl::RelocateInTag()
{
    TTag* tag = OrderTag();
    if (!tag || tagPosGeneration == indexGeneration)
        return;
    tagPosGeneration = indexGeneration;
    tagBetween = false;
    if (eof || recno == 0 || recno > header.RecordCount) {
        tagPos = tag->Entries.size();
        return;
    }
    const char* record = RecordPtr(recno);
    TRecordContext ctx = Context(&record);
    ctx.Record = std::string_view(record, size_t(header.Layout.RecordLength));
    if (tag->Evaluable()) {
        // Where the record is, or would be when its FOR condition (.NOT. DELETED(), say) has
        // just dropped it: the next step then goes to its neighbour, not past it.
        std::string key;
        tag->RawKeyOf(ctx, &key);
        const TCdxEntry probe{key, recno};
        auto it = std::lower_bound(tag->Entries.begin(), tag->Entries.end(), probe);
        tagPos = size_t(it - tag->Entries.begin());
        tagBetween = it == tag->Entries.end() || !(*it == probe);
        return;
    }
    tagPos = tag->Entries.size();
    tagBetween = true;
    for (size_t i = 0; i < tag->Entries.size(); ++i)
        if (tag->Entries[i].recno == recno) {
            tagPos = i;
            tagBetween = false;
        }
}

bool TTable::TImpl::StepNatural(int direction)
{
    for (qint64 n = qint64(recno) + direction; n >= 1 && n <= qint64(header.RecordCount); n += direction) {
        if (Visible(quint32(n))) {
            MoveTo(quint32(n));
            return true;
        }
    }
    return false;
}

bool TTable::TImpl::StepTag(int direction)
{
    TTag* tag = OrderTag();
    RelocateInTag();
    const qint64 size = qint64(tag->Entries.size());
    const int storageStep = tag->Header.Descending ? -direction : direction;
    // From a gap the first step forward lands on the entry at the gap, not beyond it.
    qint64 start = qint64(tagPos) + storageStep;
    if (tagBetween && storageStep > 0)
        start = qint64(tagPos);
    tagBetween = false;
    for (qint64 i = start; i >= 0 && i < size; i += storageStep) {
        const quint32 n = tag->Entries[size_t(i)].recno;
        if (n >= 1 && n <= header.RecordCount && Visible(n)) {
            MoveTo(n);
            tagPos = size_t(i);
            tagPosGeneration = indexGeneration;
            return true;
        }
    }
    return false;
}

bool TTable::TImpl::Step(int direction)
{
    return OrderTag() ? StepTag(direction) : StepNatural(direction);
}

TStatus TTable::First()
{
    TStatus st = d->FlushAndSync();
    if (!st.ok())
        return st;
    TTag* tag = d->OrderTag();
    d->bof = false;
    // Start just outside the first position and step in.
    if (tag) {
        d->tagPos = tag->Header.Descending ? tag->Entries.size() : size_t(-1);
        d->tagPosGeneration = d->indexGeneration;
        d->tagBetween = false;
        d->recno = 0;
        d->eof = false;
    } else {
        d->recno = 0;
    }
    if (!d->Step(1))
        d->SetEof();
    d->bof = d->eof;
    return d->TakeReadError();
}

TStatus TTable::Last()
{
    TStatus st = d->FlushAndSync();
    if (!st.ok())
        return st;
    TTag* tag = d->OrderTag();
    if (tag) {
        d->tagPos = tag->Header.Descending ? size_t(-1) : tag->Entries.size();
        d->tagPosGeneration = d->indexGeneration;
        d->tagBetween = false;
        d->eof = false;
    } else {
        d->recno = d->header.RecordCount + 1;
    }
    if (!d->Step(-1)) {
        d->SetEof();
        d->bof = true;
    }
    return d->TakeReadError();
}

TStatus TTable::Skip(int count)
{
    TStatus st = d->FlushAndSync();
    if (!st.ok())
        return st;
    const int direction = count < 0 ? -1 : 1;
    for (int i = 0; i < std::abs(count); ++i) {
        if (direction > 0 && d->eof)
            break;
        if (direction < 0 && d->eof) {
            // From the end, one step back reaches the last visible record.
            st = Last();
            if (!st.ok() || d->eof)
                return st;
            continue;
        }
        if (!d->Step(direction)) {
            if (direction > 0) {
                d->SetEof();
            } else {
                d->bof = true; // stays on the first visible record
                break;
            }
        }
    }
    return d->TakeReadError();
}

bool TTable::Eof() const
{
    return !d->IsOpen() || (d->eof && d->pendingIndex < 0);
}
bool TTable::Bof() const
{
    return !d->IsOpen() || d->bof;
}

TStatus TTable::Go(int recordNumber)
{
    TStatus st = d->FlushAndSync();
    if (!st.ok())
        return st;
    if (recordNumber < 1 || quint32(recordNumber) > d->header.RecordCount)
        return d->Fail(QStringLiteral("Record %1 is out of range (the table has %2 records)")
                           .arg(recordNumber)
                           .arg(d->header.RecordCount));
    d->MoveTo(quint32(recordNumber));
    (void)d->RecordPtr(d->recno);
    return d->TakeReadError();
}

int TTable::RecNo() const
{
    if (d->pendingIndex >= 0)
        return int(d->header.RecordCount) + d->pendingIndex + 1;
    return d->eof ? int(d->header.RecordCount) + 1 : int(d->recno);
}

bool TTable::Deleted() const
{
    return d->IsOpen() && d->CurrentRecord()[0] == '*';
}

// ---- Seek --------------------------------------------------------------------------------------

bool TTable::Seek(const QString& key, TSeekMode mode)
{
    d->readError.clear();
    TStatus st = d->Flush();
    if (st.ok())
        st = d->Sync();
    if (!st.ok()) {
        (void)d->Track(st);
        return false;
    }
    TTag* tag = d->OrderTag();
    if (!tag) {
        (void)d->Fail(QStringLiteral("Seek needs an index order"));
        return false;
    }
    std::string search;
    bool exact = mode == TSeekMode::Exact;
    if (!tag->SearchKey(key, d->header.Layout.Encoding, &search, &exact)) {
        (void)d->Fail(QStringLiteral("\"%1\" cannot be a key of tag %2").arg(key, tag->Header.Name));
        d->SetEof();
        return false;
    }
    if (exact && search.size() < size_t(tag->Header.KeyLength))
        search.resize(size_t(tag->Header.KeyLength), tag->Fill);
    const auto [first, last] = tag->Range(search, exact);
    // Deleted and filtered-out records are passed over, as navigation passes over them.
    const bool down = tag->Header.Descending;
    for (size_t k = 0; k < last - first; ++k) {
        const size_t i = down ? last - 1 - k : first + k;
        const quint32 n = tag->Entries[i].recno;
        if (n >= 1 && n <= d->header.RecordCount && d->Visible(n)) {
            d->MoveTo(n);
            d->tagPos = i;
            d->tagPosGeneration = d->indexGeneration;
            d->tagBetween = false;
            return d->TakeReadError().ok();
        }
    }
    d->SetEof();
    (void)d->TakeReadError();
    return false;
}

// ---- Filter and counts -------------------------------------------------------------------------

TStatus TTable::SetFilter(const QString& expression)
{
    if (!d->IsOpen())
        return d->Fail(QStringLiteral("No table is open"));
    if (expression.trimmed().isEmpty()) {
        d->filter.reset();
        d->filterText.clear();
        return TStatus::Ok();
    }
    QString error;
    auto compiled = TExpression::Compile(expression, d->header.Layout, &error);
    if (!compiled)
        return d->Fail(QStringLiteral("Invalid filter: %1").arg(error));
    if (compiled->ResultType() != 'L')
        return d->Fail(QStringLiteral("Invalid filter: \"%1\" is not a condition").arg(expression));
    d->filter = std::move(compiled);
    d->filterText = expression;
    return TStatus::Ok();
}

const QString& TTable::Filter() const
{
    return d->filterText;
}

void TTable::SetDeletedVisible(bool visible)
{
    d->deletedVisible = visible;
}

int TTable::RecordCount()
{
    if (!d->IsOpen() || !d->Sync().ok())
        return 0;
    return int(d->header.RecordCount + d->appends.size());
}

int TTable::VisibleCount()
{
    TStatus st = d->Flush();
    if (st.ok())
        st = d->Sync();
    if (!st.ok()) {
        (void)d->Track(st);
        return 0;
    }
    int count = 0;
    TTag* tag = d->OrderTag();
    if (tag && !tag->Header.ForExpression.isEmpty()) {
        for (const TCdxEntry& e : tag->Entries)
            count += e.recno <= d->header.RecordCount && d->Visible(e.recno);
        return count;
    }
    // The hot loop of every tally: records straight from the read cache, the compiled filter
    // evaluated on their bytes.
    const char* record = nullptr;
    TRecordContext ctx = d->Context(&record);
    const size_t length = size_t(d->header.Layout.RecordLength);
    TExpression* filter = d->filter.get();
    for (quint32 n = 1; n <= d->header.RecordCount; ++n) {
        record = d->RecordPtr(n);
        if (record[0] == '*' && !d->deletedVisible)
            continue;
        if (filter) {
            ctx.Record = std::string_view(record, length);
            if (!filter->IsTrue(ctx))
                continue;
        }
        ++count;
    }
    return count;
}

// ---- Fields ------------------------------------------------------------------------------------

QString TTable::FieldText(int i) const
{
    if (!d->IsOpen() || i < 0 || i >= FieldCount())
        return QString();
    const TFieldDef& f = d->header.Layout.Fields[size_t(i)];
    if (IsMemoType(f.Type))
        return MemoText(f.Name);
    return FieldDisplayText(d->CurrentRecord(), f, d->header.Layout.Encoding);
}

QString TTable::FieldText(const QString& fieldName) const
{
    return FieldText(FieldIndex(fieldName));
}

double TTable::FieldNumber(const QString& fieldName) const
{
    const int i = FieldIndex(fieldName);
    if (!d->IsOpen() || i < 0)
        return 0;
    const TFieldDef& f = d->header.Layout.Fields[size_t(i)];
    if (f.Type == 'C') {
        bool ok = false;
        const double v = FieldText(i).trimmed().toDouble(&ok);
        return ok ? v : 0;
    }
    return FieldNumeric(d->CurrentRecord(), f);
}

bool TTable::FieldBlank(const QString& fieldName) const
{
    const int i = FieldIndex(fieldName);
    if (!d->IsOpen() || i < 0)
        return true;
    const TFieldDef& f = d->header.Layout.Fields[size_t(i)];
    if (IsMemoType(f.Type))
        return MemoText(fieldName).trimmed().isEmpty();
    return FieldIsBlank(d->CurrentRecord(), f);
}

QString TTable::MemoText(const QString& fieldName) const
{
    const int i = FieldIndex(fieldName);
    if (!d->IsOpen() || i < 0 || !IsMemoType(d->header.Layout.Fields[size_t(i)].Type))
        return QString();
    TImpl::TPending* pending = d->pendingIndex >= 0 ? &d->appends[size_t(d->pendingIndex)] : d->edit.get();
    if (pending) {
        auto it = pending->memos.find(i);
        if (it != pending->memos.end())
            return DecodeText(it->second, d->header.Layout.Encoding);
    }
    return d->ReadMemo(d->CurrentRecord(), i);
}

QVariant TTable::FieldValue(int i) const
{
    if (!d->IsOpen() || i < 0 || i >= FieldCount())
        return QVariant();
    const TFieldDef& f = d->header.Layout.Fields[size_t(i)];
    if (IsMemoType(f.Type))
        return MemoText(f.Name);
    return FieldTypedValue(d->CurrentRecord(), f, d->header.Layout.Encoding);
}

} // namespace xbase
