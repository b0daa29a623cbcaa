#include "xbase/cdxfile.h"

#include "xbase/cdxkeylist.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <set>

namespace xbase {

namespace {

constexpr int kPage = 512;
constexpr quint32 kNone = 0xFFFFFFFFu;
constexpr int kLeafArea = 488; // bytes 24..511 of a leaf
constexpr int kInteriorArea = 500; // bytes 12..511 of an interior node

quint32 Le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
quint16 Le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}
quint32 Be32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}
void PutLe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
void PutLe16(char* p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
void PutBe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (24 - 8 * i)) & 0xFF);
}

int BitLength(quint64 v)
{
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

QString Damaged(const QString& what)
{
    return QStringLiteral("The index file is damaged (%1)").arg(what);
}

// ---- Reading -----------------------------------------------------------------------------------

struct TTreeReader {
    const QByteArray& file;
    int keyLength;
    char fill;
    bool strict;
    std::vector<TCdxEntry>* out;
    std::set<quint32> visited;
    std::vector<quint32> leaves;
    int leafDepth = -1;

    TStatus Node(quint32 offset, int depth, TCdxEntry* last);
    TStatus Leaf(const char* p, quint32 offset, TCdxEntry* last);
};

TStatus TTreeReader::Node(quint32 offset, int depth, TCdxEntry* last)
{
    if (offset % kPage != 0 || offset < kPage || qint64(offset) + kPage > file.size())
        return TStatus::Error(Damaged(QStringLiteral("node pointer %1 outside the file").arg(offset)));
    if (!visited.insert(offset).second)
        return TStatus::Error(Damaged(QStringLiteral("node %1 is reached twice").arg(offset)));
    if (depth > 32)
        return TStatus::Error(Damaged(QStringLiteral("tree deeper than 32 levels")));
    const char* p = file.constData() + offset;
    const int attr = Le16(p);
    if (strict && depth > 0 && (attr & 1))
        return TStatus::Error(
            Damaged(QStringLiteral("node %1 below the root is marked as root").arg(offset)));
    if (attr & 2) {
        if (leafDepth >= 0 && leafDepth != depth)
            return TStatus::Error(Damaged(QStringLiteral("leaves on different levels")));
        leafDepth = depth;
        leaves.push_back(offset);
        return Leaf(p, offset, last);
    }
    const int n = Le16(p + 2);
    const int entrySize = keyLength + 8;
    if (n < 1 || n * entrySize > kInteriorArea)
        return TStatus::Error(Damaged(QStringLiteral("interior node %1 holds %2 keys").arg(offset).arg(n)));
    for (int i = 0; i < n; ++i) {
        const char* e = p + 12 + i * entrySize;
        TCdxEntry childLast;
        TStatus st = Node(Be32(e + keyLength + 4), depth + 1, &childLast);
        if (!st.ok())
            return st;
        if (strict
            && (childLast.key != std::string(e, size_t(keyLength)) || childLast.recno != Be32(e + keyLength)))
            return TStatus::Error(
                Damaged(QStringLiteral("interior node %1 does not carry its child's last key").arg(offset)));
        *last = childLast;
    }
    return TStatus::Ok();
}

TStatus TTreeReader::Leaf(const char* p, quint32 offset, TCdxEntry* last)
{
    const int n = Le16(p + 2);
    const int freeSpace = Le16(p + 12);
    const quint32 recMask = Le32(p + 14);
    const int dupMask = quint8(p[18]);
    const int trailMask = quint8(p[19]);
    const int r = quint8(p[20]), d = quint8(p[21]), t = quint8(p[22]), e = quint8(p[23]);
    const QString where = QStringLiteral("leaf %1").arg(offset);
    if (e < 1 || e > 8 || r + d + t != 8 * e || r > 32 || d > 8 || t > 8)
        return TStatus::Error(Damaged(where + QStringLiteral(": bad entry layout")));
    if (recMask != (r == 32 ? 0xFFFFFFFFu : (1u << r) - 1) || dupMask != (1 << d) - 1
        || trailMask != (1 << t) - 1)
        return TStatus::Error(Damaged(where + QStringLiteral(": masks do not match bit counts")));
    if (n * e > kLeafArea)
        return TStatus::Error(Damaged(where + QStringLiteral(": too many keys")));
    std::string prev(size_t(keyLength), fill);
    int pos = kPage;
    int stored = 0;
    int prevTrail = 0;
    const size_t first = out->size();
    for (int i = 0; i < n; ++i) {
        quint64 value = 0;
        for (int b = e - 1; b >= 0; --b)
            value = value << 8 | quint8(p[24 + i * e + b]);
        TCdxEntry entry;
        entry.recno = quint32(value & recMask);
        int dup = int((value >> r) & quint64(dupMask));
        const int trail = int((value >> (r + d)) & quint64(trailMask));
        if (strict && ((i == 0 && dup != 0) || (i > 0 && dup > keyLength - std::max(prevTrail, trail))))
            return TStatus::Error(
                Damaged(where + QStringLiteral(": a shared prefix reaches into trailing fill")));
        prevTrail = trail;
        if (i == 0)
            dup = 0;
        if (dup + trail > keyLength)
            return TStatus::Error(Damaged(where + QStringLiteral(": key longer than the key length")));
        const int len = keyLength - dup - trail;
        pos -= len;
        if (pos < 24 + n * e)
            return TStatus::Error(Damaged(where + QStringLiteral(": keys overlap the entry table")));
        stored += len;
        entry.key.reserve(size_t(keyLength));
        entry.key.assign(prev, 0, size_t(dup));
        entry.key.append(p + pos, size_t(len));
        entry.key.append(size_t(trail), fill);
        prev = entry.key;
        out->push_back(std::move(entry));
    }
    if (freeSpace != kLeafArea - n * e - stored)
        return TStatus::Error(Damaged(where + QStringLiteral(": free space count is wrong")));
    if (strict && n == 0 && !(Le16(p) & 1))
        return TStatus::Error(Damaged(where + QStringLiteral(": empty leaf that is not the root")));
    if (out->size() > first)
        *last = out->back();
    return TStatus::Ok();
}

QString PoolText(const char* header, int position, int length)
{
    if (position < 0 || length <= 0 || position + length > kPage)
        return QString();
    const char* s = header + kPage + position;
    int n = 0;
    while (n < length && s[n] != '\0')
        ++n;
    return QString::fromLatin1(s, n).trimmed();
}

// ---- Writing -----------------------------------------------------------------------------------

struct TItem {
    const char* key; // `length` bytes; the rest of the key length is fill
    quint32 recno;
    quint32 child; // interior levels
    quint8 length;
};

class TTreeWriter {
public:
    TTreeWriter(QByteArray& out, int keyLength, char fill)
        : m_out(out)
        , m_keyLength(keyLength)
        , m_fill(fill)
    {
        // The entry layout depends only on how many bits the largest record number needs.
        for (int need = 0; need <= 32; ++need)
            EntryLayout(need == 0 ? 0 : quint32(1) << (need - 1), &m_layouts[size_t(need)]);
    }
    quint32 Build(const std::vector<TItem>& items);

private:
    struct TLayout {
        int e, r, d, t;
    };
    quint32 NewPage()
    {
        const qsizetype offset = m_out.size();
        if (m_out.capacity() < offset + kPage)
            m_out.reserve(std::max<qsizetype>(2 * m_out.capacity(), offset + kPage));
        m_out.resize(offset + kPage);
        std::memset(m_out.data() + offset, 0, size_t(kPage));
        return quint32(offset);
    }
    const TLayout& LayoutFor(quint32 maxRecno) const { return m_layouts[size_t(std::bit_width(maxRecno))]; }
    // Trailing fill and the prefix shared with the previous item, worked out once per item:
    // both the packing of leaves and their writing need them.
    void Measure(const std::vector<TItem>& items);
    std::vector<TItem> Leaves(const std::vector<TItem>& items);
    std::vector<TItem> Interiors(const std::vector<TItem>& children);
    void WriteLeaf(quint32 offset, const std::vector<TItem>& items, size_t from, size_t to);
    void Chain(const std::vector<TItem>& level);
    void EntryLayout(quint32 maxRecno, TLayout* layout) const;

    QByteArray& m_out;
    int m_keyLength;
    char m_fill;
    std::array<TLayout, 33> m_layouts{};
    std::vector<quint8> m_trail, m_dup; // key lengths are at most 240
};

void TTreeWriter::EntryLayout(quint32 maxRecno, TLayout* layout) const
{
    int* e = &layout->e;
    int* r = &layout->r;
    int* d = &layout->d;
    int* t = &layout->t;
    const int bits = BitLength(quint64(m_keyLength));
    const int need = std::max(1, BitLength(maxRecno));
    for (*e = 3;; ++*e) {
        *d = bits;
        *t = bits;
        *r = 8 * *e - *d - *t;
        if (*r > 32) { // give the spare bits to the counts, which stay within a byte
            int spare = *r - 32;
            const int dx = std::min(spare, 8 - *d);
            *d += dx;
            spare -= dx;
            *t += std::min(spare, 8 - *t);
            *r = 8 * *e - *d - *t;
        }
        if (*r >= need && *r <= 32)
            return;
    }
}

void TTreeWriter::Measure(const std::vector<TItem>& items)
{
    m_trail.resize(items.size());
    m_dup.assign(items.size(), 0);
    for (size_t i = 0; i < items.size(); ++i)
        m_trail[i] = quint8(m_keyLength - items[i].length);
    for (size_t i = 1; i < items.size(); ++i) {
        const char* prev = items[i - 1].key;
        const char* key = items[i].key;
        const int cap = m_keyLength - std::max(m_trail[i - 1], m_trail[i]);
        int dup = 0;
        while (dup < cap && prev[dup] == key[dup])
            ++dup;
        m_dup[i] = quint8(dup);
    }
}

std::vector<TItem> TTreeWriter::Leaves(const std::vector<TItem>& items)
{
    Measure(items);
    std::vector<TItem> parents;
    size_t start = 0;
    while (start < items.size() || (items.empty() && parents.empty())) {
        // Take keys while they fit: entries of E bytes plus the stored part of each key.
        size_t end = start;
        int stored = 0;
        quint32 maxRecno = 0;
        while (end < items.size()) {
            const int dup = end > start ? m_dup[end] : 0; // a leaf's first key is stored whole
            const int len = m_keyLength - dup - m_trail[end];
            const quint32 mr = std::max(maxRecno, items[end].recno);
            const int e = LayoutFor(mr).e;
            if (int(end - start + 1) * e + stored + len > kLeafArea)
                break;
            stored += len;
            maxRecno = mr;
            ++end;
        }
        const quint32 offset = NewPage();
        WriteLeaf(offset, items, start, end);
        if (end > start)
            parents.push_back({items[end - 1].key, items[end - 1].recno, offset, items[end - 1].length});
        else
            parents.push_back({nullptr, 0, offset, 0});
        start = end;
        if (items.empty())
            break;
    }
    return parents;
}

void TTreeWriter::WriteLeaf(quint32 offset, const std::vector<TItem>& items, size_t from, size_t to)
{
    quint32 maxRecno = 0;
    for (size_t i = from; i < to; ++i)
        maxRecno = std::max(maxRecno, items[i].recno);
    const TLayout& layout = LayoutFor(maxRecno);
    const int e = layout.e, r = layout.r, d = layout.d, t = layout.t;
    char* p = m_out.data() + offset;
    PutLe16(p, 2);
    PutLe16(p + 2, quint16(to - from));
    PutLe32(p + 4, kNone);
    PutLe32(p + 8, kNone);
    PutLe32(p + 14, r == 32 ? 0xFFFFFFFFu : (1u << r) - 1);
    p[18] = char((1 << d) - 1);
    p[19] = char((1 << t) - 1);
    p[20] = char(r);
    p[21] = char(d);
    p[22] = char(t);
    p[23] = char(e);
    int pos = kPage;
    int stored = 0;
    for (size_t i = from; i < to; ++i) {
        const int trail = m_trail[i];
        const int dup = i > from ? m_dup[i] : 0;
        const int len = m_keyLength - dup - trail;
        pos -= len;
        std::memcpy(p + pos, items[i].key + dup, size_t(len));
        stored += len;
        const quint64 value = quint64(items[i].recno) | quint64(dup) << r | quint64(trail) << (r + d);
        for (int b = 0; b < e; ++b)
            p[24 + int(i - from) * e + b] = char((value >> (8 * b)) & 0xFF);
    }
    PutLe16(p + 12, quint16(kLeafArea - int(to - from) * e - stored));
}

std::vector<TItem> TTreeWriter::Interiors(const std::vector<TItem>& children)
{
    const int perNode = kInteriorArea / (m_keyLength + 8);
    const size_t nodes = (children.size() + size_t(perNode) - 1) / size_t(perNode);
    std::vector<TItem> parents;
    size_t start = 0;
    for (size_t i = 0; i < nodes; ++i) {
        // Spread the children evenly so that no node is left with a single entry.
        const size_t end = children.size() * (i + 1) / nodes;
        const quint32 offset = NewPage();
        char* p = m_out.data() + offset;
        PutLe16(p, 0);
        PutLe16(p + 2, quint16(end - start));
        PutLe32(p + 4, kNone);
        PutLe32(p + 8, kNone);
        for (size_t c = start; c < end; ++c) {
            char* e = p + 12 + int(c - start) * (m_keyLength + 8);
            std::memcpy(e, children[c].key, children[c].length);
            std::memset(e + children[c].length, m_fill, size_t(m_keyLength - children[c].length));
            PutBe32(e + m_keyLength, children[c].recno);
            PutBe32(e + m_keyLength + 4, children[c].child);
        }
        parents.push_back({children[end - 1].key, children[end - 1].recno, offset, children[end - 1].length});
        start = end;
    }
    return parents;
}

void TTreeWriter::Chain(const std::vector<TItem>& level)
{
    for (size_t i = 0; i < level.size(); ++i) {
        char* p = m_out.data() + level[i].child;
        PutLe32(p + 4, i == 0 ? kNone : level[i - 1].child);
        PutLe32(p + 8, i + 1 == level.size() ? kNone : level[i + 1].child);
    }
}

quint32 TTreeWriter::Build(const std::vector<TItem>& items)
{
    std::vector<TItem> level = Leaves(items);
    Chain(level);
    while (level.size() > 1) {
        level = Interiors(level);
        Chain(level);
    }
    char* root = m_out.data() + level.front().child;
    PutLe16(root, quint16(Le16(root) | 1));
    return level.front().child;
}

void WriteIndexHeader(char* p, quint32 root, int keyLength, quint8 options, bool descending,
    const QByteArray& key, const QByteArray& forExpr)
{
    PutLe32(p, root);
    PutLe16(p + 12, quint16(keyLength));
    p[14] = char(options);
    p[15] = 1;
    PutLe16(p + 502, descending ? 1 : 0);
    PutLe16(p + 504, quint16(key.size() + 1));
    PutLe16(p + 506, quint16(forExpr.size() + 1));
    PutLe16(p + 508, 0);
    PutLe16(p + 510, quint16(key.size() + 1));
    std::memcpy(p + kPage, key.constData(), size_t(key.size()));
    std::memcpy(p + kPage + key.size() + 1, forExpr.constData(), size_t(forExpr.size()));
}

} // namespace

TStatus ParseCdxTagHeader(const char* p, TCdxTagHeader* tag)
{
    tag->RootOffset = Le32(p);
    tag->KeyLength = Le16(p + 12);
    tag->Options = quint8(p[14]);
    tag->Descending = Le16(p + 502) != 0;
    if (tag->KeyLength < 1 || tag->KeyLength > kCdxMaxKeyLength)
        return TStatus::Error(
            Damaged(QStringLiteral("tag %1 has key length %2").arg(tag->Name).arg(tag->KeyLength)));
    tag->Collated = false;
    for (int i = 494; i < 502; ++i)
        tag->Collated = tag->Collated || p[i] != 0;
    tag->KeyExpression = PoolText(p, Le16(p + 508), Le16(p + 510));
    tag->ForExpression = PoolText(p, Le16(p + 504), Le16(p + 506));
    if (tag->KeyExpression.isEmpty())
        return TStatus::Error(Damaged(QStringLiteral("tag %1 has no key expression").arg(tag->Name)));
    return TStatus::Ok();
}

TStatus ReadCdxTags(const QByteArray& file, std::vector<TCdxTagHeader>* tags)
{
    tags->clear();
    if (file.size() < 2 * kPage)
        return TStatus::Error(Damaged(QStringLiteral("shorter than its header")));
    const char* h = file.constData();
    const int dirKeyLength = Le16(h + 12);
    if (dirKeyLength < 1 || dirKeyLength > kCdxMaxKeyLength)
        return TStatus::Error(Damaged(QStringLiteral("tag directory key length %1").arg(dirKeyLength)));
    TCdxTagHeader dir;
    dir.KeyLength = dirKeyLength;
    dir.RootOffset = Le32(h);
    std::vector<TCdxEntry> names;
    TStatus st = ReadCdxEntries(file, dir, ' ', &names);
    if (!st.ok())
        return st;
    for (const TCdxEntry& e : names) {
        TCdxTagHeader tag;
        tag.Name = QString::fromLatin1(e.key.data(), int(e.key.size())).trimmed().toUpper();
        tag.Name.remove(QChar(0));
        tag.HeaderOffset = e.recno;
        if (tag.HeaderOffset % kPage != 0 || tag.HeaderOffset < kPage
            || qint64(tag.HeaderOffset) + 2 * kPage > file.size())
            return TStatus::Error(Damaged(QStringLiteral("header of tag %1 outside the file").arg(tag.Name)));
        st = ParseCdxTagHeader(h + tag.HeaderOffset, &tag);
        if (!st.ok())
            return st;
        for (const TCdxTagHeader& other : *tags)
            if (other.Name == tag.Name)
                return TStatus::Error(Damaged(QStringLiteral("tag %1 appears twice").arg(tag.Name)));
        tags->push_back(tag);
    }
    // The directory lists tags by name; their headers lie in the order they were made.
    std::sort(tags->begin(), tags->end(),
        [](const TCdxTagHeader& a, const TCdxTagHeader& b) { return a.HeaderOffset < b.HeaderOffset; });
    return TStatus::Ok();
}

TStatus ReadCdxEntries(
    const QByteArray& file, const TCdxTagHeader& tag, char fill, std::vector<TCdxEntry>* entries, bool strict)
{
    entries->clear();
    TTreeReader reader{file, tag.KeyLength, fill, strict, entries, {}, {}, -1};
    TCdxEntry last;
    TStatus st = reader.Node(tag.RootOffset, 0, &last);
    if (!st.ok()) {
        entries->clear();
        return TStatus::Error(
            tag.Name.isEmpty() ? st.Message() : st.Message() + QStringLiteral(" in tag ") + tag.Name);
    }
    if (!(Le16(file.constData() + tag.RootOffset) & 1) && strict)
        return TStatus::Error(
            Damaged(QStringLiteral("root node of tag %1 is not marked as root").arg(tag.Name)));
    if (strict) {
        const std::vector<quint32>& leaves = reader.leaves;
        for (size_t i = 0; i < leaves.size(); ++i) {
            const char* p = file.constData() + leaves[i];
            if (Le32(p + 4) != (i == 0 ? kNone : leaves[i - 1])
                || Le32(p + 8) != (i + 1 == leaves.size() ? kNone : leaves[i + 1]))
                return TStatus::Error(
                    Damaged(QStringLiteral("sibling chain of tag %1 is broken").arg(tag.Name)));
        }
        if (!std::is_sorted(entries->begin(), entries->end()))
            return TStatus::Error(Damaged(QStringLiteral("keys of tag %1 are out of order").arg(tag.Name)));
    }
    return TStatus::Ok();
}

namespace {

TItem Item(const std::string& key, quint32 recno, char fill)
{
    size_t n = key.size();
    while (n > 0 && key[n - 1] == fill)
        --n;
    return {key.data(), recno, 0, quint8(n)};
}

// The entries of a tag in order: its entry vector, or its sorted runs merged.
std::vector<TItem> Items(const TCdxTagData& tag)
{
    std::vector<TItem> items;
    if (tag.Entries) {
        items.reserve(tag.Entries->size());
        for (const TCdxEntry& e : *tag.Entries)
            items.push_back(Item(e.key, e.recno, tag.Fill));
        return items;
    }
    size_t total = 0;
    for (const TCdxKeyList* run : tag.Runs)
        total += run->Size();
    items.reserve(total);
    std::vector<size_t> next(tag.Runs.size(), 0);
    while (items.size() < total) {
        size_t best = tag.Runs.size();
        for (size_t r = 0; r < tag.Runs.size(); ++r)
            if (next[r] < tag.Runs[r]->Size()
                && (best == tag.Runs.size() || tag.Runs[r]->Less(next[r], *tag.Runs[best], next[best])))
                best = r;
        const TCdxKeyList& run = *tag.Runs[best];
        const std::string_view key = run.Key(next[best]);
        items.push_back({key.data(), run.Recno(next[best]), 0, quint8(key.size())});
        ++next[best];
    }
    return items;
}

} // namespace

QByteArray BuildCdx(const std::vector<TCdxTagData>& tags, quint32 changeCounter)
{
    QByteArray out(2 * kPage, '\0');
    std::vector<std::pair<std::string, quint32>> directory;
    for (const TCdxTagData& tag : tags) {
        const quint32 headerOffset = quint32(out.size());
        out.append(QByteArray(2 * kPage, '\0'));
        TTreeWriter writer(out, tag.Header.KeyLength, tag.Fill);
        const quint32 root = writer.Build(Items(tag));
        quint8 options = 0x60;
        if (!tag.Header.ForExpression.isEmpty())
            options |= 0x08;
        if (tag.Header.Unique())
            options |= 0x01;
        WriteIndexHeader(out.data() + headerOffset, root, tag.Header.KeyLength, options,
            tag.Header.Descending, tag.Header.KeyExpression.toLatin1(), tag.Header.ForExpression.toLatin1());
        std::string name = tag.Header.Name.toUpper().toLatin1().left(10).toStdString();
        name.resize(10, ' ');
        directory.emplace_back(name, headerOffset);
    }
    std::sort(directory.begin(), directory.end());
    std::vector<TItem> items;
    for (const auto& [name, offset] : directory)
        items.push_back(Item(name, offset, ' '));
    TTreeWriter writer(out, 10, ' ');
    const quint32 root = writer.Build(items);
    char* h = out.data();
    PutLe32(h, root);
    PutBe32(h + 8, changeCounter);
    PutLe16(h + 12, 10);
    h[14] = char(0xE0);
    h[15] = 1;
    PutLe16(h + 504, 1);
    PutLe16(h + 506, 1);
    PutLe16(h + 508, 0);
    PutLe16(h + 510, 1);
    return out;
}

quint32 CdxChangeCounter(const QByteArray& file)
{
    return file.size() >= 12 ? Be32(file.constData() + 8) : 0;
}

std::string NumericKey(double value)
{
    if (value == 0)
        value = 0; // -0.0 and 0.0 get one key
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    if (bits >> 63)
        bits = ~bits;
    else
        bits |= quint64(1) << 63;
    std::string key(8, '\0');
    for (int i = 0; i < 8; ++i)
        key[size_t(i)] = char((bits >> (56 - 8 * i)) & 0xFF);
    return key;
}

std::string IntegerKey(qint32 value)
{
    const quint32 v = quint32(value) ^ 0x80000000u;
    std::string key(4, '\0');
    for (int i = 0; i < 4; ++i)
        key[size_t(i)] = char((v >> (24 - 8 * i)) & 0xFF);
    return key;
}

} // namespace xbase
