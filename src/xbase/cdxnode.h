#pragma once

// One 512-byte node of a compact index tree, decoded: a leaf holds (key, record) entries, an
// interior node holds for each child the last (key, record) of the child's subtree. Decoding
// checks every rule a node must keep, because the bytes come from a file anyone may have
// written; encoding writes the same layout the whole-file writer uses.

#include "xbase/cdxfile.h"

#include <QString>

#include <vector>

namespace xbase {

constexpr int kCdxPage = 512;
constexpr quint32 kCdxNone = 0xFFFFFFFFu;

struct TCdxNode {
    quint32 Page = 0;
    bool Leaf = true;
    bool Root = false;
    quint32 Left = kCdxNone, Right = kCdxNone;
    std::vector<TCdxEntry> Entries; // ascending
    std::vector<quint32> Children; // interior nodes: the child of each entry

    size_t Bytes() const; // roughly what the node takes in memory
};

// Decodes the node at `page` from its 512 bytes; false with `error` set when a rule is broken.
bool DecodeCdxNode(const char* bytes, quint32 page, int keyLength, char fill, TCdxNode* node, QString* error);

// Whether the 512 bytes of a node are a leaf's.
inline bool CdxIsLeaf(const char* bytes)
{
    return bytes[0] & 2;
}
// One step of a search down an interior node's raw bytes, without decoding it: the child of the
// first entry not below (key, recno), or of the last entry. A key shorter than the key length is
// a prefix (recno is then ignored). False with `error` set when the entry count or the child
// pointer breaks a rule.
bool CdxInteriorChild(const char* bytes, quint32 page, int keyLength, const std::string& key, quint32 recno,
    quint32* child, QString* error);

// In the leaf `bytes`, the first entry not below (key, recno) by the same comparison, read
// without decoding the whole leaf; `found` is false when every entry is below. False with `error`
// set when a rule is broken on the way.
bool CdxLeafLowerBound(const char* bytes, quint32 page, int keyLength, char fill, const std::string& key,
    quint32 recno, TCdxEntry* entry, bool* found, QString* error);

// Whether the entries fit one node of the given kind.
bool CdxLeafFits(const std::vector<TCdxEntry>& entries, int keyLength, char fill);
int CdxInteriorCapacity(int keyLength);
// Bytes of a leaf's key area the entries take (at most 488 when they fit).
int CdxLeafBytes(const std::vector<TCdxEntry>& entries, int keyLength, char fill);
// Where to cut entries too many for one leaf: the first index of every piece after the first.
// `packLeft` fills the left pieces (keys arriving in ascending order); otherwise two pieces get
// about half each.
std::vector<size_t> CdxLeafCuts(
    const std::vector<TCdxEntry>& entries, int keyLength, char fill, bool packLeft);

// Writes the node into `out` (512 bytes); the node must fit.
void EncodeCdxNode(const TCdxNode& node, int keyLength, char fill, char* out);

// Little helpers of the file's integer layout.
quint32 CdxLe32(const char* p);
quint16 CdxLe16(const char* p);
quint32 CdxBe32(const char* p);
void CdxPutLe32(char* p, quint32 v);
void CdxPutLe16(char* p, quint16 v);
void CdxPutBe32(char* p, quint32 v);

} // namespace xbase
