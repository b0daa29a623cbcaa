#pragma once

// One tag's B+tree, worked on page by page through the store: seeks and steps walk from the
// root and along the leaves' sibling chain; inserts and removals change the leaf in place,
// split a node that overflows, merge a node that shrinks into a neighbour under the same
// parent, carry each node's new last key up to its parents, and grow or shrink the tree at the
// root. A commit of k keys therefore writes O(k log n) pages.

#include "xbase/cdxstore.h"

#include <functional>

namespace xbase {

// A position in a tag: an entry of a leaf, or nowhere (before the first or after the last).
struct TCdxCursor {
    TCdxNodePtr Leaf;
    int Index = 0;
    bool Valid() const { return Leaf && Index >= 0 && Index < int(Leaf->Entries.size()); }
    const TCdxEntry& Entry() const { return Leaf->Entries[size_t(Index)]; }
};

class TCdxTree {
public:
    TCdxTree(TCdxStore& store, quint32 headerOffset, int keyLength, char fill);

    // The first entry not below (key, recno). A key shorter than the key length is a prefix:
    // the first entry whose key begins with it or is greater (recno is then ignored).
    TStatus Seek(const std::string& key, quint32 recno, TCdxCursor* cursor);
    // Like Seek, without a cursor and without decoding a leaf that is not cached: the first
    // entry not below (key, recno) when it lies in the leaf the search ends in (`known` is
    // false otherwise, and the caller seeks).
    TStatus Probe(const std::string& key, quint32 recno, TCdxEntry* entry, bool* known);
    TStatus First(TCdxCursor* cursor);
    TStatus Last(TCdxCursor* cursor);
    TStatus Next(TCdxCursor* cursor);
    TStatus Prev(TCdxCursor* cursor);
    TStatus Contains(const TCdxEntry& entry, bool* found);

    TStatus Insert(const TCdxEntry& entry);
    TStatus Remove(const TCdxEntry& entry, bool* found = nullptr);

    // Every entry in order (at most `limit`: a guard against damaged sibling chains).
    TStatus All(std::vector<TCdxEntry>* entries, size_t limit);
    // The same handed to `take` one by one, the leaves decoded without being cached: a walk
    // over every leaf would only push the cache's other nodes out.
    TStatus Walk(const std::function<void(const TCdxEntry&)>& take, size_t limit);

private:
    TStatus Settle(TCdxCursor* cursor, bool forward);
    struct TLevel {
        TCdxNode node;
        size_t index = 0; // of this node in its parent
        bool changed = false;
        bool shrunk = false;
    };
    TStatus Root(quint32* root);
    // The leaf a search for (key, recno) ends in: `node` when it is cached decoded, else `raw`.
    TStatus FindLeaf(
        const std::string& key, quint32 recno, quint32* page, const TCdxNode** node, const char** raw);
    TStatus Descend(const std::string& key, quint32 recno, bool toLast, std::vector<TLevel>* path);
    TStatus Edge(bool last, TCdxCursor* cursor);
    TStatus Fix(std::vector<TLevel>& path);
    TStatus FixLevel(std::vector<TLevel>& path, size_t level);
    TStatus Merge(std::vector<TLevel>& path, size_t level);
    TStatus Lend(std::vector<TLevel>& path, size_t level);
    TStatus Split(TCdxNode& node, std::vector<TCdxNode>* pieces);
    TStatus Unlink(const TCdxNode& node);
    TStatus SetLeftOf(quint32 page, quint32 left);
    TStatus SetRightOf(quint32 page, quint32 right);
    TStatus GrowRoot(std::vector<TCdxNode>& pieces);
    TStatus ShrinkRoot(TCdxNode& root);
    bool Fits(const TCdxNode& node) const;
    bool Less(const TCdxEntry& entry, const std::string& key, quint32 recno) const;

    TCdxStore& m_store;
    quint32 m_header;
    int m_keyLength;
    char m_fill;
};

} // namespace xbase
