#include "xbase/cdxstore.h"

#include "xbase/cdxtree.h"

#include <algorithm>
#include <cstring>

namespace xbase {

namespace {

QString Damaged(const QString& what)
{
    return QStringLiteral("The index file is damaged (%1)").arg(what);
}

} // namespace

TCdxStore::TCdxStore(TFile* file, size_t cacheBytes)
    : m_file(file)
    , m_limit(cacheBytes)
{
}

TStatus TCdxStore::CheckPage(quint32 page)
{
    if (page % kCdxPage != 0 || page < kCdxPage)
        return TStatus::Error(Damaged(QStringLiteral("page %1 outside the file").arg(page)));
    return TStatus::Ok();
}

// A page past the end of the file reads short: that, not a look at the file's size before every
// read, is what finds a pointer outside the file.
TStatus TCdxStore::ReadPage(quint32 page, char* out)
{
    if (page % kCdxPage != 0)
        return TStatus::Error(Damaged(QStringLiteral("page %1 outside the file").arg(page)));
    const qint64 got = m_file->ReadAt(page, out, kCdxPage);
    if (got < 0)
        return TStatus::Error(QStringLiteral("Cannot read the index file"));
    if (got != kCdxPage)
        return TStatus::Error(Damaged(QStringLiteral("page %1 outside the file").arg(page)));
    return TStatus::Ok();
}

TStatus TCdxStore::WritePage(quint32 page, const char* data)
{
    return WriteBytes(page, data, kCdxPage);
}

TStatus TCdxStore::WriteBytes(qint64 offset, const char* data, qint64 length)
{
    TStatus st = m_file->WriteAt(offset, data, length);
    if (st.ok())
        Written(offset, data, length);
    else
        ClearCache(); // what the file holds now is not known
    return st;
}

void TCdxStore::Written(qint64 offset, const char* data, qint64 length)
{
    for (auto it = m_roots.begin(); it != m_roots.end();)
        it = qint64(it->first) + 4 > offset && qint64(it->first) < offset + length ? m_roots.erase(it)
                                                                                   : std::next(it);
    for (qint64 page = offset / kCdxPage * kCdxPage; page < offset + length; page += kCdxPage) {
        auto raw = m_raw.find(quint32(page));
        if (raw == m_raw.end())
            continue;
        const qint64 start = std::max(offset, page), end = std::min(offset + length, page + kCdxPage);
        std::memcpy(raw->second.bytes.data() + (start - page), data + (start - offset), size_t(end - start));
    }
}

void TCdxStore::RememberRaw(quint32 page, const char* bytes)
{
    auto it = m_raw.find(page);
    if (it != m_raw.end()) {
        std::memcpy(it->second.bytes.data(), bytes, kCdxPage);
        m_rawUses.splice(m_rawUses.begin(), m_rawUses, it->second.use);
        return;
    }
    m_rawUses.push_front(page);
    TRawPage& raw = m_raw[page];
    std::memcpy(raw.bytes.data(), bytes, kCdxPage);
    raw.use = m_rawUses.begin();
    while (m_raw.size() * (kCdxPage + 64) > m_limit * kRawShare && m_rawUses.size() > 1) {
        m_raw.erase(m_rawUses.back());
        m_rawUses.pop_back();
    }
}

TStatus TCdxStore::PeekNode(quint32 page, int keyLength, char fill, const TCdxNode** node)
{
    auto it = m_nodes.find(page);
    if (it != m_nodes.end()) {
        if (it->second.use != m_uses.begin())
            m_uses.splice(m_uses.begin(), m_uses, it->second.use);
        *node = it->second.node.get();
        return TStatus::Ok();
    }
    TCdxNodePtr shared;
    TStatus st = Node(page, keyLength, fill, &shared);
    *node = shared.get(); // the cache holds it: at least the newest node is always kept
    return st;
}

TStatus TCdxStore::Node(quint32 page, int keyLength, char fill, TCdxNodePtr* node)
{
    auto it = m_nodes.find(page);
    if (it != m_nodes.end()) {
        if (it->second.use != m_uses.begin())
            m_uses.splice(m_uses.begin(), m_uses, it->second.use);
        *node = it->second.node;
        return TStatus::Ok();
    }
    TStatus st = CheckPage(page);
    if (!st.ok())
        return st;
    char bytes[kCdxPage];
    auto raw = m_raw.find(page);
    if (raw != m_raw.end()) {
        std::memcpy(bytes, raw->second.bytes.data(), kCdxPage);
    } else {
        st = ReadPage(page, bytes);
        if (!st.ok())
            return st;
        RememberRaw(page, bytes);
    }
    auto decoded = std::make_shared<TCdxNode>();
    QString error;
    if (!DecodeCdxNode(bytes, page, keyLength, fill, decoded.get(), &error))
        return TStatus::Error(error);
    *node = decoded;
    Remember(page, std::move(decoded));
    return TStatus::Ok();
}

const TCdxNode* TCdxStore::CachedNode(quint32 page)
{
    auto it = m_nodes.find(page);
    if (it == m_nodes.end())
        return nullptr;
    if (it->second.use != m_uses.begin())
        m_uses.splice(m_uses.begin(), m_uses, it->second.use);
    return it->second.node.get();
}

TStatus TCdxStore::RawPage(quint32 page, const char** bytes)
{
    auto raw = m_raw.find(page);
    if (raw != m_raw.end()) {
        if (raw->second.use != m_rawUses.begin())
            m_rawUses.splice(m_rawUses.begin(), m_rawUses, raw->second.use);
        *bytes = raw->second.bytes.data();
        return TStatus::Ok();
    }
    TStatus st = CheckPage(page);
    char read[kCdxPage];
    if (st.ok())
        st = ReadPage(page, read);
    if (!st.ok())
        return st;
    RememberRaw(page, read); // the newest raw page is always kept
    *bytes = m_raw.find(page)->second.bytes.data();
    return TStatus::Ok();
}

TStatus TCdxStore::DecodeUncached(quint32 page, int keyLength, char fill, TCdxNode* node)
{
    TStatus st = CheckPage(page);
    if (!st.ok())
        return st;
    char bytes[kCdxPage];
    auto raw = m_raw.find(page);
    if (raw != m_raw.end())
        std::memcpy(bytes, raw->second.bytes.data(), kCdxPage);
    else
        st = ReadPage(page, bytes);
    QString error;
    if (st.ok() && !DecodeCdxNode(bytes, page, keyLength, fill, node, &error))
        st = TStatus::Error(error);
    return st;
}

void TCdxStore::Forget(quint32 page)
{
    auto it = m_nodes.find(page);
    if (it == m_nodes.end())
        return;
    m_bytes -= it->second.bytes;
    m_uses.erase(it->second.use);
    m_nodes.erase(it);
}

void TCdxStore::Remember(quint32 page, TCdxNodePtr node)
{
    Forget(page);
    const size_t bytes = node->Bytes();
    m_bytes += bytes;
    m_uses.push_front(page);
    m_nodes.emplace(page, TSlot{std::move(node), m_uses.begin(), bytes});
    while (m_bytes > m_limit && m_uses.size() > 1) {
        auto victim = m_nodes.find(m_uses.back());
        m_bytes -= victim->second.bytes;
        m_nodes.erase(victim);
        m_uses.pop_back();
    }
}

TStatus TCdxStore::WriteNode(const TCdxNode& node, int keyLength, char fill)
{
    char bytes[kCdxPage];
    EncodeCdxNode(node, keyLength, fill, bytes);
    TStatus st = WritePage(node.Page, bytes);
    if (st.ok())
        RememberRaw(node.Page, bytes);
    if (st.ok())
        Remember(node.Page, std::make_shared<TCdxNode>(node));
    return st;
}

void TCdxStore::ClearCache()
{
    m_nodes.clear();
    m_uses.clear();
    m_bytes = 0;
    m_raw.clear();
    m_rawUses.clear();
    m_roots.clear();
}

TStatus TCdxStore::Allocate(quint32* page)
{
    char header[kCdxPage];
    TStatus st = ReadPage(0, header);
    if (!st.ok())
        return st;
    const quint32 free = CdxLe32(header + 4);
    const qint64 size = m_file->Size();
    if (free != 0 && free != kCdxNone && free % kCdxPage == 0 && free >= kCdxPage
        && qint64(free) + kCdxPage <= size) {
        char bytes[kCdxPage];
        st = ReadPage(free, bytes);
        if (!st.ok())
            return st;
        CdxPutLe32(header + 4, CdxLe32(bytes));
        *page = free;
        return WritePage(0, header);
    }
    if (free != 0 && free != kCdxNone) {
        CdxPutLe32(header + 4, 0); // a broken free list is dropped, never followed out of the file
        st = WritePage(0, header);
        if (!st.ok())
            return st;
    }
    // A file another program left with a ragged end still gets whole pages.
    const qint64 end = (size + kCdxPage - 1) / kCdxPage * kCdxPage;
    if (end + kCdxPage > qint64(0xFFFFF000))
        return TStatus::Error(QStringLiteral("The index file has reached its largest size"));
    *page = quint32(end);
    char zero[kCdxPage] = {};
    return WritePage(*page, zero);
}

TStatus TCdxStore::Free(quint32 page)
{
    char header[kCdxPage];
    TStatus st = ReadPage(0, header);
    if (!st.ok())
        return st;
    Forget(page);
    char bytes[kCdxPage] = {};
    CdxPutLe32(bytes, CdxLe32(header + 4));
    st = WritePage(page, bytes);
    CdxPutLe32(header + 4, page);
    return st.ok() ? WritePage(0, header) : st;
}

TStatus TCdxStore::ReadCounter(quint32* counter)
{
    char bytes[4];
    if (m_file->ReadAt(8, bytes, 4) != 4)
        return TStatus::Error(QStringLiteral("Cannot read the index file"));
    *counter = CdxBe32(bytes);
    return TStatus::Ok();
}

TStatus TCdxStore::WriteCounter(quint32 counter)
{
    char bytes[4];
    CdxPutBe32(bytes, counter);
    return WriteBytes(8, bytes, 4);
}

TStatus TCdxStore::ReadTags(std::vector<TCdxTagHeader>* tags)
{
    tags->clear();
    if (m_file->Size() < 2 * kCdxPage)
        return TStatus::Error(Damaged(QStringLiteral("shorter than its header")));
    char header[kCdxPage];
    TStatus st = ReadPage(0, header);
    if (!st.ok())
        return st;
    const int dirKeyLength = CdxLe16(header + 12);
    if (dirKeyLength < 1 || dirKeyLength > kCdxMaxKeyLength)
        return TStatus::Error(Damaged(QStringLiteral("tag directory key length %1").arg(dirKeyLength)));
    TCdxTree directory(*this, 0, dirKeyLength, ' ');
    std::vector<TCdxEntry> names;
    st = directory.All(&names, 4096);
    if (!st.ok())
        return st;
    QByteArray bytes(2 * kCdxPage, '\0');
    for (const TCdxEntry& e : names) {
        TCdxTagHeader tag;
        tag.Name = QString::fromLatin1(e.key.data(), int(e.key.size())).trimmed().toUpper();
        tag.Name.remove(QChar(0));
        tag.HeaderOffset = e.recno;
        if (tag.HeaderOffset % kCdxPage != 0 || tag.HeaderOffset < kCdxPage
            || qint64(tag.HeaderOffset) + 2 * kCdxPage > m_file->Size())
            return TStatus::Error(Damaged(QStringLiteral("header of tag %1 outside the file").arg(tag.Name)));
        if (m_file->ReadAt(tag.HeaderOffset, bytes.data(), bytes.size()) != bytes.size())
            return TStatus::Error(QStringLiteral("Cannot read the index file"));
        st = ParseCdxTagHeader(bytes.constData(), &tag);
        if (!st.ok())
            return st;
        for (const TCdxTagHeader& other : *tags)
            if (other.Name == tag.Name)
                return TStatus::Error(Damaged(QStringLiteral("tag %1 appears twice").arg(tag.Name)));
        tags->push_back(tag);
    }
    std::sort(tags->begin(), tags->end(),
        [](const TCdxTagHeader& a, const TCdxTagHeader& b) { return a.HeaderOffset < b.HeaderOffset; });
    return TStatus::Ok();
}

TStatus TCdxStore::TagRoot(quint32 headerOffset, quint32* root)
{
    auto known = m_roots.find(headerOffset);
    if (known != m_roots.end()) {
        *root = known->second;
        return TStatus::Ok();
    }
    char bytes[4];
    if (m_file->ReadAt(headerOffset, bytes, 4) != 4)
        return TStatus::Error(QStringLiteral("Cannot read the index file"));
    *root = CdxLe32(bytes);
    m_roots[headerOffset] = *root;
    return TStatus::Ok();
}

TStatus TCdxStore::SetTagRoot(quint32 headerOffset, quint32 root)
{
    char bytes[4];
    CdxPutLe32(bytes, root);
    return WriteBytes(headerOffset, bytes, 4);
}

} // namespace xbase
