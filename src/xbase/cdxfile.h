#pragma once

// The compound index file (.cdx): a tag directory and one compact B+tree per tag, in 512-byte
// pages. This file reads and checks a whole CDX and builds a whole new one; the table reads and
// changes it page by page (cdxstore.h, cdxtree.h).

#include "xbase/status.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace xbase {

struct TCdxEntry {
    std::string key; // exactly the tag's key length
    quint32 recno = 0;

    friend bool operator<(const TCdxEntry& a, const TCdxEntry& b)
    {
        const int c = a.key.compare(b.key); // std::string compares as unsigned bytes
        return c < 0 || (c == 0 && a.recno < b.recno);
    }
    friend bool operator==(const TCdxEntry& a, const TCdxEntry& b)
    {
        return a.recno == b.recno && a.key == b.key;
    }
};

struct TCdxTagHeader {
    QString Name;
    QString KeyExpression;
    QString ForExpression;
    int KeyLength = 0;
    quint8 Options = 0x60;
    bool Descending = false;
    bool Unique() const { return Options & 0x01; }
    bool Collated = false; // a collation other than MACHINE: keys are weights we cannot make
    quint32 HeaderOffset = 0;
    quint32 RootOffset = 0;
};

constexpr int kCdxMaxKeyLength = 240;

// Reads the fields of a tag header (1024 bytes at `header`) into `tag`; its name and header
// offset are the caller's.
TStatus ParseCdxTagHeader(const char* header, TCdxTagHeader* tag);
// Reads the tag directory and every tag header.
TStatus ReadCdxTags(const QByteArray& file, std::vector<TCdxTagHeader>* tags);
// Reads every entry of a tag in stored (ascending) order. `fill` is the byte trailing
// compression removed: a blank for character keys, 0 for numeric, date and integer keys.
// `strict` also demands what our own writer guarantees (interior keys equal to the last key
// of their child, consistent sibling chains, ascending order).
TStatus ReadCdxEntries(const QByteArray& file, const TCdxTagHeader& tag, char fill,
    std::vector<TCdxEntry>* entries, bool strict = false);

class TCdxKeyList;

struct TCdxTagData {
    TCdxTagHeader Header;
    char Fill = ' ';
    const std::vector<TCdxEntry>* Entries = nullptr; // sorted ascending
    // Instead of Entries: sorted lists of keys, merged as the tag is written.
    std::vector<const TCdxKeyList*> Runs;
};
// Builds a complete index file; `changeCounter` goes to the file header.
QByteArray BuildCdx(const std::vector<TCdxTagData>& tags, quint32 changeCounter);
quint32 CdxChangeCounter(const QByteArray& file);

// Key encodings shared by the writer and the seeks.
std::string NumericKey(double value); // 8 bytes, byte order = numeric order
std::string IntegerKey(qint32 value); // 4 bytes

} // namespace xbase
