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
    tagEntryKnown = false;
}

void TTable::TImpl::MoveTo(quint32 n)
{
    recno = n;
    eof = bof = false;
    tagEntryKnown = false;
}

// A cursor on the current record's entry in the order's tag. `between`: the record is not in
// the tag (its FOR condition has just dropped it) and the cursor is on the entry after it.
TStatus TTable::TImpl::PlaceInTag(TCdxCursor* cursor, bool* between)
{
    TTag* tag = OrderTag();
    *between = false;
    if (tagEntryKnown && tagCursorGeneration == indexGeneration && tagCursor.Valid()
        && tagCursor.Entry() == tagEntry) {
        *cursor = tagCursor;
        return TStatus::Ok();
    }
    TCdxTree tree = Tree(*tag);
    if (!tagEntryKnown) {
        if (!tag->Evaluable()) {
            // Keys we cannot compute: look for the record along the tag.
            TStatus st = tree.First(cursor);
            while (st.ok() && cursor->Valid() && cursor->Entry().recno != recno)
                st = tree.Next(cursor);
            if (st.ok() && cursor->Valid()) {
                tagEntry = cursor->Entry();
                tagEntryKnown = true;
            }
            *between = st.ok() && !cursor->Valid();
            return st;
        }
        const char* record = nullptr;
        TStatus st = ReadRecord(recno, &record);
        if (!st.ok())
            return st;
        TRecordContext ctx = Context(&record);
        ctx.Record = std::string_view(record, size_t(header.Layout.RecordLength));
        tag->RawKeyOf(ctx, &tagEntry.key);
        tagEntry.recno = recno;
        tagEntryKnown = true;
    }
    TStatus st = tree.Seek(tagEntry.key, tagEntry.recno, cursor);
    *between = st.ok() && !(cursor->Valid() && cursor->Entry() == tagEntry);
    return st;
}

// From `cursor` on, in storage order, the first entry whose record is visible becomes current.
TStatus TTable::TImpl::ScanTag(TCdxCursor cursor, int storageStep, bool* found)
{
    TCdxTree tree = Tree(*OrderTag());
    *found = false;
    TStatus st;
    while (st.ok() && cursor.Valid()) {
        const quint32 n = cursor.Entry().recno;
        if (n >= 1 && n <= header.RecordCount && Visible(n)) {
            MoveTo(n);
            tagEntry = cursor.Entry();
            tagEntryKnown = true;
            tagCursor = cursor;
            tagCursorGeneration = indexGeneration;
            *found = true;
            return st;
        }
        st = storageStep > 0 ? tree.Next(&cursor) : tree.Prev(&cursor);
    }
    return st;
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

TStatus TTable::TImpl::StepTag(int direction, bool* moved)
{
    TTag* tag = OrderTag();
    const int storageStep = tag->Header.Descending ? -direction : direction;
    TCdxCursor cursor;
    bool between = false;
    TStatus st = PlaceInTag(&cursor, &between);
    if (!st.ok())
        return st;
    // From a gap the first step forward lands on the entry at the gap, not beyond it.
    TCdxTree tree = Tree(*tag);
    if (!between || storageStep < 0) {
        if (!cursor.Valid() && storageStep < 0)
            st = tree.Last(&cursor);
        else
            st = storageStep > 0 ? tree.Next(&cursor) : tree.Prev(&cursor);
    }
    if (!st.ok())
        return st;
    return ScanTag(cursor, storageStep, moved);
}

TStatus TTable::TImpl::Step(int direction, bool* moved)
{
    if (OrderTag())
        return StepTag(direction, moved);
    *moved = StepNatural(direction);
    return TStatus::Ok();
}

TStatus TTable::First()
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return st;
    TTag* tag = d->OrderTag();
    d->bof = false;
    bool moved = false;
    if (tag) {
        TCdxTree tree = d->Tree(*tag);
        TCdxCursor cursor;
        st = tag->Header.Descending ? tree.Last(&cursor) : tree.First(&cursor);
        if (st.ok())
            st = d->ScanTag(cursor, tag->Header.Descending ? -1 : 1, &moved);
    } else {
        d->recno = 0;
        moved = d->StepNatural(1);
    }
    if (!moved)
        d->SetEof();
    d->bof = d->eof;
    if (!st.ok())
        return d->Track(st);
    return d->TakeReadError();
}

TStatus TTable::Last()
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return st;
    TTag* tag = d->OrderTag();
    bool moved = false;
    if (tag) {
        TCdxTree tree = d->Tree(*tag);
        TCdxCursor cursor;
        st = tag->Header.Descending ? tree.First(&cursor) : tree.Last(&cursor);
        if (st.ok())
            st = d->ScanTag(cursor, tag->Header.Descending ? 1 : -1, &moved);
    } else {
        d->recno = d->header.RecordCount + 1;
        moved = d->StepNatural(-1);
    }
    if (!moved) {
        d->SetEof();
        d->bof = true;
    }
    if (!st.ok())
        return d->Track(st);
    return d->TakeReadError();
}

TStatus TTable::Skip(int count)
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
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
        bool moved = false;
        st = d->Step(direction, &moved);
        if (!st.ok())
            return d->Track(st);
        if (!moved) {
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
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return st;
    st = d->CheckRecordNumber(recordNumber);
    if (!st.ok())
        return st;
    d->MoveTo(quint32(recordNumber));
    (void)d->RecordPtr(d->recno);
    return d->TakeReadError();
}

int TTable::RecNo() const
{
    if (d->pendingIndex >= 0)
        return int(d->header.RecordCount + d->Spilled()) + d->pendingIndex + 1;
    return d->eof ? int(d->header.RecordCount) + 1 : int(d->recno);
}

bool TTable::Deleted() const
{
    return d->IsOpen() && d->CurrentRecord()[0] == '*';
}

// ---- Seek --------------------------------------------------------------------------------------

namespace {

// The smallest key above every key that begins with `prefix`; empty when there is none.
std::string PrefixEnd(std::string prefix)
{
    while (!prefix.empty() && quint8(prefix.back()) == 0xFF)
        prefix.pop_back();
    if (!prefix.empty())
        prefix.back() = char(quint8(prefix.back()) + 1);
    return prefix;
}

} // namespace

bool TTable::Seek(const QString& key, TSeekMode mode)
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return false;
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
    // Deleted and filtered-out records are passed over, as navigation passes over them; a
    // descending order finds the last of equal keys first.
    TCdxTree tree = d->Tree(*tag);
    TCdxCursor cursor;
    const bool down = tag->Header.Descending;
    if (!down) {
        // Most seeks end on their first candidate: found, or nothing begins with the key. Those
        // need no cursor (a step after them finds its place again from the entry).
        TCdxEntry first;
        bool known = false;
        st = tree.Probe(search, 0, &first, &known);
        if (st.ok() && known && first.key.compare(0, search.size(), search) != 0) {
            d->SetEof();
            (void)d->TakeReadError();
            return false;
        }
        const quint32 r = first.recno;
        if (st.ok() && known && r >= 1 && r <= d->header.RecordCount && d->Visible(r)) {
            d->MoveTo(r);
            d->tagEntry = std::move(first);
            d->tagEntryKnown = true;
            d->tagCursor = TCdxCursor();
            d->tagCursorGeneration = ~0ull;
            return d->TakeReadError().ok();
        }
    }
    if (!st.ok()) {
        (void)d->Track(st);
        d->SetEof();
        return false;
    }
    if (!down) {
        st = tree.Seek(search, 0, &cursor);
    } else {
        const std::string end = PrefixEnd(search);
        st = end.empty() ? tree.Last(&cursor) : tree.Seek(end, 0, &cursor);
        if (st.ok() && !end.empty())
            st = cursor.Valid() ? tree.Prev(&cursor) : tree.Last(&cursor);
    }
    const size_t n = search.size();
    while (st.ok() && cursor.Valid() && cursor.Entry().key.compare(0, n, search) == 0) {
        const quint32 r = cursor.Entry().recno;
        if (r >= 1 && r <= d->header.RecordCount && d->Visible(r)) {
            d->MoveTo(r);
            d->tagEntry = cursor.Entry();
            d->tagEntryKnown = true;
            d->tagCursor = cursor;
            d->tagCursorGeneration = d->indexGeneration;
            return d->TakeReadError().ok();
        }
        st = down ? tree.Prev(&cursor) : tree.Next(&cursor);
    }
    if (!st.ok())
        (void)d->Track(st);
    d->SetEof();
    (void)d->TakeReadError();
    return false;
}

TStatus TTable::BeginReadBatch()
{
    TStatus st = d->Flush();
    if (st.ok())
        st = d->LockTable(false);
    if (!st.ok())
        return d->Track(st);
    ++d->readBatch;
    st = d->Sync();
    if (!st.ok())
        EndReadBatch();
    return d->Track(st);
}

void TTable::EndReadBatch()
{
    if (d->readBatch == 0)
        return;
    if (--d->readBatch == 0)
        d->readBatchSynced = false;
    d->UnlockTable();
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
    TImpl::TReadLock lock(*d);
    if (!d->IsOpen() || !lock.Take().ok() || !d->Sync().ok())
        return 0;
    return int(d->header.RecordCount + d->Spilled() + d->appends.size());
}

int TTable::VisibleCount()
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return 0;
    int count = 0;
    TTag* tag = d->OrderTag();
    if (tag && !tag->Header.ForExpression.isEmpty()) {
        // The tag holds just the records its condition passes: walk its leaves.
        TCdxTree tree = d->Tree(*tag);
        TCdxCursor cursor;
        st = tree.First(&cursor);
        while (st.ok() && cursor.Valid()) {
            const quint32 n = cursor.Entry().recno;
            count += n <= d->header.RecordCount && d->Visible(n);
            st = tree.Next(&cursor);
        }
        if (!st.ok()) {
            (void)d->Track(st);
            return 0;
        }
        return count;
    }
    // The hot loop of every tally: records straight from the read cache, the compiled filter
    // evaluated on their bytes.
    const char* record = nullptr;
    TRecordContext ctx = d->Context(&record);
    const size_t length = size_t(d->header.Layout.RecordLength);
    TExpression* filter = d->filter.get();
    for (quint32 n = 1; n <= d->header.RecordCount; ++n) {
        st = d->ReadRecord(n, &record);
        if (!st.ok()) {
            (void)d->Track(st);
            return 0;
        }
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
