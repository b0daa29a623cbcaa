#pragma once

// xBase expressions over the records of a table: filters, index keys and tag conditions.
//
// An expression is compiled once against a table's record layout: field names are resolved to
// byte offsets, string literals are converted to the table's encoding, and every operator and
// function is type-checked. Evaluation then reads the record bytes in place.
//
// Rules that differ from the classic interpreter on purpose:
// - Character values compare as if the shorter one were padded with blanks, byte by byte
//   (machine order). So `=` is exact, trailing blanks aside: 'abc ' = 'abc', but the field
//   holding "30" does not equal '3' (no partial match on a prefix of the left operand). `==` is
//   the same test; `<>`, `#` and `!=` its negation; `<`, `>`, `<=`, `>=` follow the order of
//   blank-padded index keys. `a $ b` is true when a occurs in b (an empty a never does).
// - UPPER() and LOWER() change the case of non-ASCII letters too. In a single-byte code page a
//   letter whose other case the code page lacks stays as it is. In UTF-8 the result keeps the
//   byte width of its argument: a letter whose other case needs more bytes stays as it is, and
//   one that needs fewer is followed by blanks at the end, so index keys keep their width.
// - LEFT(), RIGHT(), SUBSTR(), AT(), RAT() and LEN() count bytes, the unit of field widths; in a
//   UTF-8 table a cut never splits a character (the character falls out whole).
// - An N or F field that does not spell a number (e.g. "*****") reads as 0, as a blank one does.
//
// Character values are bytes in the table's encoding (TRecordLayout::Encoding).
//
// Operators: + - * / (numbers; + and - also join texts and shift dates), = == <> # != < > <= >= $,
// .AND. .OR. .NOT. ! (case-insensitive), parentheses. Literals: 'text' "text" [text], 5 2.5 .5,
// .T. .F.. Functions (names case-insensitive, or cut to four letters or more when that is
// unambiguous): ABS ALLTRIM AT DELETED DTOS EMPTY IIF INT LEFT LEN LOWER LTRIM RAT RIGHT ROUND
// RTRIM STR SUBSTR TRIM UPPER VAL. A compiled expression holds no mutable state: several
// threads may evaluate it at once.

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
    // For 'C': the byte width of the result (fields padded to width), the greatest a value can
    // have; 0 when no bound is known before evaluation (the text of a memo field). 'N' and 'D'
    // give 8 (the width of their index keys), 'L' 1.
    int ResultWidth() const;
    bool IsTrue(const TRecordContext& ctx) const; // a logical result; anything else is false
    // A character result is padded with blanks to ResultWidth() (when that is not 0); a Date is
    // its Julian day number (0 for a blank date; a date-time field adds the time of day as a
    // fraction). A record shorter than the layout reads as if padded with blanks.
    TValue Evaluate(const TRecordContext& ctx) const;
    const QString& Text() const;

    // Indexes into TRecordLayout::Fields of every field the expression reads, ascending.
    const std::vector<int>& FieldsUsed() const;
    // Whether the expression reads a memo field (the context's Memo must then be set).
    bool ReadsMemo() const;
    // The field index when the whole expression is one field name (an index key that the
    // engine may store in the field's own key form, e.g. 4-byte integer keys), else -1.
    int SingleField() const;

    // The text as UPPER() would change it in a table of this encoding: for a search text that is
    // compared with UPPER(field), so that both follow one rule.
    static QString UpperText(const QString& text, TTextEncoding encoding);

private:
    TExpression();
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

} // namespace xbase
