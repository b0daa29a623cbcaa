// The functions an expression may call: their argument rules, result widths and evaluation.

#include "xbase/expressionnodes.h"
#include "xbase/expressiontext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xbase::exprdetail {

namespace {

// A count or position argument as a byte count: truncated toward zero, at most `limit`.
size_t ToCount(double value, size_t limit)
{
    if (!(value > 0))
        return 0;
    if (value >= double(limit))
        return limit;
    return size_t(value);
}

struct TCall : TNode {
    TCall(TType type, int width, std::vector<TNodePtr>&& args)
        : TNode(type, width)
        , Args(std::move(args))
    {
        Depth = CombinedDepth(Args);
    }
    std::vector<TNodePtr> Args;
};

struct TChangeCase final : TCall {
    TChangeCase(std::vector<TNodePtr> args, TTextEncoding encoding, bool toUpper)
        : TCall(TType::Character, args[0]->Width, std::move(args))
        , Encoding(encoding)
        , ToUpper(toUpper)
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        const std::string_view in = Args[0]->Text(ctx);
        char* out = ctx.Arena.Allocate(in.size());
        ChangeCase(in, out, Encoding, ToUpper);
        return {out, in.size()};
    }
    TTextEncoding Encoding;
    bool ToUpper;
};

struct TTrim final : TCall {
    TTrim(std::vector<TNodePtr> args, bool left, bool right)
        : TCall(TType::Character, args[0]->Width, std::move(args))
        , Left(left)
        , Right(right)
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        std::string_view text = Args[0]->Text(ctx);
        while (Left && !text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (Right && !text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        return text;
    }
    bool Left;
    bool Right;
};

// LEFT, RIGHT and SUBSTR cut bytes; in a UTF-8 table a cut that would split a character moves
// so that the character is left out whole.
struct TCut final : TCall {
    enum class TKind { Left, Right, Substr };
    TCut(std::vector<TNodePtr> args, TKind kind, int width, TTextEncoding encoding)
        : TCall(TType::Character, width, std::move(args))
        , Kind(kind)
        , Encoding(encoding)
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        const std::string_view text = Args[0]->Text(ctx);
        size_t begin = 0;
        size_t end = text.size();
        if (Kind == TKind::Left) {
            end = ToCount(Args[1]->Number(ctx), text.size());
        } else if (Kind == TKind::Right) {
            begin = text.size() - ToCount(Args[1]->Number(ctx), text.size());
        } else {
            const size_t start = ToCount(Args[1]->Number(ctx), text.size() + 1);
            if (start == 0)
                return {};
            begin = start - 1;
            if (Args.size() > 2)
                end = begin + ToCount(Args[2]->Number(ctx), text.size() - begin);
        }
        while (begin < end && IsContinuation(Encoding, static_cast<unsigned char>(text[begin])))
            ++begin;
        while (end > begin && end < text.size()
            && IsContinuation(Encoding, static_cast<unsigned char>(text[end])))
            --end;
        return text.substr(begin, end - begin);
    }
    TKind Kind;
    TTextEncoding Encoding;
};

// AT() and RAT(): the 1-based byte position of the n-th occurrence from the left (right), 0 when
// there is none; an empty search text is never found.
struct TFind final : TCall {
    TFind(std::vector<TNodePtr> args, bool fromRight)
        : TCall(TType::Numeric, 0, std::move(args))
        , FromRight(fromRight)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        const std::string_view needle = Args[0]->Text(ctx);
        const std::string_view haystack = Args[1]->Text(ctx);
        const size_t occurrence = Args.size() > 2 ? ToCount(Args[2]->Number(ctx), haystack.size() + 1) : 1;
        if (needle.empty() || occurrence == 0 || needle.size() > haystack.size())
            return 0;
        size_t found = std::string_view::npos;
        size_t from = FromRight ? haystack.size() - needle.size() : 0;
        for (size_t n = 0; n < occurrence; ++n) {
            found = FromRight ? haystack.rfind(needle, from) : haystack.find(needle, from);
            if (found == std::string_view::npos)
                return 0;
            if (FromRight && found == 0 && n + 1 < occurrence)
                return 0;
            from = FromRight ? found - 1 : found + 1;
        }
        return double(found + 1);
    }
    bool FromRight;
};

struct TEmpty final : TCall {
    explicit TEmpty(std::vector<TNodePtr> args)
        : TCall(TType::Logical, 0, std::move(args))
    {
    }
    bool Bool(TEvalContext& ctx) const override
    {
        const TNode& arg = *Args[0];
        switch (arg.Type) {
        case TType::Character: {
            const std::string_view text = arg.Text(ctx);
            return std::all_of(text.begin(), text.end(),
                [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
        }
        case TType::Logical:
            return !arg.Bool(ctx);
        default:
            return arg.Number(ctx) == 0;
        }
    }
};

constexpr int kMaxStrWidth = 255;

int StrWidth(const std::vector<TNodePtr>& args)
{
    if (args.size() < 2)
        return 10;
    if (const auto width = args[1]->ConstantNumber())
        return int(ToCount(*width, kMaxStrWidth));
    return kMaxStrWidth;
}

struct TStr final : TCall {
    explicit TStr(std::vector<TNodePtr> args)
        : TCall(TType::Character, StrWidth(args), std::move(args))
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        const double value = Args[0]->Number(ctx);
        const size_t width = Args.size() > 1 ? ToCount(Args[1]->Number(ctx), kMaxStrWidth) : 10;
        const int decimals = Args.size() > 2 ? int(ToCount(Args[2]->Number(ctx), 18)) : 0;
        char* out = ctx.Arena.Allocate(width);
        FormatNumber(value, int(width), decimals, out);
        return {out, width};
    }
};

struct TVal final : TCall {
    explicit TVal(std::vector<TNodePtr> args)
        : TCall(TType::Numeric, 0, std::move(args))
    {
    }
    double Number(TEvalContext& ctx) const override { return ParseLeadingNumber(Args[0]->Text(ctx)); }
};

struct TLen final : TCall {
    explicit TLen(std::vector<TNodePtr> args)
        : TCall(TType::Numeric, 0, std::move(args))
    {
    }
    double Number(TEvalContext& ctx) const override { return double(Args[0]->Text(ctx).size()); }
};

struct TDtos final : TCall {
    explicit TDtos(std::vector<TNodePtr> args)
        : TCall(TType::Character, 8, std::move(args))
    {
    }
    std::string_view Text(TEvalContext& ctx) const override
    {
        char* out = ctx.Arena.Allocate(8);
        FormatDate(Args[0]->Number(ctx), out);
        return {out, 8};
    }
};

struct TDeleted final : TCall {
    TDeleted()
        : TCall(TType::Logical, 0, {})
    {
    }
    bool Bool(TEvalContext& ctx) const override { return !ctx.Bytes.empty() && ctx.Bytes[0] == '*'; }
};

struct TIif final : TCall {
    explicit TIif(std::vector<TNodePtr> args)
        : TCall(args[1]->Type,
            args[1]->Width == kUnbounded || args[2]->Width == kUnbounded
                ? kUnbounded
                : std::max(args[1]->Width, args[2]->Width),
            std::move(args))
    {
    }
    const TNode& Chosen(TEvalContext& ctx) const { return Args[0]->Bool(ctx) ? *Args[1] : *Args[2]; }
    bool Bool(TEvalContext& ctx) const override { return Chosen(ctx).Bool(ctx); }
    double Number(TEvalContext& ctx) const override { return Chosen(ctx).Number(ctx); }
    std::string_view Text(TEvalContext& ctx) const override { return Chosen(ctx).Text(ctx); }
};

struct TMath final : TCall {
    enum class TKind { Int, Abs, Round };
    TMath(std::vector<TNodePtr> args, TKind kind)
        : TCall(TType::Numeric, 0, std::move(args))
        , Kind(kind)
    {
    }
    double Number(TEvalContext& ctx) const override
    {
        const double value = Args[0]->Number(ctx);
        switch (Kind) {
        case TKind::Int:
            return std::trunc(value);
        case TKind::Abs:
            return std::fabs(value);
        case TKind::Round:
            break;
        }
        const double places = Args[1]->Number(ctx);
        const double scale
            = std::pow(10.0, std::clamp(std::isnan(places) ? 0.0 : std::trunc(places), -18.0, 18.0));
        const double scaled = value * scale;
        return std::fabs(scaled) < 9e15 ? std::round(scaled) / scale : value;
    }
    TKind Kind;
};

int ConstantCutWidth(const std::vector<TNodePtr>& args, size_t countArg)
{
    const int width = args[0]->Width;
    if (args.size() <= countArg || !args[countArg]->ConstantNumber())
        return width;
    const int count = int(ToCount(*args[countArg]->ConstantNumber(), 1u << 30));
    return width == kUnbounded ? count : std::min(count, width);
}

using TBuilder = TNodePtr (*)(std::vector<TNodePtr>, TTextEncoding);

} // namespace

struct TFunctionSpec {
    const char* Name;
    const char* ArgTypes; // one letter per argument: C N D L, or * for any type
    int MinArgs;
    TBuilder Build;
};

namespace {

using TKind = TCut::TKind;

const TFunctionSpec kFunctions[] = {
    {"ABS", "N", 1,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TMath>(std::move(a), TMath::TKind::Abs); }},
    {"ALLTRIM", "C", 1,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TTrim>(std::move(a), true, true); }},
    {"AT", "CCN", 2, [](auto a, auto) -> TNodePtr { return std::make_unique<TFind>(std::move(a), false); }},
    {"DELETED", "", 0, [](auto, auto) -> TNodePtr { return std::make_unique<TDeleted>(); }},
    {"DTOS", "D", 1, [](auto a, auto) -> TNodePtr { return std::make_unique<TDtos>(std::move(a)); }},
    {"EMPTY", "*", 1, [](auto a, auto) -> TNodePtr { return std::make_unique<TEmpty>(std::move(a)); }},
    {"IIF", "L**", 3, [](auto a, auto) -> TNodePtr { return std::make_unique<TIif>(std::move(a)); }},
    {"INT", "N", 1,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TMath>(std::move(a), TMath::TKind::Int); }},
    {"LEFT", "CN", 2,
        [](auto a, auto e) -> TNodePtr {
            const int width = ConstantCutWidth(a, 1);
            return std::make_unique<TCut>(std::move(a), TKind::Left, width, e);
        }},
    {"LEN", "C", 1, [](auto a, auto) -> TNodePtr { return std::make_unique<TLen>(std::move(a)); }},
    {"LOWER", "C", 1,
        [](auto a, auto e) -> TNodePtr { return std::make_unique<TChangeCase>(std::move(a), e, false); }},
    {"LTRIM", "C", 1,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TTrim>(std::move(a), true, false); }},
    {"RAT", "CCN", 2, [](auto a, auto) -> TNodePtr { return std::make_unique<TFind>(std::move(a), true); }},
    {"RIGHT", "CN", 2,
        [](auto a, auto e) -> TNodePtr {
            const int width = ConstantCutWidth(a, 1);
            return std::make_unique<TCut>(std::move(a), TKind::Right, width, e);
        }},
    {"ROUND", "NN", 2,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TMath>(std::move(a), TMath::TKind::Round); }},
    {"RTRIM", "C", 1,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TTrim>(std::move(a), false, true); }},
    {"STR", "NNN", 1, [](auto a, auto) -> TNodePtr { return std::make_unique<TStr>(std::move(a)); }},
    {"SUBSTR", "CNN", 2,
        [](auto a, auto e) -> TNodePtr {
            const int width = ConstantCutWidth(a, 2);
            return std::make_unique<TCut>(std::move(a), TKind::Substr, width, e);
        }},
    {"TRIM", "C", 1,
        [](auto a, auto) -> TNodePtr { return std::make_unique<TTrim>(std::move(a), false, true); }},
    {"UPPER", "C", 1,
        [](auto a, auto e) -> TNodePtr { return std::make_unique<TChangeCase>(std::move(a), e, true); }},
    {"VAL", "C", 1, [](auto a, auto) -> TNodePtr { return std::make_unique<TVal>(std::move(a)); }},
};

QString ArgumentCountText(const TFunctionSpec& fn)
{
    const int max = int(std::strlen(fn.ArgTypes));
    if (fn.MinArgs == max)
        return max == 1 ? QStringLiteral("1 argument") : QStringLiteral("%1 arguments").arg(max);
    return QStringLiteral("%1 to %2 arguments").arg(fn.MinArgs).arg(max);
}

} // namespace

const TFunctionSpec* FindFunction(const QString& name)
{
    const QString upper = name.toUpper();
    const TFunctionSpec* abbreviated = nullptr;
    int matches = 0;
    for (const auto& fn : kFunctions) {
        const QString full = QString::fromLatin1(fn.Name);
        if (full == upper)
            return &fn;
        if (upper.size() >= 4 && full.startsWith(upper)) {
            abbreviated = &fn;
            ++matches;
        }
    }
    return matches == 1 ? abbreviated : nullptr;
}

TNodePtr BuildFunction(const TFunctionSpec& fn, std::vector<TNodePtr> args,
    const std::vector<int>& argColumns, int column, TTextEncoding encoding, QString* error)
{
    const int count = int(args.size());
    const int max = int(std::strlen(fn.ArgTypes));
    if (count < fn.MinArgs || count > max) {
        *error = QStringLiteral("Function %1() at column %2 takes %3, not %4")
                     .arg(QLatin1String(fn.Name))
                     .arg(column)
                     .arg(ArgumentCountText(fn))
                     .arg(count);
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        const char wanted = fn.ArgTypes[i];
        if (wanted == '*' || char(args[i]->Type) == wanted)
            continue;
        *error = QStringLiteral("Argument %1 of %2() at column %3 must be %4, not %5")
                     .arg(i + 1)
                     .arg(QLatin1String(fn.Name))
                     .arg(argColumns[i])
                     .arg(QLatin1String(TypeName(TType(wanted))))
                     .arg(QLatin1String(TypeName(args[i]->Type)));
        return nullptr;
    }
    if (std::strcmp(fn.Name, "IIF") == 0 && args[1]->Type != args[2]->Type) {
        *error
            = QStringLiteral("The two results of IIF() at column %1 must have the same type, not %2 and %3")
                  .arg(column)
                  .arg(QLatin1String(TypeName(args[1]->Type)))
                  .arg(QLatin1String(TypeName(args[2]->Type)));
        return nullptr;
    }
    return fn.Build(std::move(args), encoding);
}

} // namespace xbase::exprdetail
