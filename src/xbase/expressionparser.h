#pragma once

// Lexer and recursive-descent parser of xBase expressions. Internal to the compiler.

#include "xbase/expressionnodes.h"

#include <optional>

namespace xbase::exprdetail {

// Longest expression text accepted, in characters; far above any key or joined filter.
constexpr int kMaxTextLength = 1 << 20;
// Parentheses and function calls nested deeper than this are refused.
constexpr int kMaxNesting = 200;
// A tree deeper than this is refused (long chains of + or prefix operators), so that evaluating
// and freeing it never exhausts the stack.
constexpr int kMaxDepth = 500;

struct TParsed {
    TNodePtr Root;
    std::vector<int> Fields; // indexes into the layout, ascending, each once
    bool ReadsMemo = false;
    int SingleField = -1; // the field when the whole expression is one field name
};

std::optional<TParsed> Parse(const QString& text, const TRecordLayout& layout, QString* error);

} // namespace xbase::exprdetail
