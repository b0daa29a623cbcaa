// The structural index of a table: opening it (tag headers only), the freshness check,
// rebuilding it, and the tag operations of TTable.

#include "xbase/table.h"
#include "xbase/tableimpl.h"

#include <QFileInfo>

#include <algorithm>

namespace xbase {

TStatus TTable::TImpl::ComputeAllKeys(
    std::vector<std::vector<TCdxEntry>>* keys, const std::vector<TTag*>& which)
{
    keys->assign(which.size(), {});
    const char* record = nullptr;
    TRecordContext ctx = Context(&record);
    const int length = header.Layout.RecordLength;
    std::string key;
    readError.clear();
    for (quint32 n = 1; n <= header.RecordCount; ++n) {
        TStatus st = ReadRecord(n, &record);
        if (!st.ok())
            return st;
        ctx.Record = std::string_view(record, size_t(length));
        for (size_t t = 0; t < which.size(); ++t)
            if (which[t]->KeyOf(ctx, &key))
                (*keys)[t].push_back({key, n});
    }
    for (size_t t = 0; t < which.size(); ++t)
        SortTagEntries(&(*keys)[t], which[t]->Header.Unique());
    return TStatus::Ok();
}

TStatus TTable::TImpl::OpenIndex()
{
    QString error;
    auto file = fs->Open(cdxPath, !readOnly, &error);
    if (!file)
        return TStatus::Error(error);
    cdx = std::make_unique<TJournalledFile>(std::move(file), QFileInfo(cdxPath).fileName());
    store = std::make_unique<TCdxStore>(cdx.get());
    rebuiltIndex.reset();
    indexStale = false;
    TStatus st = store->ReadCounter(&cdxCounter);
    if (st.ok())
        st = LoadTags();
    bool stale = false;
    if (st.ok())
        st = CheckFreshness(&stale);
    if (st.ok() && stale)
        st = UseRebuiltIndexInMemory();
    return st;
}

// Reads the tag headers (never their keys) and compiles their expressions.
TStatus TTable::TImpl::LoadTags()
{
    std::vector<TCdxTagHeader> headers;
    TStatus st = store->ReadTags(&headers);
    if (!st.ok())
        return TStatus::Error(QStringLiteral("%1: %2").arg(cdxPath, st.Message()));
    const QString orderName = OrderTag() ? OrderTag()->Header.Name : QString();
    tags.clear();
    for (const TCdxTagHeader& h : headers)
        tags.push_back(TTag::FromHeader(h, header.Layout));
    order = 0;
    for (size_t i = 0; i < tags.size(); ++i)
        if (!orderName.isEmpty() && tags[i]->Header.Name == orderName)
            order = int(i + 1);
    IndexChanged();
    return TStatus::Ok();
}

// An index another program left behind when it appended or changed records misses the last
// record's key (or holds a wrong one). Looking that key up in each tag finds it without reading
// every record; a tag whose root cannot be read is out of date too.
TStatus TTable::TImpl::CheckFreshness(bool* stale)
{
    *stale = false;
    const char* record = nullptr;
    TRecordContext ctx = Context(&record);
    const quint32 last = header.RecordCount;
    if (last > 0) {
        TStatus st = ReadRecord(last, &record);
        if (!st.ok())
            return st;
        ctx.Record = std::string_view(record, size_t(header.Layout.RecordLength));
    }
    for (const auto& tag : tags) {
        TCdxTree tree = Tree(*tag);
        TCdxCursor cursor;
        TStatus st = tree.Last(&cursor);
        if (!st.ok()) {
            if (!tag->Evaluable())
                return TStatus::Error(QStringLiteral("%1: %2").arg(cdxPath, st.Message()));
            *stale = true;
            return TStatus::Ok();
        }
        if (!tag->Evaluable())
            continue;
        if (last == 0) {
            *stale = *stale || cursor.Valid();
            continue;
        }
        std::string key;
        const bool has = tag->KeyOf(ctx, &key);
        if (!has)
            tag->RawKeyOf(ctx, &key);
        bool found = false;
        if (tag->Header.Unique() && has) {
            st = tree.Seek(key, 0, &cursor);
            found = cursor.Valid() && cursor.Entry().key == key && cursor.Entry().recno <= last;
        } else {
            st = tree.Contains({key, last}, &found);
        }
        if (!st.ok() || found != has)
            *stale = true;
    }
    return TStatus::Ok();
}

// Builds the whole index from the records into memory and reads it from there until it is
// written (at once when the table is writable, at the next commit otherwise).
TStatus TTable::TImpl::UseRebuiltIndexInMemory()
{
    std::vector<TTag*> all;
    for (auto& t : tags) {
        if (!t->Evaluable())
            return TStatus::Error(
                QStringLiteral("%1 is out of date with the table, and %2").arg(cdxPath, t->CompileError));
        all.push_back(t.get());
    }
    std::vector<std::vector<TCdxEntry>> keys;
    TStatus st = ComputeAllKeys(&keys, all);
    if (!st.ok())
        return st;
    std::vector<TCdxTagData> data;
    for (size_t i = 0; i < all.size(); ++i)
        data.push_back({all[i]->Header, all[i]->Fill, &keys[i], {}});
    rebuiltIndex = std::make_shared<TMemoryFileSystem>();
    rebuiltIndex->SetContent(QStringLiteral("/index"), BuildCdx(data, cdxCounter));
    QString error;
    rebuiltFile = rebuiltIndex->Open(QStringLiteral("/index"), false, &error);
    store = std::make_unique<TCdxStore>(rebuiltFile.get());
    st = LoadTags();
    indexStale = true;
    indexRebuilt = true;
    return st;
}

TStatus TTable::TImpl::RebuildIndexFile()
{
    std::vector<TTag*> evaluable;
    std::vector<std::vector<TCdxEntry>> stored;
    std::vector<TCdxTagData> data;
    for (auto& t : tags) {
        if (t->Evaluable())
            continue;
        // A tag we cannot compute keeps what it holds.
        stored.emplace_back();
        TStatus st = Tree(*t).All(&stored.back(), size_t(store->FileSize() / 3 + 16));
        if (!st.ok())
            return st;
    }
    for (auto& t : tags)
        if (t->Evaluable())
            evaluable.push_back(t.get());
    std::vector<std::vector<TCdxEntry>> keys;
    TStatus st = ComputeAllKeys(&keys, evaluable);
    if (!st.ok())
        return st;
    size_t e = 0, s = 0;
    for (auto& t : tags)
        data.push_back({t->Header, t->Fill, t->Evaluable() ? &keys[e++] : &stored[s++], {}});
    return WriteWholeIndex(data);
}

TStatus TTable::TImpl::WriteWholeIndex(const std::vector<TCdxTagData>& data)
{
    TStatus st = cdx->Truncate(0);
    if (st.ok())
        st = cdx->WriteWhole(0, BuildCdx(data, cdxCounter + 1));
    if (!st.ok())
        return st;
    rebuiltIndex.reset();
    rebuiltFile.reset();
    store = std::make_unique<TCdxStore>(cdx.get());
    indexStale = false;
    cdxCounter += 1;
    return LoadTags();
}

TStatus TTable::CreateIndexTag(
    const QString& tagName, const QString& keyExpression, const QString& forCondition, bool descending)
{
    TStatus st = d->Flush();
    if (!st.ok())
        return st;
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    QString error;
    auto tag = TTag::Define(tagName, keyExpression, forCondition, descending, d->header.Layout, &error);
    if (!tag)
        return d->Fail(error);
    st = d->LockTable(true);
    if (!st.ok())
        return d->Track(st);
    st = d->Sync(true);
    if (st.ok() && !d->cdx) {
        // The first tag: an empty index file, filled (and the table's flag set) by the commit.
        QString message;
        (void)d->fs->Remove(d->cdxPath);
        auto created = d->fs->CreateNew(d->cdxPath, &message);
        if (!created)
            st = TStatus::Error(message);
        created.reset();
        if (st.ok()) {
            auto file = d->fs->Open(d->cdxPath, true, &message);
            if (!file)
                st = TStatus::Error(message);
            else
                d->cdx = std::make_unique<TJournalledFile>(std::move(file), QFileInfo(d->cdxPath).fileName());
        }
    }
    if (st.ok())
        st = d->BeginWrite();
    if (st.ok()) {
        const int existing = TagNumber(tagName);
        if (existing > 0)
            d->tags[size_t(existing - 1)] = std::move(tag);
        else
            d->tags.push_back(std::move(tag));
        st = d->RebuildIndexFile();
        if (st.ok() && !d->header.HasStructuralIndex()) {
            // The structural flag goes on with the complete index.
            const char flags = char(d->header.Flags | 0x01);
            st = d->dbf->WriteAt(28, &flags, 1);
            if (st.ok()) {
                d->header.Flags = quint8(flags);
                d->header.Raw[28] = flags;
            }
        }
        st = d->EndWrite(st);
    }
    if (!st.ok() && d->cdx && !d->header.HasStructuralIndex()) {
        d->store.reset();
        d->cdx.reset();
        d->tags.clear();
        const TStatus removed = d->fs->Remove(d->cdxPath);
        if (!removed.ok())
            st = TStatus::Error(QStringLiteral("%1; the unfinished index %2 could not be removed (%3)")
                                    .arg(st.Message(), d->cdxPath, removed.Message()));
    }
    d->UnlockTable();
    return d->Track(st);
}

int TTable::TagCount() const
{
    return int(d->tags.size());
}

int TTable::TagNumber(const QString& tagName) const
{
    for (size_t i = 0; i < d->tags.size(); ++i)
        if (d->tags[i]->Header.Name.compare(tagName.trimmed(), Qt::CaseInsensitive) == 0)
            return int(i + 1);
    return 0;
}

QString TTable::TagName(int tagNumber) const
{
    if (tagNumber < 1 || tagNumber > TagCount())
        return QString();
    return d->tags[size_t(tagNumber - 1)]->Header.Name;
}

TTagInfo TTable::TagInfo(int tagNumber) const
{
    TTagInfo info;
    if (tagNumber < 1 || tagNumber > TagCount())
        return info;
    const TTag& tag = *d->tags[size_t(tagNumber - 1)];
    info.Name = tag.Header.Name;
    info.KeyExpression = tag.Header.KeyExpression;
    info.ForExpression = tag.Header.ForExpression;
    info.Descending = tag.Header.Descending;
    info.Unique = tag.Header.Unique();
    info.KeyType = tag.KeyType;
    info.KeyLength = tag.Header.KeyLength;
    return info;
}

TStatus TTable::SetOrder(int tagNumber)
{
    if (!d->IsOpen())
        return d->Fail(QStringLiteral("No table is open"));
    if (tagNumber < 0 || tagNumber > TagCount())
        return d->Fail(QStringLiteral("There is no index tag number %1").arg(tagNumber));
    d->order = tagNumber;
    d->tagEntryKnown = false;
    d->tagCursorGeneration = ~0ull;
    return TStatus::Ok();
}

int TTable::Order() const
{
    return d->order;
}

TStatus TTable::Reindex()
{
    TStatus st = d->Flush();
    if (!st.ok())
        return st;
    if (d->readOnly)
        return d->Fail(QStringLiteral("The table is open for reading only"));
    st = d->EnsureIndexMaintainable();
    if (!st.ok())
        return d->Track(st);
    st = d->LockTable(true);
    if (!st.ok())
        return d->Track(st);
    st = d->Sync(true);
    if (st.ok() && d->cdx) {
        st = d->BeginWrite();
        if (st.ok())
            st = d->RebuildIndexFile();
        st = d->EndWrite(st);
    }
    d->UnlockTable();
    return d->Track(st);
}

} // namespace xbase
