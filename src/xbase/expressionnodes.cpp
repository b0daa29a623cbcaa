#include "xbase/expressionnodes.h"

#include "xbase/expressiontext.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>

namespace xbase::exprdetail {

char* TArena::Allocate(size_t size)
{
    if (size <= sizeof(Inline) - InlineUsed) {
        char* p = Inline + InlineUsed;
        InlineUsed += size;
        return p;
    }
    Blocks.push_back(std::make_unique<char[]>(std::max<size_t>(size, 1)));
    return Blocks.back().get();
}

const char* TypeName(TType type)
{
    switch (type) {
    case TType::Character:
        return "Character";
    case TType::Numeric:
        return "Numeric";
    case TType::Logical:
        return "Logical";
    case TType::Date:
        return "Date";
    }
    return "?";
}

int CombinedDepth(const std::vector<TNodePtr>& children)
{
    int depth = 0;
    for (const auto& child : children)
        depth = std::max(depth, child->Depth);
    return depth + 1;
}

int AddWidths(int a, int b)
{
    if (a == kUnbounded || b == kUnbounded)
        return kUnbounded;
    return int(std::min<long long>((long long)a + b, INT_MAX / 2));
}

int ComparePadded(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    if (common > 0) {
        const int c = std::memcmp(a.data(), b.data(), common);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    for (size_t i = common; i < a.size(); ++i)
        if (a[i] != ' ')
            return static_cast<unsigned char>(a[i]) < ' ' ? -1 : 1;
    for (size_t i = common; i < b.size(); ++i)
        if (b[i] != ' ')
            return static_cast<unsigned char>(b[i]) < ' ' ? 1 : -1;
    return 0;
}

bool IsBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

namespace {

template <typename T> T ReadLittleEndian(const char* p)
{
    std::make_unsigned_t<T> value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= std::make_unsigned_t<T>(static_cast<unsigned char>(p[i])) << (8 * i);
    return static_cast<T>(value);
}

// ---- leaves

struct TTextLiteral final : TNode {
    explicit TTextLiteral(QByteArray bytes)
        : TNode(TType::Character, int(bytes.size()))
        , Bytes(std::move(bytes))
    {
    }
    std::string_view Text(TEvalContext&) const override { return {Bytes.constData(), size_t(Bytes.size())}; }
    QByteArray Bytes;
};

struct TNumberLiteral final : TNode {
    explicit TNumberLiteral(double value)
        : TNode(TType::Numeric)
        , Value(value)
    {
    }
    double Number(TEvalContext&) const override { return Value; }
    std::optional<double> ConstantNumber() const override { return Value; }
    double Value;
};

struct TLogicalLiteral final : TNode {
    explicit TLogicalLiteral(bool value)
        : TNode(TType::Logical)
        , Value(value)
    {
    }
    bool Bool(TEvalContext&) const override { return Value; }
    bool Value;
};

struct TFieldNode : TNode {
    TFieldNode(TType type, const TFieldDef& field, int width)
        : TNode(type, width)
        , Offset(size_t(field.Offset))
        , FieldWidth(size_t(field.Width))
    {
    }
    const char* At(const TEvalContext& ctx) const { return ctx.Bytes.data() + Offset; }
    size_t Offset;
    size_t FieldWidth;
};

struct TCharField final : TFieldNode {
    explicit TCharField(const TFieldDef& f)
        : TFieldNode(TType::Character, f, f.Width)
    {
    }
    std::string_view Text(TEvalContext& ctx) const override { return {At(ctx), FieldWidth}; }
};

struct TNumberField final : TFieldNode {
    explicit TNumberField(const TFieldDef& f)
        : TFieldNode(TType::Numeric, f, 0)
    {
    }
    double Number(TEvalContext& ctx) const override { return ParseFieldNumber({At(ctx), FieldWidth}); }
};

struct TIntegerField final : TFieldNode {
    explicit TIntegerField(const TFieldDef& f)
        : TFieldNode(TType::Numeric, f, 0)
    {
    }
    double Number(TEvalContext& ctx) const override { return ReadLittleEndian<std::int32_t>(At(ctx)); }
};

struct TDoubleField final : TFieldNode {
    explicit TDoubleField(const TFieldDef& f)
        : TFieldNode(TType::Numeric, f, 0)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        return std::bit_cast<double>(ReadLittleEndian<std::uint64_t>(At(ctx)));
    }
};

struct TCurrencyField final : TFieldNode {
    explicit TCurrencyField(const TFieldDef& f)
        : TFieldNode(TType::Numeric, f, 0)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        return double(ReadLittleEndian<std::int64_t>(At(ctx))) / 10000.0;
    }
};

struct TDateField final : TFieldNode {
    explicit TDateField(const TFieldDef& f)
        : TFieldNode(TType::Date, f, 0)
    {
    }
    double Number(TEvalContext& ctx) const override { return ParseDate({At(ctx), FieldWidth}); }
};

// Julian day and milliseconds since midnight; blanks or zeros are a blank date-time.
struct TDateTimeField final : TFieldNode {
    explicit TDateTimeField(const TFieldDef& f)
        : TFieldNode(TType::Date, f, 0)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        const char* p = At(ctx);
        const std::int32_t day = ReadLittleEndian<std::int32_t>(p);
        const std::int32_t ms = ReadLittleEndian<std::int32_t>(p + 4);
        if (day <= 0 || IsBlank({p, 8}))
            return 0;
        return day + std::clamp(ms, 0, 86'400'000) / 86'400'000.0;
    }
};

struct TLogicalField final : TFieldNode {
    explicit TLogicalField(const TFieldDef& f)
        : TFieldNode(TType::Logical, f, 0)
    {
    }
    bool Bool(TEvalContext& ctx) const override
    {
        const char c = *At(ctx);
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
};

struct TMemoField final : TNode {
    TMemoField(int fieldIndex, TTextEncoding encoding)
        : TNode(TType::Character, kUnbounded)
        , FieldIndex(fieldIndex)
        , Encoding(encoding)
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        if (!ctx.Record.Memo)
            return {};
        const QByteArray bytes = EncodeLossy(ctx.Record.Memo(FieldIndex), Encoding);
        char* p = ctx.Arena.Allocate(size_t(bytes.size()));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        return {p, size_t(bytes.size())};
    }
    int FieldIndex;
    TTextEncoding Encoding;
};

// ---- comparisons

bool Decide(TCompareOp op, int order)
{
    switch (op) {
    case TCompareOp::Equal:
        return order == 0;
    case TCompareOp::NotEqual:
        return order != 0;
    case TCompareOp::Less:
        return order < 0;
    case TCompareOp::LessEqual:
        return order <= 0;
    case TCompareOp::Greater:
        return order > 0;
    case TCompareOp::GreaterEqual:
        return order >= 0;
    case TCompareOp::Contains:
        break;
    }
    return false;
}

bool DecideNumbers(TCompareOp op, double a, double b)
{
    switch (op) {
    case TCompareOp::Equal:
        return a == b;
    case TCompareOp::NotEqual:
        return a != b;
    case TCompareOp::Less:
        return a < b;
    case TCompareOp::LessEqual:
        return a <= b;
    case TCompareOp::Greater:
        return a > b;
    case TCompareOp::GreaterEqual:
        return a >= b;
    case TCompareOp::Contains:
        break;
    }
    return false;
}

TCompareOp Mirrored(TCompareOp op)
{
    switch (op) {
    case TCompareOp::Less:
        return TCompareOp::Greater;
    case TCompareOp::LessEqual:
        return TCompareOp::GreaterEqual;
    case TCompareOp::Greater:
        return TCompareOp::Less;
    case TCompareOp::GreaterEqual:
        return TCompareOp::LessEqual;
    default:
        return op;
    }
}

struct TBinary : TNode {
    TBinary(TType type, int width, TNodePtr&& left, TNodePtr&& right)
        : TNode(type, width)
        , Left(std::move(left))
        , Right(std::move(right))
    {
        Depth = std::max(Left->Depth, Right->Depth) + 1;
    }
    TNodePtr Left;
    TNodePtr Right;
};

// The filter of a choice answer, `ORV12="3"`: the field's bytes against the literal in place.
struct TCharFieldEquals final : TNode {
    TCharFieldEquals(const TCharField& field, std::string_view literal, bool negate)
        : TNode(TType::Logical)
        , Offset(field.Offset)
        , Width(field.FieldWidth)
        , Negate(negate)
    {
        while (!literal.empty() && literal.back() == ' ')
            literal.remove_suffix(1);
        Literal.assign(literal);
    }
    bool Bool(TEvalContext& ctx) const override
    {
        if (Literal.size() > Width)
            return Negate;
        const char* p = ctx.Bytes.data() + Offset;
        const bool equal = std::memcmp(p, Literal.data(), Literal.size()) == 0
            && IsBlank({p + Literal.size(), Width - Literal.size()});
        return equal != Negate;
    }
    size_t Offset;
    size_t Width;
    bool Negate;
    std::string Literal;
};

// The filter of a numeric answer, `ORV30>5`.
struct TNumberFieldCompare final : TNode {
    TNumberFieldCompare(TCompareOp op, const TNumberField& field, double constant)
        : TNode(TType::Logical)
        , Op(op)
        , Offset(field.Offset)
        , Width(field.FieldWidth)
        , Constant(constant)
    {
    }
    bool Bool(TEvalContext& ctx) const override
    {
        return DecideNumbers(Op, ParseFieldNumber({ctx.Bytes.data() + Offset, Width}), Constant);
    }
    TCompareOp Op;
    size_t Offset;
    size_t Width;
    double Constant;
};

struct TTextCompare final : TBinary {
    TTextCompare(TCompareOp op, TNodePtr l, TNodePtr r)
        : TBinary(TType::Logical, 0, std::move(l), std::move(r))
        , Op(op)
    {
    }
    bool Bool(TEvalContext& ctx) const override
    {
        const std::string_view a = Left->Text(ctx);
        const std::string_view b = Right->Text(ctx);
        if (Op == TCompareOp::Contains)
            return !a.empty() && b.find(a) != std::string_view::npos;
        return Decide(Op, ComparePadded(a, b));
    }
    TCompareOp Op;
};

struct TNumberCompare final : TBinary {
    TNumberCompare(TCompareOp op, TNodePtr l, TNodePtr r)
        : TBinary(TType::Logical, 0, std::move(l), std::move(r))
        , Op(op)
    {
    }
    bool Bool(TEvalContext& ctx) const override
    {
        return DecideNumbers(Op, Left->Number(ctx), Right->Number(ctx));
    }
    TCompareOp Op;
};

struct TLogicalCompare final : TBinary {
    TLogicalCompare(TCompareOp op, TNodePtr l, TNodePtr r)
        : TBinary(TType::Logical, 0, std::move(l), std::move(r))
        , Op(op)
    {
    }
    bool Bool(TEvalContext& ctx) const override
    {
        return (Left->Bool(ctx) == Right->Bool(ctx)) == (Op == TCompareOp::Equal);
    }
    TCompareOp Op;
};

// ---- arithmetic and logic

struct TNumberArithmetic final : TBinary {
    TNumberArithmetic(TType type, char op, TNodePtr l, TNodePtr r)
        : TBinary(type, 0, std::move(l), std::move(r))
        , Op(op)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        const double a = Left->Number(ctx);
        const double b = Right->Number(ctx);
        switch (Op) {
        case '+':
            return a + b;
        case '-':
            return a - b;
        case '*':
            return a * b;
        default:
            return a / b;
        }
    }
    char Op;
};

// Date plus or minus days; a blank date stays blank.
struct TDateShift final : TBinary {
    TDateShift(bool subtract, TNodePtr l, TNodePtr r)
        : TBinary(TType::Date, 0, std::move(l), std::move(r))
        , Subtract(subtract)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        const bool leftIsDate = Left->Type == TType::Date;
        const double date = leftIsDate ? Left->Number(ctx) : Right->Number(ctx);
        const double days = leftIsDate ? Right->Number(ctx) : Left->Number(ctx);
        if (date == 0)
            return 0;
        return Subtract ? date - days : date + days;
    }
    bool Subtract;
};

// `a + b` joins the texts as they are; `a - b` moves the trailing blanks of a behind b.
struct TConcat final : TBinary {
    TConcat(bool moveBlanks, TNodePtr l, TNodePtr r)
        : TBinary(TType::Character, AddWidths(l->Width, r->Width), std::move(l), std::move(r))
        , MoveBlanks(moveBlanks)
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        std::string_view a = Left->Text(ctx);
        const std::string_view b = Right->Text(ctx);
        const size_t total = a.size() + b.size();
        char* out = ctx.Arena.Allocate(total);
        size_t blanks = 0;
        if (MoveBlanks)
            while (!a.empty() && a.back() == ' ') {
                a.remove_suffix(1);
                ++blanks;
            }
        if (!a.empty())
            std::memcpy(out, a.data(), a.size());
        if (!b.empty())
            std::memcpy(out + a.size(), b.data(), b.size());
        std::memset(out + a.size() + b.size(), ' ', blanks);
        return {out, total};
    }
    bool MoveBlanks;
};

struct TNegate final : TNode {
    explicit TNegate(TNodePtr operand)
        : TNode(TType::Numeric)
        , Operand(std::move(operand))
    {
        Depth = Operand->Depth + 1;
    }
    double Number(TEvalContext& ctx) const override { return -Operand->Number(ctx); }
    TNodePtr Operand;
};

struct TNot final : TNode {
    explicit TNot(TNodePtr operand)
        : TNode(TType::Logical)
        , Operand(std::move(operand))
    {
        Depth = Operand->Depth + 1;
    }
    bool Bool(TEvalContext& ctx) const override { return !Operand->Bool(ctx); }
    TNodePtr Operand;
};

// Conditions joined by .AND. (or .OR.) are one node, so that a long joined filter stays shallow.
struct TLogicalChain final : TNode {
    TLogicalChain(bool isAnd, std::vector<TNodePtr> operands)
        : TNode(TType::Logical)
        , IsAnd(isAnd)
        , Operands(std::move(operands))
    {
        Depth = CombinedDepth(Operands);
    }
    bool Bool(TEvalContext& ctx) const override
    {
        for (const auto& operand : Operands)
            if (operand->Bool(ctx) != IsAnd)
                return !IsAnd;
        return IsAnd;
    }
    bool IsAnd;
    std::vector<TNodePtr> Operands;
};

} // namespace

TNodePtr MakeTextLiteral(QByteArray bytes)
{
    return std::make_unique<TTextLiteral>(std::move(bytes));
}

TNodePtr MakeNumberLiteral(double value)
{
    return std::make_unique<TNumberLiteral>(value);
}

TNodePtr MakeLogicalLiteral(bool value)
{
    return std::make_unique<TLogicalLiteral>(value);
}

std::optional<TType> FieldType(const TFieldDef& field)
{
    switch (field.Type) {
    case 'N':
    case 'F':
        return TType::Numeric;
    case 'I':
        return field.Width == 4 ? std::optional(TType::Numeric) : std::nullopt;
    case 'B':
    case 'Y':
        return field.Width == 8 ? std::optional(TType::Numeric) : std::nullopt;
    case 'D':
    case 'T':
        return field.Width == 8 ? std::optional(TType::Date) : std::nullopt;
    case 'L':
        return field.Width >= 1 ? std::optional(TType::Logical) : std::nullopt;
    default:
        return TType::Character; // C, M, and the opaque kinds as their bytes
    }
}

TNodePtr MakeField(const TFieldDef& field, int fieldIndex, TTextEncoding encoding)
{
    switch (field.Type) {
    case 'N':
    case 'F':
        return std::make_unique<TNumberField>(field);
    case 'I':
        return std::make_unique<TIntegerField>(field);
    case 'B':
        return std::make_unique<TDoubleField>(field);
    case 'Y':
        return std::make_unique<TCurrencyField>(field);
    case 'D':
        return std::make_unique<TDateField>(field);
    case 'T':
        return std::make_unique<TDateTimeField>(field);
    case 'L':
        return std::make_unique<TLogicalField>(field);
    case 'M':
        return std::make_unique<TMemoField>(fieldIndex, encoding);
    default:
        return std::make_unique<TCharField>(field);
    }
}

bool CanCompare(TCompareOp op, TType left, TType right)
{
    if (left != right)
        return false;
    if (op == TCompareOp::Contains)
        return left == TType::Character;
    if (left == TType::Logical)
        return op == TCompareOp::Equal || op == TCompareOp::NotEqual;
    return true;
}

TNodePtr MakeCompare(TCompareOp op, TNodePtr left, TNodePtr right)
{
    if (op != TCompareOp::Contains && dynamic_cast<const TCharField*>(right.get())) {
        std::swap(left, right);
        op = Mirrored(op);
    }
    if (op != TCompareOp::Contains && dynamic_cast<const TNumberField*>(right.get())
        && right->ConstantNumber() == std::nullopt && left->ConstantNumber()) {
        std::swap(left, right);
        op = Mirrored(op);
    }
    const auto* charField = dynamic_cast<const TCharField*>(left.get());
    const auto* literal = dynamic_cast<const TTextLiteral*>(right.get());
    if (charField && literal && (op == TCompareOp::Equal || op == TCompareOp::NotEqual))
        return std::make_unique<TCharFieldEquals>(*charField,
            std::string_view(literal->Bytes.constData(), size_t(literal->Bytes.size())),
            op == TCompareOp::NotEqual);
    const auto* numberField = dynamic_cast<const TNumberField*>(left.get());
    if (numberField && right->ConstantNumber())
        return std::make_unique<TNumberFieldCompare>(op, *numberField, *right->ConstantNumber());
    switch (left->Type) {
    case TType::Character:
        return std::make_unique<TTextCompare>(op, std::move(left), std::move(right));
    case TType::Logical:
        return std::make_unique<TLogicalCompare>(op, std::move(left), std::move(right));
    default:
        return std::make_unique<TNumberCompare>(op, std::move(left), std::move(right));
    }
}

std::optional<TType> ArithmeticType(char op, TType left, TType right)
{
    const bool plusOrMinus = op == '+' || op == '-';
    if (left == TType::Numeric && right == TType::Numeric)
        return TType::Numeric;
    if (plusOrMinus && left == TType::Character && right == TType::Character)
        return TType::Character;
    if (plusOrMinus && left == TType::Date && right == TType::Numeric)
        return TType::Date;
    if (op == '+' && left == TType::Numeric && right == TType::Date)
        return TType::Date;
    if (op == '-' && left == TType::Date && right == TType::Date)
        return TType::Numeric;
    return std::nullopt;
}

TNodePtr MakeArithmetic(char op, TNodePtr left, TNodePtr right)
{
    const TType type = *ArithmeticType(op, left->Type, right->Type);
    if (type == TType::Character)
        return std::make_unique<TConcat>(op == '-', std::move(left), std::move(right));
    if (type == TType::Date)
        return std::make_unique<TDateShift>(op == '-', std::move(left), std::move(right));
    if (left->ConstantNumber() && right->ConstantNumber()) { // fold: `-9999 + 1`, `2 * 3`
        TArena arena;
        TRecordContext none;
        TEvalContext ctx{none, {}, arena};
        return MakeNumberLiteral(TNumberArithmetic(type, op, std::move(left), std::move(right)).Number(ctx));
    }
    return std::make_unique<TNumberArithmetic>(type, op, std::move(left), std::move(right));
}

TNodePtr MakeNegate(TNodePtr operand)
{
    if (const auto value = operand->ConstantNumber())
        return MakeNumberLiteral(-*value);
    return std::make_unique<TNegate>(std::move(operand));
}

TNodePtr MakeNot(TNodePtr operand)
{
    return std::make_unique<TNot>(std::move(operand));
}

TNodePtr MakeLogicalChain(bool isAnd, std::vector<TNodePtr> operands)
{
    if (operands.size() == 1)
        return std::move(operands.front());
    return std::make_unique<TLogicalChain>(isAnd, std::move(operands));
}

} // namespace xbase::exprdetail
