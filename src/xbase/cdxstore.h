#pragma once

// The pages of an open compound index file: nodes are read on demand and kept, decoded, in a
// cache of bounded size; writes go to the file (held back by a journalled file during a commit)
// and into the cache. Free pages are chained through their first four bytes from the file
// header's free-list field, as other engines do. Beside the decoded nodes the store keeps the raw
// bytes of recently read pages (a second bounded cache, so that a node dropped from the first is
// decoded again without a read of the file) and each tag's root, so that a seek whose pages are
// cached reads nothing from the file.

#include "xbase/cdxfile.h"
#include "xbase/cdxnode.h"
#include "xbase/filesystem.h"

#include <array>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace xbase {

using TCdxNodePtr = std::shared_ptr<const TCdxNode>;

class TCdxStore {
public:
    static constexpr size_t DefaultCacheBytes = 4 << 20;
    // Raw pages are searched without decoding (interior nodes, probes of leaves), so they get
    // this many times the decoded nodes' share.
    static constexpr size_t kRawShare = 4;

    explicit TCdxStore(TFile* file, size_t cacheBytes = DefaultCacheBytes);

    TFile& File() { return *m_file; }
    qint64 FileSize() { return m_file->Size(); }

    // A node of a tag with the given key length and trailing fill, checked as it is decoded.
    TStatus Node(quint32 page, int keyLength, char fill, TCdxNodePtr* node);
    // The same without a share of the node: valid until the store is next used.
    TStatus PeekNode(quint32 page, int keyLength, char fill, const TCdxNode** node);
    // The node if it is cached decoded, else null; nothing is read.
    const TCdxNode* CachedNode(quint32 page);
    // The raw bytes of a page, read into the raw cache when missing: valid until the store is
    // next used.
    TStatus RawPage(quint32 page, const char** bytes);
    // Decodes a node into `node` without keeping it: a walk over every leaf would only push
    // the cache's other nodes out. `node` may be reused from walk to walk.
    TStatus DecodeUncached(quint32 page, int keyLength, char fill, TCdxNode* node);
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
        size_t bytes = 0;
    };
    struct TRawPage {
        std::array<char, 512> bytes;
        std::list<quint32>::iterator use;
    };
    void Remember(quint32 page, TCdxNodePtr node);
    void Forget(quint32 page);
    void RememberRaw(quint32 page, const char* bytes);
    // Keeps the raw pages and tag roots in step with a write of `length` bytes at `offset`.
    void Written(qint64 offset, const char* data, qint64 length);
    TStatus WriteBytes(qint64 offset, const char* data, qint64 length);
    TStatus CheckPage(quint32 page);

    TFile* m_file;
    size_t m_limit;
    size_t m_bytes = 0;
    std::list<quint32> m_uses; // most recent first
    std::unordered_map<quint32, TSlot> m_nodes;
    std::list<quint32> m_rawUses; // most recent first
    std::unordered_map<quint32, TRawPage> m_raw;
    std::unordered_map<quint32, quint32> m_roots; // tag header offset -> root page
};

} // namespace xbase
