#include "xbase/cdxtree.h"

#include <algorithm>

namespace xbase {

namespace {

constexpr int kMaxDepth = 32;

QString Damaged(const QString& what)
{
    return QStringLiteral("The index file is damaged (%1)").arg(what);
}

} // namespace

TCdxTree::TCdxTree(TCdxStore& store, quint32 headerOffset, int keyLength, char fill)
    : m_store(store)
    , m_header(headerOffset)
    , m_keyLength(keyLength)
    , m_fill(fill)
{
}

bool TCdxTree::Less(const TCdxEntry& entry, const std::string& key, quint32 recno) const
{
    const size_t n = std::min(key.size(), size_t(m_keyLength));
    const int c = entry.key.compare(0, n, key, 0, n);
    return c < 0 || (c == 0 && n == size_t(m_keyLength) && entry.recno < recno);
}

TStatus TCdxTree::Root(quint32* root)
{
    return m_store.TagRoot(m_header, root);
}

bool TCdxTree::Fits(const TCdxNode& node) const
{
    if (node.Leaf)
        return CdxLeafBytes(node.Entries, m_keyLength, m_fill) <= 488;
    return int(node.Entries.size()) <= CdxInteriorCapacity(m_keyLength);
}

// ---- Reading -----------------------------------------------------------------------------------

// Interior nodes not cached decoded are searched in their raw bytes: a seek then decodes one
// leaf at most, however deep the tree.
TStatus TCdxTree::FindLeaf(
    const std::string& key, quint32 recno, quint32* page, const TCdxNode** node, const char** raw)
{
    TStatus st = Root(page);
    for (int depth = 0; st.ok(); ++depth) {
        if (depth > kMaxDepth)
            return TStatus::Error(Damaged(QStringLiteral("tree deeper than %1 levels").arg(kMaxDepth)));
        *raw = nullptr;
        *node = m_store.CachedNode(*page);
        if (*node) {
            if ((*node)->Leaf)
                return TStatus::Ok();
            const auto& e = (*node)->Entries;
            auto it = std::partition_point(
                e.begin(), e.end(), [&](const TCdxEntry& x) { return Less(x, key, recno); });
            *page = (*node)->Children[it == e.end() ? e.size() - 1 : size_t(it - e.begin())];
            continue;
        }
        st = m_store.RawPage(*page, raw);
        if (!st.ok())
            break;
        if (CdxIsLeaf(*raw))
            return TStatus::Ok();
        QString error;
        if (!CdxInteriorChild(*raw, *page, m_keyLength, key, recno, page, &error))
            st = TStatus::Error(error);
    }
    return st;
}

TStatus TCdxTree::Seek(const std::string& key, quint32 recno, TCdxCursor* cursor)
{
    cursor->Leaf.reset();
    quint32 page = 0;
    const TCdxNode* node = nullptr;
    const char* raw = nullptr;
    TStatus st = FindLeaf(key, recno, &page, &node, &raw);
    if (st.ok())
        st = m_store.Node(page, m_keyLength, m_fill, &cursor->Leaf);
    if (st.ok() && !cursor->Leaf->Leaf)
        st = TStatus::Error(Damaged(QStringLiteral("node %1 changed from leaf to interior").arg(page)));
    if (!st.ok()) {
        cursor->Leaf.reset();
        return st;
    }
    const auto& e = cursor->Leaf->Entries;
    auto it
        = std::partition_point(e.begin(), e.end(), [&](const TCdxEntry& x) { return Less(x, key, recno); });
    cursor->Index = int(it - e.begin());
    if (cursor->Index < int(e.size()))
        return TStatus::Ok();
    cursor->Index = int(e.size()) - 1;
    return Next(cursor);
}

TStatus TCdxTree::Probe(const std::string& key, quint32 recno, TCdxEntry* entry, bool* known)
{
    *known = false;
    quint32 page = 0;
    const TCdxNode* node = nullptr;
    const char* raw = nullptr;
    TStatus st = FindLeaf(key, recno, &page, &node, &raw);
    if (!st.ok())
        return st;
    if (node) {
        const auto& e = node->Entries;
        auto it = std::partition_point(
            e.begin(), e.end(), [&](const TCdxEntry& x) { return Less(x, key, recno); });
        *known = it != e.end();
        if (*known)
            *entry = *it;
        return st;
    }
    QString error;
    if (!CdxLeafLowerBound(raw, page, m_keyLength, m_fill, key, recno, entry, known, &error))
        return TStatus::Error(error);
    return st;
}

TStatus TCdxTree::Edge(bool last, TCdxCursor* cursor)
{
    cursor->Leaf.reset();
    quint32 page = 0;
    TStatus st = Root(&page);
    for (int depth = 0; st.ok(); ++depth) {
        if (depth > kMaxDepth)
            return TStatus::Error(Damaged(QStringLiteral("tree deeper than %1 levels").arg(kMaxDepth)));
        TCdxNodePtr node;
        st = m_store.Node(page, m_keyLength, m_fill, &node);
        if (!st.ok())
            break;
        if (node->Leaf) {
            cursor->Leaf = node;
            if (node->Entries.empty()) {
                cursor->Index = last ? 0 : -1;
                return last ? Prev(cursor) : Next(cursor);
            }
            cursor->Index = last ? int(node->Entries.size()) - 1 : 0;
            return TStatus::Ok();
        }
        page = last ? node->Children.back() : node->Children.front();
    }
    return st;
}

TStatus TCdxTree::First(TCdxCursor* cursor)
{
    return Edge(false, cursor);
}

TStatus TCdxTree::Last(TCdxCursor* cursor)
{
    return Edge(true, cursor);
}

TStatus TCdxTree::Next(TCdxCursor* cursor)
{
    if (!cursor->Leaf)
        return TStatus::Ok();
    ++cursor->Index;
    return Settle(cursor, true);
}

TStatus TCdxTree::Prev(TCdxCursor* cursor)
{
    if (!cursor->Leaf)
        return TStatus::Ok();
    --cursor->Index;
    return Settle(cursor, false);
}

// Moves a cursor that stepped off its leaf along the sibling chain until it stands on an entry,
// or off the end. Empty leaves are passed over; the chain is followed at most once round the file.
TStatus TCdxTree::Settle(TCdxCursor* cursor, bool forward)
{
    const auto offLeaf = [cursor, forward] {
        return forward ? cursor->Index >= int(cursor->Leaf->Entries.size()) : cursor->Index < 0;
    };
    for (qint64 guard = -1; offLeaf();) {
        const quint32 sibling = forward ? cursor->Leaf->Right : cursor->Leaf->Left;
        if (sibling == kCdxNone) {
            cursor->Leaf.reset();
            return TStatus::Ok();
        }
        if (guard < 0)
            guard = m_store.FileSize() / kCdxPage + 1;
        if (--guard < 0) {
            cursor->Leaf.reset();
            return TStatus::Error(Damaged(QStringLiteral("sibling chain runs in a circle")));
        }
        TStatus st = m_store.Node(sibling, m_keyLength, m_fill, &cursor->Leaf);
        if (st.ok() && !cursor->Leaf->Leaf)
            st = TStatus::Error(Damaged(QStringLiteral("sibling %1 of a leaf is not a leaf").arg(sibling)));
        if (!st.ok()) {
            cursor->Leaf.reset();
            return st;
        }
        cursor->Index = forward ? 0 : int(cursor->Leaf->Entries.size()) - 1;
    }
    return TStatus::Ok();
}

TStatus TCdxTree::Contains(const TCdxEntry& entry, bool* found)
{
    TCdxCursor cursor;
    TStatus st = Seek(entry.key, entry.recno, &cursor);
    *found = st.ok() && cursor.Valid() && cursor.Entry() == entry;
    return st;
}

TStatus TCdxTree::All(std::vector<TCdxEntry>* entries, size_t limit)
{
    entries->clear();
    TCdxCursor cursor;
    TStatus st = First(&cursor);
    while (st.ok() && cursor.Valid()) {
        if (entries->size() >= limit)
            return TStatus::Error(Damaged(QStringLiteral("more keys than the file can hold")));
        entries->push_back(cursor.Entry());
        st = Next(&cursor);
    }
    return st;
}

TStatus TCdxTree::Walk(const std::function<void(const TCdxEntry&)>& take, size_t limit)
{
    TCdxCursor cursor;
    TStatus st = First(&cursor);
    if (!st.ok() || !cursor.Valid())
        return st;
    TCdxNode leaf;
    size_t count = 0;
    for (quint32 page = cursor.Leaf->Page; page != kCdxNone; page = leaf.Right) {
        st = m_store.DecodeUncached(page, m_keyLength, m_fill, &leaf);
        if (st.ok() && !leaf.Leaf)
            st = TStatus::Error(Damaged(QStringLiteral("sibling %1 of a leaf is not a leaf").arg(page)));
        count += leaf.Entries.size();
        if (st.ok() && count > limit)
            st = TStatus::Error(Damaged(QStringLiteral("more keys than the file can hold")));
        if (!st.ok())
            return st;
        for (const TCdxEntry& entry : leaf.Entries)
            take(entry);
    }
    return TStatus::Ok();
}

// ---- Changing ----------------------------------------------------------------------------------

TStatus TCdxTree::Descend(const std::string& key, quint32 recno, bool toLast, std::vector<TLevel>* path)
{
    path->clear();
    quint32 page = 0;
    TStatus st = Root(&page);
    for (int depth = 0; st.ok(); ++depth) {
        if (depth > kMaxDepth)
            return TStatus::Error(Damaged(QStringLiteral("tree deeper than %1 levels").arg(kMaxDepth)));
        TCdxNodePtr node;
        st = m_store.Node(page, m_keyLength, m_fill, &node);
        if (!st.ok())
            break;
        if (depth > 0 && node->Root)
            return TStatus::Error(
                Damaged(QStringLiteral("node %1 below the root is marked as root").arg(page)));
        TLevel level;
        level.node = *node;
        level.node.Root = depth == 0;
        path->push_back(std::move(level));
        if (node->Leaf)
            return TStatus::Ok();
        const auto& e = node->Entries;
        auto it = toLast ? e.end() : std::partition_point(e.begin(), e.end(), [&](const TCdxEntry& x) {
            return Less(x, key, recno);
        });
        const size_t child = it == e.end() ? e.size() - 1 : size_t(it - e.begin());
        path->back().index = child; // the child taken; Fix moves it down to the child's level
        page = node->Children[child];
    }
    return st;
}

TStatus TCdxTree::Insert(const TCdxEntry& entry)
{
    std::vector<TLevel> path;
    TStatus st = Descend(entry.key, entry.recno, false, &path);
    if (!st.ok())
        return st;
    auto& entries = path.back().node.Entries;
    auto it = std::lower_bound(entries.begin(), entries.end(), entry);
    if (it != entries.end() && *it == entry)
        return TStatus::Ok();
    entries.insert(it, entry);
    path.back().changed = true;
    return Fix(path);
}

TStatus TCdxTree::Remove(const TCdxEntry& entry, bool* found)
{
    std::vector<TLevel> path;
    TStatus st = Descend(entry.key, entry.recno, false, &path);
    if (found)
        *found = false;
    if (!st.ok())
        return st;
    auto& entries = path.back().node.Entries;
    auto it = std::lower_bound(entries.begin(), entries.end(), entry);
    if (it == entries.end() || !(*it == entry))
        return TStatus::Ok();
    if (found)
        *found = true;
    entries.erase(it);
    path.back().changed = path.back().shrunk = true;
    return Fix(path);
}

TStatus TCdxTree::Fix(std::vector<TLevel>& path)
{
    // Descend left at each level the index of the child taken below it; make it the index of
    // each node in its parent.
    for (size_t level = path.size(); level-- > 1;)
        path[level].index = path[level - 1].index;
    path[0].index = 0;
    for (size_t level = path.size(); level-- > 0;) {
        if (!path[level].changed)
            break;
        TStatus st = FixLevel(path, level);
        if (!st.ok())
            return st;
    }
    return TStatus::Ok();
}

TStatus TCdxTree::FixLevel(std::vector<TLevel>& path, size_t level)
{
    TLevel& lv = path[level];
    TCdxNode& node = lv.node;
    if (level == 0) {
        if (!node.Leaf && node.Entries.empty()) {
            node.Leaf = true; // every key is gone: the root is an empty leaf again
            node.Children.clear();
        }
        std::vector<TCdxNode> pieces;
        TStatus st = Split(node, &pieces);
        if (!st.ok())
            return st;
        if (pieces.size() > 1)
            return GrowRoot(pieces);
        if (!node.Leaf && node.Entries.size() == 1)
            return ShrinkRoot(node);
        return m_store.WriteNode(node, m_keyLength, m_fill);
    }
    TLevel& up = path[level - 1];
    if (node.Entries.empty()) {
        TStatus st = Unlink(node);
        if (st.ok())
            st = m_store.Free(node.Page);
        up.node.Entries.erase(up.node.Entries.begin() + std::ptrdiff_t(lv.index));
        up.node.Children.erase(up.node.Children.begin() + std::ptrdiff_t(lv.index));
        up.changed = up.shrunk = true;
        return st;
    }
    // A node that lost entries, or an interior node left with one child by a split below it,
    // joins a neighbour under the same parent when both fit in one.
    if (lv.shrunk || (!node.Leaf && node.Entries.size() == 1)) {
        TStatus st = Merge(path, level);
        if (!st.ok())
            return st;
    }
    if (!node.Leaf && !Fits(node)) {
        TStatus st = Lend(path, level);
        if (!st.ok())
            return st;
    }
    std::vector<TCdxNode> pieces;
    TStatus st = Split(node, &pieces);
    for (size_t i = 0; st.ok() && i < pieces.size(); ++i)
        st = m_store.WriteNode(pieces[i], m_keyLength, m_fill);
    if (!st.ok())
        return st;
    const size_t at = lv.index;
    if (!(up.node.Entries[at] == pieces[0].Entries.back())) {
        up.node.Entries[at] = pieces[0].Entries.back();
        up.changed = true;
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        up.node.Entries.insert(up.node.Entries.begin() + std::ptrdiff_t(at + i), pieces[i].Entries.back());
        up.node.Children.insert(up.node.Children.begin() + std::ptrdiff_t(at + i), pieces[i].Page);
        up.changed = true;
    }
    return TStatus::Ok();
}

TStatus TCdxTree::Merge(std::vector<TLevel>& path, size_t level)
{
    TLevel& lv = path[level];
    TLevel& up = path[level - 1];
    auto smallEnough = [&](const TCdxNode& a, const TCdxNode& b) {
        if (!a.Leaf)
            return int(a.Entries.size() + b.Entries.size())
                <= std::max(2, CdxInteriorCapacity(m_keyLength) * 3 / 4);
        std::vector<TCdxEntry> both = a.Entries;
        both.insert(both.end(), b.Entries.begin(), b.Entries.end());
        return CdxLeafBytes(both, m_keyLength, m_fill) <= 488 * 3 / 4;
    };
    // Takes `right` into `left`; `right` leaves the chain and the parent.
    auto join = [&](TCdxNode& left, const TCdxNode& right, size_t rightIndex) -> TStatus {
        left.Entries.insert(left.Entries.end(), right.Entries.begin(), right.Entries.end());
        left.Children.insert(left.Children.end(), right.Children.begin(), right.Children.end());
        left.Right = right.Right;
        TStatus st = right.Right == kCdxNone ? TStatus::Ok() : SetLeftOf(right.Right, left.Page);
        if (st.ok())
            st = m_store.Free(right.Page);
        up.node.Entries.erase(up.node.Entries.begin() + std::ptrdiff_t(rightIndex));
        up.node.Children.erase(up.node.Children.begin() + std::ptrdiff_t(rightIndex));
        up.changed = up.shrunk = true;
        return st;
    };
    TCdxNodePtr sibling;
    if (lv.index > 0) {
        TStatus st = m_store.Node(up.node.Children[lv.index - 1], m_keyLength, m_fill, &sibling);
        if (!st.ok())
            return st;
        if (sibling->Leaf == lv.node.Leaf && smallEnough(*sibling, lv.node)) {
            TCdxNode left = *sibling;
            st = join(left, lv.node, lv.index);
            lv.node = std::move(left);
            --lv.index;
            return st;
        }
    }
    if (lv.index + 1 < up.node.Children.size()) {
        TStatus st = m_store.Node(up.node.Children[lv.index + 1], m_keyLength, m_fill, &sibling);
        if (!st.ok())
            return st;
        if (sibling->Leaf == lv.node.Leaf && smallEnough(lv.node, *sibling))
            return join(lv.node, *sibling, lv.index + 1);
    }
    return TStatus::Ok();
}

// An interior node one entry too many hands its first entry to its left neighbour, or its last
// to its right one, when that neighbour (under the same parent) has room: with long keys an
// interior node holds two entries, and a split that climbs through full nodes to the root would
// add a level for every leaf that splits.
TStatus TCdxTree::Lend(std::vector<TLevel>& path, size_t level)
{
    TLevel& lv = path[level];
    TLevel& up = path[level - 1];
    TCdxNode& node = lv.node;
    const size_t capacity = size_t(CdxInteriorCapacity(m_keyLength));
    for (int side = 0; side < 2 && node.Entries.size() > capacity; ++side) {
        const bool left = side == 0;
        if (left ? lv.index == 0 : lv.index + 1 >= up.node.Children.size())
            continue;
        TCdxNodePtr sibling;
        TStatus st = m_store.Node(
            up.node.Children[left ? lv.index - 1 : lv.index + 1], m_keyLength, m_fill, &sibling);
        if (!st.ok())
            return st;
        if (sibling->Leaf || sibling->Entries.size() + (node.Entries.size() - capacity) > capacity)
            continue;
        TCdxNode other = *sibling;
        while (node.Entries.size() > capacity) {
            if (left) {
                other.Entries.push_back(node.Entries.front());
                other.Children.push_back(node.Children.front());
                node.Entries.erase(node.Entries.begin());
                node.Children.erase(node.Children.begin());
            } else {
                other.Entries.insert(other.Entries.begin(), node.Entries.back());
                other.Children.insert(other.Children.begin(), node.Children.back());
                node.Entries.pop_back();
                node.Children.pop_back();
            }
        }
        st = m_store.WriteNode(other, m_keyLength, m_fill);
        if (!st.ok())
            return st;
        if (left) {
            up.node.Entries[lv.index - 1] = other.Entries.back();
            up.changed = true;
        }
    }
    return TStatus::Ok();
}

TStatus TCdxTree::Split(TCdxNode& node, std::vector<TCdxNode>* pieces)
{
    pieces->clear();
    std::vector<size_t> cuts;
    const bool packLeft = node.Right == kCdxNone;
    if (!Fits(node)) {
        if (node.Leaf) {
            cuts = CdxLeafCuts(node.Entries, m_keyLength, m_fill, packLeft);
        } else {
            const size_t n = node.Entries.size(), cap = size_t(CdxInteriorCapacity(m_keyLength));
            const size_t k = (n + cap - 1) / cap;
            for (size_t i = 1; i < k; ++i)
                cuts.push_back(packLeft ? i * cap : n * i / k);
        }
    }
    cuts.push_back(node.Entries.size());
    size_t from = 0;
    for (size_t cut : cuts) {
        TCdxNode piece;
        piece.Leaf = node.Leaf;
        piece.Root = node.Root;
        piece.Page = node.Page;
        piece.Entries.assign(
            node.Entries.begin() + std::ptrdiff_t(from), node.Entries.begin() + std::ptrdiff_t(cut));
        if (!node.Leaf)
            piece.Children.assign(
                node.Children.begin() + std::ptrdiff_t(from), node.Children.begin() + std::ptrdiff_t(cut));
        if (!pieces->empty()) {
            TStatus st = m_store.Allocate(&piece.Page);
            if (!st.ok())
                return st;
        }
        pieces->push_back(std::move(piece));
        from = cut;
    }
    for (size_t i = 0; i < pieces->size(); ++i) {
        TCdxNode& p = (*pieces)[i];
        p.Left = i == 0 ? node.Left : (*pieces)[i - 1].Page;
        p.Right = i + 1 < pieces->size() ? (*pieces)[i + 1].Page : node.Right;
    }
    if (pieces->size() > 1 && node.Right != kCdxNone)
        return SetLeftOf(node.Right, pieces->back().Page);
    if (pieces->size() == 1)
        pieces->front() = node;
    return TStatus::Ok();
}

TStatus TCdxTree::GrowRoot(std::vector<TCdxNode>& pieces)
{
    TCdxNode root;
    root.Leaf = false;
    root.Root = true;
    for (TCdxNode& p : pieces) {
        p.Root = false;
        TStatus st = m_store.WriteNode(p, m_keyLength, m_fill);
        if (!st.ok())
            return st;
        root.Entries.push_back(p.Entries.back());
        root.Children.push_back(p.Page);
    }
    TStatus st = m_store.Allocate(&root.Page);
    if (!st.ok())
        return st;
    std::vector<TCdxNode> more;
    st = Split(root, &more);
    if (!st.ok())
        return st;
    if (more.size() > 1)
        return GrowRoot(more);
    st = m_store.WriteNode(root, m_keyLength, m_fill);
    return st.ok() ? m_store.SetTagRoot(m_header, root.Page) : st;
}

TStatus TCdxTree::ShrinkRoot(TCdxNode& root)
{
    TCdxNode top = root;
    while (!top.Leaf && top.Entries.size() == 1) {
        TCdxNodePtr child;
        TStatus st = m_store.Node(top.Children[0], m_keyLength, m_fill, &child);
        if (st.ok())
            st = m_store.Free(top.Page);
        if (!st.ok())
            return st;
        top = *child;
        top.Root = true;
        top.Left = top.Right = kCdxNone;
    }
    TStatus st = m_store.WriteNode(top, m_keyLength, m_fill);
    return st.ok() ? m_store.SetTagRoot(m_header, top.Page) : st;
}

TStatus TCdxTree::Unlink(const TCdxNode& node)
{
    TStatus st = node.Left == kCdxNone ? TStatus::Ok() : SetRightOf(node.Left, node.Right);
    if (st.ok() && node.Right != kCdxNone)
        st = SetLeftOf(node.Right, node.Left);
    return st;
}

TStatus TCdxTree::SetLeftOf(quint32 page, quint32 left)
{
    TCdxNodePtr node;
    TStatus st = m_store.Node(page, m_keyLength, m_fill, &node);
    if (!st.ok())
        return st;
    TCdxNode changed = *node;
    changed.Left = left;
    return m_store.WriteNode(changed, m_keyLength, m_fill);
}

TStatus TCdxTree::SetRightOf(quint32 page, quint32 right)
{
    TCdxNodePtr node;
    TStatus st = m_store.Node(page, m_keyLength, m_fill, &node);
    if (!st.ok())
        return st;
    TCdxNode changed = *node;
    changed.Right = right;
    return m_store.WriteNode(changed, m_keyLength, m_fill);
}

} // namespace xbase
