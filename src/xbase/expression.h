#pragma once

// xBase expressions over the records of a table: filters, index keys and tag conditions.
//
// An expression is compiled once against a table's record layout: field names are resolved to
// byte offsets, string literals are converted to the table's encoding, and every operator and
// function is type-checked. Evaluation then reads the record bytes in place.
//
// Rules that differ from the classic interpreter on purpose:
// - `=` between character values is exact, trailing blanks aside: 'abc ' = 'abc', but the field
//   holding "30" does not equal '3' (no partial match on the left operand's prefix). `==` is the
//   same test. `<`, `>`, `<=`, `>=` compare the bytes (machine order) after trailing blanks are
//   dropped from both sides, so 'ab' < 'ab!' and 'ab ' = 'ab'.
// - UPPER() and LOWER() change the case of non-ASCII letters too. For a UTF-8 table the result
//   keeps the byte width of its argument: a letter whose other case needs more bytes is left as it
//   is, and one that needs fewer is padded with blanks at the end, so index keys keep their width.
//
// Character values are bytes in the table's encoding (TRecordLayout::Encoding).

#include "xbase/recordlayout.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace xbase {

struct TValue {
    enum class Kind { Character, Numeric, Logical, Date } kind = Kind::Logical;
    QByteArray text; // Character: bytes in the table's encoding
    double number = 0; // Numeric; Date: Julian day number (0 for a blank date)
    bool logical = false;
};

namespace exprdetail {
struct TNode;
}

class TExpression {
public:
    ~TExpression();
    TExpression(const TExpression&) = delete;
    TExpression& operator=(const TExpression&) = delete;

    // Parses and resolves field names against the layout once. nullptr and a clear message
    // (naming what is wrong and the column where it was found) on error.
    static std::unique_ptr<TExpression> Compile(
        const QString& text, const TRecordLayout& layout, QString* error);

    // Whether the text compiles against the layout; the message as with Compile.
    static bool Validate(const QString& text, const TRecordLayout& layout, QString* error);

    char ResultType() const; // 'C', 'N', 'L' or 'D'
    int ResultWidth() const; // for 'C': byte width of the result (fields padded to width)
    bool IsTrue(const TRecordContext& ctx) const; // a logical result; anything else is false
    TValue Evaluate(const TRecordContext& ctx) const;
    const QString& Text() const;

    // Indexes into TRecordLayout::Fields of every field the expression reads, ascending.
    const std::vector<int>& FieldsUsed() const;
    // Whether the expression reads a memo field (the context's Memo must then be set).
    bool ReadsMemo() const;

private:
    TExpression();
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

} // namespace xbase
