// The structural index of a table: loading and checking it against the records, rebuilding it,
// writing it, and the tag operations of TTable.

#include "xbase/table.h"
#include "xbase/tableimpl.h"

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
        record = RecordPtr(n);
        if (!readError.isEmpty())
            return TakeReadError(); // keys of a blank stand-in would misplace the record
        ctx.Record = std::string_view(record, size_t(length));
        for (size_t t = 0; t < which.size(); ++t)
            if (which[t]->KeyOf(ctx, &key))
                (*keys)[t].push_back({key, n});
    }
    for (size_t t = 0; t < which.size(); ++t) {
        std::sort((*keys)[t].begin(), (*keys)[t].end());
        if (which[t]->Header.Unique()) {
            TTag tmp;
            tmp.Entries = std::move((*keys)[t]);
            tmp.DropDuplicates();
            (*keys)[t] = std::move(tmp.Entries);
        }
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::LoadIndex(bool writeIfRebuilt)
{
    QString error;
    auto file = fs->Open(cdxPath, false, &error);
    if (!file)
        return TStatus::Error(error);
    const quint64 stamp = fs->Stamp(cdxPath);
    const QByteArray data = file->ReadAll();
    file.reset();
    std::vector<TCdxTagHeader> headers;
    TStatus st = ReadCdxTags(data, &headers);
    if (!st.ok())
        return TStatus::Error(QStringLiteral("%1: %2").arg(cdxPath, st.Message()));

    const QString orderName = OrderTag() ? OrderTag()->Header.Name : QString();
    std::vector<std::unique_ptr<TTag>> loaded;
    std::vector<TTag*> evaluable;
    std::vector<bool> unreadable;
    for (const TCdxTagHeader& h : headers) {
        auto tag = TTag::FromHeader(h, header.Layout);
        st = ReadCdxEntries(data, h, tag->Fill, &tag->Entries);
        if (!st.ok() && !tag->Evaluable())
            return TStatus::Error(QStringLiteral("%1: %2").arg(cdxPath, st.Message()));
        if (tag->Evaluable()) {
            evaluable.push_back(tag.get());
            unreadable.push_back(!st.ok());
        }
        loaded.push_back(std::move(tag));
    }

    // An index is only as good as its agreement with the records: a crash between the table
    // write and the index write, or another program's edits, leave it stale.
    std::vector<std::vector<TCdxEntry>> fresh;
    st = ComputeAllKeys(&fresh, evaluable);
    if (!st.ok())
        return st;
    bool rebuilt = false;
    for (size_t i = 0; i < evaluable.size(); ++i) {
        if (unreadable[i] || evaluable[i]->Entries != fresh[i]) {
            evaluable[i]->Entries = std::move(fresh[i]);
            rebuilt = true;
        }
    }
    tags = std::move(loaded);
    cdxStamp = stamp;
    cdxCounter = CdxChangeCounter(data);
    ++indexGeneration;
    order = 0;
    for (size_t i = 0; i < tags.size(); ++i)
        if (!orderName.isEmpty() && tags[i]->Header.Name == orderName)
            order = int(i + 1);
    indexDirty = rebuilt;
    if (rebuilt)
        indexRebuilt = true;
    if (rebuilt && writeIfRebuilt) {
        // What was read may have been a writer's commit half-way: look again under the
        // exclusive lock, and write only what still disagrees.
        st = LockTable(true);
        if (!st.ok())
            return st;
        st = Sync(true);
        if (st.ok() && indexDirty)
            st = WriteIndex();
        UnlockTable();
        return st;
    }
    return TStatus::Ok();
}

TStatus TTable::TImpl::WriteIndex()
{
    if (readOnly)
        return TStatus::Error(QStringLiteral("The table is open for reading only"));
    TStatus st;
    if (tags.empty()) {
        st = fs->Remove(cdxPath);
    } else {
        std::vector<TCdxTagData> data;
        for (const auto& tag : tags)
            data.push_back({tag->Header, tag->Fill, &tag->Entries});
        const QByteArray bytes = BuildCdx(data, ++cdxCounter);
        st = fs->ReplaceWhole(cdxPath, bytes);
    }
    if (!st.ok())
        return st;
    cdxStamp = fs->Stamp(cdxPath);
    indexDirty = false;
    // Rewriting the table's date touches the table file too, which is what other processes
    // watch for changes.
    StampHeader(header.Raw, header.RecordCount);
    st = dbf->WriteAt(0, header.Raw.constData(), 8);
    if (!st.ok())
        return st;
    dbfStamp = dbf->Stamp();
    Bump();
    // The structural flag goes on only once a complete index file exists.
    const char flags = char(tags.empty() ? header.Flags & ~0x01 : header.Flags | 0x01);
    if (flags != char(header.Flags)) {
        st = dbf->WriteAt(28, &flags, 1);
        if (!st.ok())
            return st;
        header.Flags = quint8(flags);
        header.Raw[28] = flags;
        dbfStamp = dbf->Stamp();
    }
    return TStatus::Ok();
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
    std::vector<std::vector<TCdxEntry>> keys;
    if (st.ok())
        st = d->ComputeAllKeys(&keys, {tag.get()});
    if (st.ok()) {
        tag->Entries = std::move(keys[0]);
        const int existing = TagNumber(tagName);
        if (existing > 0)
            d->tags[size_t(existing - 1)] = std::move(tag);
        else
            d->tags.push_back(std::move(tag));
        ++d->indexGeneration;
        st = d->WriteIndex();
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
    d->tagPosGeneration = ~0ull;
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
    if (st.ok()) {
        std::vector<TTag*> all;
        for (auto& t : d->tags)
            all.push_back(t.get());
        std::vector<std::vector<TCdxEntry>> keys;
        st = d->ComputeAllKeys(&keys, all);
        if (st.ok()) {
            for (size_t i = 0; i < all.size(); ++i)
                all[i]->Entries = std::move(keys[i]);
            ++d->indexGeneration;
            st = d->WriteIndex();
        }
    }
    d->UnlockTable();
    return d->Track(st);
}

} // namespace xbase
