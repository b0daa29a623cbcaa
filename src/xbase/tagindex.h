#pragma once

// One tag of a table's structural index: its definition and its compiled key and FOR
// expressions. Its entries stay in the index file (cdxtree.h).

#include "xbase/cdxfile.h"
#include "xbase/expression.h"
#include "xbase/recordlayout.h"

#include <memory>
#include <string>
#include <vector>

namespace xbase {

class TTag {
public:
    TCdxTagHeader Header;
    char KeyType = 'C'; // 'C', 'N' (numbers and dates as 8-byte doubles), 'I', 'L'
    char Fill = ' ';
    std::unique_ptr<TExpression> Key;
    std::unique_ptr<TExpression> For;
    QString CompileError; // why the tag cannot be computed from a record
    int DirectField = -1; // the key is this character field's bytes as they are
    int DirectOffset = 0;

    // Compiles the expressions of `header` against the layout. A tag read from a file whose
    // expressions we cannot evaluate is still usable as stored (Evaluable() false).
    static std::unique_ptr<TTag> FromHeader(const TCdxTagHeader& header, const TRecordLayout& layout);
    // A new tag: the expressions must compile and the key must fit.
    static std::unique_ptr<TTag> Define(const QString& name, const QString& key, const QString& forCondition,
        bool descending, const TRecordLayout& layout, QString* error);

    bool Evaluable() const { return Key != nullptr && (Header.ForExpression.isEmpty() || For != nullptr); }
    // The key of a record, or false when the FOR condition leaves it out.
    bool KeyOf(const TRecordContext& ctx, std::string* key) const;
    // The key the record would have, FOR condition or not.
    void RawKeyOf(const TRecordContext& ctx, std::string* key) const;
    // The search key for a seek text (see TTable::Seek); `exact` tells whether the whole key
    // must match. False when the text cannot be a key of this tag.
    bool SearchKey(const QString& text, TTextEncoding encoding, std::string* key, bool* exact) const;
};

// Sorts entries and, for a UNIQUE tag, keeps only the lowest record number of each key.
void SortTagEntries(std::vector<TCdxEntry>* entries, bool unique);

} // namespace xbase
