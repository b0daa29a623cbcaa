#include "xbase/cdxnode.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace xbase {

namespace {

constexpr int kLeafArea = 488; // bytes 24..511 of a leaf
constexpr int kInteriorArea = 500; // bytes 12..511 of an interior node

struct TLeafLayout {
    int e, r, d, t;
};

// The smallest entry of at least 3 bytes (as other engines write) whose record part holds
// `maxRecno`; the counts get the key length's bit width.
TLeafLayout LeafLayout(int keyLength, quint32 maxRecno)
{
    const int bits = std::bit_width(quint32(keyLength));
    const int need = std::max(1, int(std::bit_width(maxRecno)));
    TLeafLayout l{3, 0, bits, bits};
    for (;; ++l.e) {
        l.d = l.t = bits;
        l.r = 8 * l.e - l.d - l.t;
        if (l.r > 32) { // spare bits go to the counts, which stay within a byte
            int spare = l.r - 32;
            const int dx = std::min(spare, 8 - l.d);
            l.d += dx;
            spare -= dx;
            l.t += std::min(spare, 8 - l.t);
            l.r = 8 * l.e - l.d - l.t;
        }
        if (l.r >= need && l.r <= 32)
            return l;
    }
}

int Trail(const std::string& key, char fill)
{
    int n = int(key.size());
    while (n > 0 && key[size_t(n - 1)] == fill)
        --n;
    return int(key.size()) - n;
}

// Stored bytes of each entry: trailing fill and the prefix shared with the previous key left out.
struct TPacked {
    std::vector<quint8> trail, dup;
    int stored = 0;
    quint32 maxRecno = 0;
};

TPacked Pack(const std::vector<TCdxEntry>& entries, int keyLength, char fill)
{
    TPacked p;
    p.trail.resize(entries.size());
    p.dup.assign(entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        p.trail[i] = quint8(Trail(entries[i].key, fill));
        p.maxRecno = std::max(p.maxRecno, entries[i].recno);
        if (i > 0) {
            const std::string& a = entries[i - 1].key;
            const std::string& b = entries[i].key;
            const int cap = keyLength - std::max(p.trail[i - 1], p.trail[i]);
            int dup = 0;
            while (dup < cap && a[size_t(dup)] == b[size_t(dup)])
                ++dup;
            p.dup[i] = quint8(dup);
        }
        p.stored += keyLength - p.dup[i] - p.trail[i];
    }
    return p;
}

bool Fail(QString* error, quint32 page, const QString& what)
{
    *error = QStringLiteral("The index file is damaged (node %1: %2)").arg(page).arg(what);
    return false;
}

bool DecodeLeaf(const char* p, int keyLength, char fill, TCdxNode* node, QString* error)
{
    const int n = CdxLe16(p + 2);
    const int freeSpace = CdxLe16(p + 12);
    const quint32 recMask = CdxLe32(p + 14);
    const int r = quint8(p[20]), d = quint8(p[21]), t = quint8(p[22]), e = quint8(p[23]);
    if (e < 1 || e > 8 || r + d + t != 8 * e || r > 32 || d > 8 || t > 8)
        return Fail(error, node->Page, QStringLiteral("bad entry layout"));
    if (recMask != (r == 32 ? 0xFFFFFFFFu : (1u << r) - 1) || quint8(p[18]) != (1 << d) - 1
        || quint8(p[19]) != (1 << t) - 1)
        return Fail(error, node->Page, QStringLiteral("masks do not match bit counts"));
    if (n * e > kLeafArea)
        return Fail(error, node->Page, QStringLiteral("too many keys"));
    node->Entries.resize(size_t(n));
    int pos = kCdxPage, stored = 0;
    const std::string* prev = nullptr;
    for (int i = 0; i < n; ++i) {
        quint64 value = 0;
        for (int b = e - 1; b >= 0; --b)
            value = value << 8 | quint8(p[24 + i * e + b]);
        TCdxEntry& entry = node->Entries[size_t(i)];
        entry.recno = quint32(value & recMask);
        const int dup = i == 0 ? 0 : int((value >> r) & quint64((1 << d) - 1));
        const int trail = int((value >> (r + d)) & quint64((1 << t) - 1));
        if (dup + trail > keyLength)
            return Fail(error, node->Page, QStringLiteral("key longer than the key length"));
        const int len = keyLength - dup - trail;
        pos -= len;
        if (pos < 24 + n * e)
            return Fail(error, node->Page, QStringLiteral("keys overlap the entry table"));
        stored += len;
        entry.key.reserve(size_t(keyLength));
        if (prev)
            entry.key.assign(*prev, 0, size_t(dup));
        entry.key.append(p + pos, size_t(len));
        entry.key.append(size_t(trail), fill);
        prev = &entry.key;
    }
    if (freeSpace != kLeafArea - n * e - stored)
        return Fail(error, node->Page, QStringLiteral("free space count is wrong"));
    return true;
}

bool DecodeInterior(const char* p, int keyLength, TCdxNode* node, QString* error)
{
    const int n = CdxLe16(p + 2);
    const int size = keyLength + 8;
    if (n < 1 || n * size > kInteriorArea)
        return Fail(error, node->Page, QStringLiteral("interior node holds %1 keys").arg(n));
    node->Entries.resize(size_t(n));
    node->Children.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        const char* e = p + 12 + i * size;
        node->Entries[size_t(i)].key.assign(e, size_t(keyLength));
        node->Entries[size_t(i)].recno = CdxBe32(e + keyLength);
        const quint32 child = CdxBe32(e + keyLength + 4);
        if (child % kCdxPage != 0 || child < kCdxPage)
            return Fail(error, node->Page, QStringLiteral("child pointer %1").arg(child));
        node->Children[size_t(i)] = child;
    }
    return true;
}

void EncodeLeaf(const TCdxNode& node, int keyLength, char fill, char* p)
{
    const TPacked packed = Pack(node.Entries, keyLength, fill);
    const TLeafLayout l = LeafLayout(keyLength, packed.maxRecno);
    CdxPutLe32(p + 14, l.r == 32 ? 0xFFFFFFFFu : (1u << l.r) - 1);
    p[18] = char((1 << l.d) - 1);
    p[19] = char((1 << l.t) - 1);
    p[20] = char(l.r);
    p[21] = char(l.d);
    p[22] = char(l.t);
    p[23] = char(l.e);
    int pos = kCdxPage;
    const size_t n = node.Entries.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& key = node.Entries[i].key;
        const int len = keyLength - packed.dup[i] - packed.trail[i];
        pos -= len;
        std::memcpy(p + pos, key.data() + packed.dup[i], size_t(len));
        const quint64 value = quint64(node.Entries[i].recno) | quint64(packed.dup[i]) << l.r
            | quint64(packed.trail[i]) << (l.r + l.d);
        for (int b = 0; b < l.e; ++b)
            p[24 + int(i) * l.e + b] = char((value >> (8 * b)) & 0xFF);
    }
    CdxPutLe16(p + 12, quint16(kLeafArea - int(n) * l.e - packed.stored));
}

void EncodeInterior(const TCdxNode& node, int keyLength, char* p)
{
    for (size_t i = 0; i < node.Entries.size(); ++i) {
        char* e = p + 12 + int(i) * (keyLength + 8);
        std::memcpy(e, node.Entries[i].key.data(), size_t(keyLength));
        CdxPutBe32(e + keyLength, node.Entries[i].recno);
        CdxPutBe32(e + keyLength + 4, node.Children[i]);
    }
}

} // namespace

size_t TCdxNode::Bytes() const
{
    size_t n = sizeof(TCdxNode) + Children.size() * sizeof(quint32);
    for (const TCdxEntry& e : Entries)
        n += sizeof(TCdxEntry) + e.key.capacity();
    return n;
}

bool DecodeCdxNode(const char* bytes, quint32 page, int keyLength, char fill, TCdxNode* node, QString* error)
{
    node->Page = page;
    const int attr = CdxLe16(bytes);
    node->Leaf = attr & 2;
    node->Root = attr & 1;
    node->Left = CdxLe32(bytes + 4);
    node->Right = CdxLe32(bytes + 8);
    node->Entries.clear();
    node->Children.clear();
    return node->Leaf ? DecodeLeaf(bytes, keyLength, fill, node, error)
                      : DecodeInterior(bytes, keyLength, node, error);
}

bool CdxInteriorChild(const char* bytes, quint32 page, int keyLength, const std::string& key, quint32 recno,
    quint32* child, QString* error)
{
    const int n = CdxLe16(bytes + 2);
    const int size = keyLength + 8;
    if (n < 1 || n * size > kInteriorArea)
        return Fail(error, page, QStringLiteral("interior node holds %1 keys").arg(n));
    const size_t compared = std::min(key.size(), size_t(keyLength));
    const bool whole = compared == size_t(keyLength);
    auto below = [&](int i) {
        const char* e = bytes + 12 + i * size;
        const int c = compared == 0 ? 0 : std::memcmp(e, key.data(), compared);
        return c < 0 || (c == 0 && whole && CdxBe32(e + keyLength) < recno);
    };
    int lo = 0, hi = n; // the first entry not below lies in [lo, hi]
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (below(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    const int taken = std::min(lo, n - 1);
    *child = CdxBe32(bytes + 12 + taken * size + keyLength + 4);
    if (*child % kCdxPage != 0 || *child < kCdxPage)
        return Fail(error, page, QStringLiteral("child pointer %1").arg(*child));
    return true;
}

bool CdxLeafLowerBound(const char* p, quint32 page, int keyLength, char fill, const std::string& key,
    quint32 recno, TCdxEntry* entry, bool* found, QString* error)
{
    *found = false;
    const int n = CdxLe16(p + 2);
    const quint32 recMask = CdxLe32(p + 14);
    const int r = quint8(p[20]), d = quint8(p[21]), t = quint8(p[22]), e = quint8(p[23]);
    if (e < 1 || e > 8 || r + d + t != 8 * e || r > 32 || d > 8 || t > 8 || n * e > kLeafArea)
        return Fail(error, page, QStringLiteral("bad entry layout"));
    const size_t compared = std::min(key.size(), size_t(keyLength));
    const bool whole = compared == size_t(keyLength);
    std::string& current = entry->key;
    current.assign(size_t(keyLength), fill);
    int pos = kCdxPage;
    for (int i = 0; i < n; ++i) {
        quint64 value = 0;
        for (int b = e - 1; b >= 0; --b)
            value = value << 8 | quint8(p[24 + i * e + b]);
        const int dup = i == 0 ? 0 : int((value >> r) & quint64((1 << d) - 1));
        const int trail = int((value >> (r + d)) & quint64((1 << t) - 1));
        if (dup + trail > keyLength)
            return Fail(error, page, QStringLiteral("key longer than the key length"));
        const int len = keyLength - dup - trail;
        pos -= len;
        if (pos < 24 + n * e)
            return Fail(error, page, QStringLiteral("keys overlap the entry table"));
        std::memcpy(current.data() + dup, p + pos, size_t(len));
        std::memset(current.data() + dup + len, fill, size_t(trail));
        entry->recno = quint32(value & recMask);
        const int c = compared == 0 ? 0 : std::memcmp(current.data(), key.data(), compared);
        if (!(c < 0 || (c == 0 && whole && entry->recno < recno))) {
            *found = true;
            return true;
        }
    }
    return true;
}

bool CdxLeafFits(const std::vector<TCdxEntry>& entries, int keyLength, char fill)
{
    const TPacked packed = Pack(entries, keyLength, fill);
    const TLeafLayout l = LeafLayout(keyLength, packed.maxRecno);
    return int(entries.size()) * l.e + packed.stored <= kLeafArea;
}

int CdxLeafBytes(const std::vector<TCdxEntry>& entries, int keyLength, char fill)
{
    const TPacked packed = Pack(entries, keyLength, fill);
    return int(entries.size()) * LeafLayout(keyLength, packed.maxRecno).e + packed.stored;
}

std::vector<size_t> CdxLeafCuts(
    const std::vector<TCdxEntry>& entries, int keyLength, char fill, bool packLeft)
{
    const TPacked packed = Pack(entries, keyLength, fill);
    const size_t n = entries.size();
    auto whole = [&](size_t i) { return keyLength - packed.trail[i]; };
    auto shared = [&](size_t i) { return keyLength - packed.dup[i] - packed.trail[i]; };
    std::vector<size_t> cuts;
    if (!packLeft && n >= 2) {
        // Two pieces as even as they can be: sizes of every prefix and suffix.
        std::vector<int> left(n + 1, 0), right(n + 1, 0);
        quint32 maxRecno = 0;
        int stored = 0;
        for (size_t i = 0; i < n; ++i) {
            stored += i == 0 ? whole(i) : shared(i);
            maxRecno = std::max(maxRecno, entries[i].recno);
            left[i + 1] = stored + int(i + 1) * LeafLayout(keyLength, maxRecno).e;
        }
        maxRecno = 0;
        stored = 0;
        for (size_t i = n; i-- > 0;) {
            maxRecno = std::max(maxRecno, entries[i].recno);
            stored += shared(i);
            right[i] = stored + (whole(i) - shared(i)) + int(n - i) * LeafLayout(keyLength, maxRecno).e;
        }
        size_t best = 0;
        for (size_t c = 1; c < n; ++c)
            if (left[c] <= kLeafArea && right[c] <= kLeafArea
                && (best == 0 || std::abs(left[c] - right[c]) < std::abs(left[best] - right[best])))
                best = c;
        if (best > 0)
            return {best};
    }
    size_t start = 0;
    int stored = 0;
    quint32 maxRecno = 0;
    for (size_t i = 0; i < n; ++i) {
        const int len = i == start ? whole(i) : shared(i);
        const quint32 mr = std::max(maxRecno, entries[i].recno);
        if (i > start && int(i - start + 1) * LeafLayout(keyLength, mr).e + stored + len > kLeafArea) {
            cuts.push_back(i);
            start = i;
            stored = whole(i);
            maxRecno = entries[i].recno;
            continue;
        }
        stored += len;
        maxRecno = mr;
    }
    return cuts;
}

int CdxInteriorCapacity(int keyLength)
{
    return kInteriorArea / (keyLength + 8);
}

void EncodeCdxNode(const TCdxNode& node, int keyLength, char fill, char* out)
{
    std::memset(out, 0, size_t(kCdxPage));
    CdxPutLe16(out, quint16((node.Leaf ? 2 : 0) | (node.Root ? 1 : 0)));
    CdxPutLe16(out + 2, quint16(node.Entries.size()));
    CdxPutLe32(out + 4, node.Left);
    CdxPutLe32(out + 8, node.Right);
    if (node.Leaf)
        EncodeLeaf(node, keyLength, fill, out);
    else
        EncodeInterior(node, keyLength, out);
}

quint32 CdxLe32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
quint16 CdxLe16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}
quint32 CdxBe32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}
void CdxPutLe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
void CdxPutLe16(char* p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
void CdxPutBe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (24 - 8 * i)) & 0xFF);
}

} // namespace xbase
