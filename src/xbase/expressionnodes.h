#pragma once

// The compiled form of an expression: a tree of typed nodes, built and type-checked by the
// parser, evaluated in place on the record bytes. Internal to the compiler.

#include "xbase/recordlayout.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace xbase::exprdetail {

// Scratch memory of one evaluation: text results that are not bytes of the record or of a
// literal live here until the evaluation ends. The first kilobyte is on the caller's stack, so
// the common filters and keys never allocate.
class TArena {
public:
    TArena() = default;
    TArena(const TArena&) = delete;
    TArena& operator=(const TArena&) = delete;
    char* Allocate(size_t size);

private:
    char Inline[1024];
    size_t InlineUsed = 0;
    std::vector<std::unique_ptr<char[]>> Blocks;
};

struct TEvalContext {
    const TRecordContext& Record;
    std::string_view Bytes; // the record, at least the layout's record length
    TArena& Arena;
};

enum class TType : char { Character = 'C', Numeric = 'N', Logical = 'L', Date = 'D' };

const char* TypeName(TType type);

// Width of a character result that has no bound known before evaluation (memo text).
constexpr int kUnbounded = -1;

struct TNode {
    explicit TNode(TType type, int width = 0)
        : Type(type)
        , Width(width)
    {
    }
    virtual ~TNode() = default;
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    // One of these is called, by Type: Logical → Bool; Numeric and Date → Number (a Date is its
    // Julian day number, 0 when blank); Character → Text (valid until the evaluation ends).
    virtual bool Bool(TEvalContext&) const { return false; }
    virtual double Number(TEvalContext&) const { return 0; }
    virtual std::string_view Text(TEvalContext&) const { return {}; }

    // The value of a numeric literal, so that functions can size their results at compile time.
    virtual std::optional<double> ConstantNumber() const { return std::nullopt; }

    TType Type;
    int Width; // Character: greatest byte length of the value, or kUnbounded
    int Depth = 1; // levels of the tree below and including this node
};

using TNodePtr = std::unique_ptr<TNode>;

int CombinedDepth(const std::vector<TNodePtr>& children);
int AddWidths(int a, int b);

// Leaves.
TNodePtr MakeTextLiteral(QByteArray bytes);
TNodePtr MakeNumberLiteral(double value);
TNodePtr MakeLogicalLiteral(bool value);
TNodePtr MakeField(const TFieldDef& field, int fieldIndex, TTextEncoding encoding);
// The type a field reads as, and whether the compiler can read it at all.
std::optional<TType> FieldType(const TFieldDef& field);

// Operators; the parser has checked the operand types.
enum class TCompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains };
TNodePtr MakeCompare(TCompareOp op, TNodePtr left, TNodePtr right);
TNodePtr MakeArithmetic(char op, TNodePtr left, TNodePtr right); // + - * /
TNodePtr MakeNegate(TNodePtr operand);
TNodePtr MakeNot(TNodePtr operand);
TNodePtr MakeLogicalChain(bool isAnd, std::vector<TNodePtr> operands);

// The type of `left op right`, or nullopt when the operator does not apply to those types.
std::optional<TType> ArithmeticType(char op, TType left, TType right);
bool CanCompare(TCompareOp op, TType left, TType right);

// Functions. FindFunction resolves a name (case-insensitive, or a unique abbreviation of at
// least four letters) to an entry of the function table; BuildFunction checks the arguments.
struct TFunctionSpec;
const TFunctionSpec* FindFunction(const QString& name);
TNodePtr BuildFunction(const TFunctionSpec& fn, std::vector<TNodePtr> args,
    const std::vector<int>& argColumns, int column, TTextEncoding encoding, QString* error);

// Blank-padded byte comparison: the shorter operand compares as if padded with blanks.
int ComparePadded(std::string_view a, std::string_view b);
bool IsBlank(std::string_view text); // only blanks (or nothing)

} // namespace xbase::exprdetail
