#pragma once

// The pages of an open compound index file: nodes are read on demand and kept, decoded, in a
// cache of bounded size; writes go to the file (held back by a journalled file during a commit)
// and into the cache. Free pages are chained through their first four bytes from the file
// header's free-list field, as other engines do.

#include "xbase/cdxfile.h"
#include "xbase/cdxnode.h"
#include "xbase/filesystem.h"

#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace xbase {

using TCdxNodePtr = std::shared_ptr<const TCdxNode>;

class TCdxStore {
public:
    static constexpr size_t DefaultCacheBytes = 4 << 20;

    explicit TCdxStore(TFile* file, size_t cacheBytes = DefaultCacheBytes);

    TFile& File() { return *m_file; }
    qint64 FileSize() { return m_file->Size(); }

    // A node of a tag with the given key length and trailing fill, checked as it is decoded.
    TStatus Node(quint32 page, int keyLength, char fill, TCdxNodePtr* node);
    TStatus WriteNode(const TCdxNode& node, int keyLength, char fill);
    void ClearCache();
    size_t CachedBytes() const { return m_bytes; }

    // Raw 512-byte pages: the file header and tag headers.
    TStatus ReadPage(quint32 page, char* out);
    TStatus WritePage(quint32 page, const char* data);

    TStatus Allocate(quint32* page); // from the free list, or a new page at the end
    TStatus Free(quint32 page);

    // The change counter in the file header (big-endian, as other engines read it).
    TStatus ReadCounter(quint32* counter);
    TStatus WriteCounter(quint32 counter);

    // The tag directory and every tag header, without reading any tag's keys.
    TStatus ReadTags(std::vector<TCdxTagHeader>* tags);
    TStatus TagRoot(quint32 headerOffset, quint32* root);
    TStatus SetTagRoot(quint32 headerOffset, quint32 root);

private:
    struct TSlot {
        TCdxNodePtr node;
        std::list<quint32>::iterator use;
    };
    void Remember(quint32 page, TCdxNodePtr node);
    TStatus CheckPage(quint32 page);

    TFile* m_file;
    size_t m_limit;
    size_t m_bytes = 0;
    std::list<quint32> m_uses; // most recent first
    std::unordered_map<quint32, TSlot> m_nodes;
};

} // namespace xbase
