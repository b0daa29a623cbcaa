#include "xbase/expressionparser.h"

#include "xbase/expressiontext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <string>

namespace xbase::exprdetail {

namespace {

enum class TTok {
    End,
    Name,
    Text,
    Number,
    True,
    False,
    And,
    Or,
    Not,
    Open,
    Close,
    Comma,
    Plus,
    Minus,
    Times,
    Divide,
    Dollar,
    Equal,
    ExactEqual,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
};

struct TToken {
    TTok Kind = TTok::End;
    int Column = 0; // 1-based
    int Length = 0; // characters of the source
    QString Text; // Name: the name; Text: the literal's content
    double Number = 0;
};

bool IsAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString Shown(const QString& text, int maxLength = 24)
{
    return text.size() > maxLength ? text.left(maxLength) + QStringLiteral("...") : text;
}

QString DescribeCharacter(QChar c)
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSurrogate() || !c.isPrint())
        return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("'%1'").arg(c);
}

class TLexer {
public:
    explicit TLexer(const QString& text)
        : Source(text)
    {
    }

    bool Run(std::vector<TToken>* tokens, QString* error)
    {
        for (;;) {
            while (Pos < Source.size() && IsBlank(Source.at(Pos)))
                ++Pos;
            TToken token;
            token.Column = int(Pos) + 1;
            if (Pos >= Source.size()) {
                tokens->push_back(token);
                return true;
            }
            if (!Next(&token, error))
                return false;
            token.Length = int(Pos) + 1 - token.Column;
            tokens->push_back(std::move(token));
        }
    }

private:
    static bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
    QChar At(qsizetype i) const { return i < Source.size() ? Source.at(i) : QChar(); }

    bool Next(TToken* token, QString* error)
    {
        const QChar c = Source.at(Pos);
        if (IsAsciiLetter(c)) {
            const qsizetype start = Pos;
            while (Pos < Source.size() && (IsAsciiLetter(Source.at(Pos)) || IsAsciiDigit(Source.at(Pos))))
                ++Pos;
            token->Kind = TTok::Name;
            token->Text = Source.mid(start, Pos - start);
            return true;
        }
        if (IsAsciiDigit(c) || (c == u'.' && IsAsciiDigit(At(Pos + 1))))
            return ReadNumber(token, error);
        if (c == u'"' || c == u'\'' || c == u'[')
            return ReadText(token, error);
        if (c == u'.')
            return ReadDotted(token, error);
        ++Pos;
        switch (c.unicode()) {
        case u'(':
            return Set(token, TTok::Open);
        case u')':
            return Set(token, TTok::Close);
        case u',':
            return Set(token, TTok::Comma);
        case u'+':
            return Set(token, TTok::Plus);
        case u'-':
            return Set(token, TTok::Minus);
        case u'*':
            return Set(token, TTok::Times);
        case u'/':
            return Set(token, TTok::Divide);
        case u'$':
            return Set(token, TTok::Dollar);
        case u'#':
            return Set(token, TTok::NotEqual);
        case u'=':
            return Set(token, Follow(u'=') ? TTok::ExactEqual : TTok::Equal);
        case u'!':
            return Set(token, Follow(u'=') ? TTok::NotEqual : TTok::Not);
        case u'<':
            if (Follow(u'='))
                return Set(token, TTok::LessEqual);
            return Set(token, Follow(u'>') ? TTok::NotEqual : TTok::Less);
        case u'>':
            return Set(token, Follow(u'=') ? TTok::GreaterEqual : TTok::Greater);
        default:
            *error
                = QStringLiteral("Unexpected character %1 at column %2").arg(DescribeCharacter(c)).arg(Pos);
            return false;
        }
    }

    static bool Set(TToken* token, TTok kind)
    {
        token->Kind = kind;
        return true;
    }

    bool Follow(char16_t c)
    {
        if (At(Pos) != QChar(c))
            return false;
        ++Pos;
        return true;
    }

    bool ReadNumber(TToken* token, QString* error)
    {
        const qsizetype start = Pos;
        while (IsAsciiDigit(At(Pos)))
            ++Pos;
        if (At(Pos) == u'.' && IsAsciiDigit(At(Pos + 1))) {
            ++Pos;
            while (IsAsciiDigit(At(Pos)))
                ++Pos;
        }
        const std::string digits = Source.mid(start, Pos - start).toStdString();
        double value = 0;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (result.ec != std::errc() || !std::isfinite(value)) {
            *error = QStringLiteral("The number at column %1 is too large").arg(start + 1);
            return false;
        }
        token->Kind = TTok::Number;
        token->Number = value;
        return true;
    }

    bool ReadText(TToken* token, QString* error)
    {
        const QChar open = Source.at(Pos);
        const QChar close = open == u'[' ? QChar(u']') : open;
        const qsizetype end = Source.indexOf(close, Pos + 1);
        if (end < 0) {
            *error
                = QStringLiteral("The text starting at column %1 has no closing %2").arg(Pos + 1).arg(close);
            return false;
        }
        token->Kind = TTok::Text;
        token->Text = Source.mid(Pos + 1, end - Pos - 1);
        Pos = end + 1;
        return true;
    }

    bool ReadDotted(TToken* token, QString* error)
    {
        qsizetype end = Pos + 1;
        while (end < Source.size() && IsAsciiLetter(Source.at(end)))
            ++end;
        const QString word = Source.mid(Pos + 1, end - Pos - 1).toUpper();
        if (end >= Source.size() || Source.at(end) != u'.' || word.isEmpty()) {
            *error = QStringLiteral("Unexpected '.' at column %1").arg(Pos + 1);
            return false;
        }
        static const std::pair<const char*, TTok> kWords[] = {
            {"AND", TTok::And}, {"OR", TTok::Or}, {"NOT", TTok::Not}, {"T", TTok::True}, {"F", TTok::False}};
        for (const auto& [name, kind] : kWords) {
            if (word == QLatin1String(name)) {
                token->Kind = kind;
                Pos = end + 1;
                return true;
            }
        }
        *error = QStringLiteral("Unknown operator '.%1.' at column %2").arg(Shown(word)).arg(Pos + 1);
        return false;
    }

    const QString& Source;
    qsizetype Pos = 0;
};

std::optional<TCompareOp> CompareOp(TTok kind)
{
    switch (kind) {
    case TTok::Equal:
    case TTok::ExactEqual:
        return TCompareOp::Equal;
    case TTok::NotEqual:
        return TCompareOp::NotEqual;
    case TTok::Less:
        return TCompareOp::Less;
    case TTok::LessEqual:
        return TCompareOp::LessEqual;
    case TTok::Greater:
        return TCompareOp::Greater;
    case TTok::GreaterEqual:
        return TCompareOp::GreaterEqual;
    case TTok::Dollar:
        return TCompareOp::Contains;
    default:
        return std::nullopt;
    }
}

class TParser {
public:
    TParser(const QString& text, std::vector<TToken> tokens, const TRecordLayout& layout, QString* error)
        : Source(text)
        , Tokens(std::move(tokens))
        , Layout(layout)
        , Error(error)
    {
    }

    std::optional<TParsed> Run()
    {
        if (Peek().Kind == TTok::End) {
            *Error = QStringLiteral("The expression is empty");
            return std::nullopt;
        }
        TNodePtr root = ParseOr();
        if (!root)
            return std::nullopt;
        if (Peek().Kind != TTok::End) {
            if (Peek().Kind == TTok::Close)
                *Error
                    = QStringLiteral("Unexpected ')' at column %1 with no '(' to close").arg(Peek().Column);
            else
                *Error = QStringLiteral("Unexpected %1 at column %2 after a complete expression")
                             .arg(Describe(Peek()))
                             .arg(Peek().Column);
            return std::nullopt;
        }
        TParsed parsed;
        parsed.Root = std::move(root);
        parsed.Fields.assign(FieldsUsed.begin(), FieldsUsed.end());
        parsed.ReadsMemo = ReadsMemo;
        if (Tokens.size() == 2 && Tokens[0].Kind == TTok::Name)
            parsed.SingleField = parsed.Fields.front();
        return parsed;
    }

private:
    const TToken& Peek() const { return Tokens[Index]; }
    const TToken& Take()
    {
        const TToken& token = Tokens[Index];
        if (token.Kind != TTok::End)
            ++Index;
        return token;
    }

    QString Describe(const TToken& token) const
    {
        if (token.Kind == TTok::End)
            return QStringLiteral("the end");
        return QStringLiteral("'%1'").arg(Shown(Source.mid(token.Column - 1, token.Length)));
    }

    TNodePtr Fail(const QString& message)
    {
        if (Error->isEmpty())
            *Error = message;
        return nullptr;
    }

    TNodePtr Bounded(TNodePtr node, int column)
    {
        if (node && node->Depth > kMaxDepth)
            return Fail(QStringLiteral("The expression is too deeply nested at column %1").arg(column));
        return node;
    }

    TNodePtr ParseOr() { return ParseChain(TTok::Or); }

    // a .AND. b .AND. c (or .OR.) as one chain node.
    TNodePtr ParseChain(TTok joiner)
    {
        const bool isAnd = joiner == TTok::And;
        std::vector<TNodePtr> operands;
        const TToken* lastJoiner = nullptr;
        for (;;) {
            const int column = Peek().Column;
            TNodePtr operand = isAnd ? ParseNot() : ParseChain(TTok::And);
            if (!operand)
                return nullptr;
            const bool joined = lastJoiner || Peek().Kind == joiner;
            if (joined && operand->Type != TType::Logical)
                return NeedsLogical(lastJoiner ? *lastJoiner : Peek(), operand->Type, column);
            operands.push_back(std::move(operand));
            if (Peek().Kind != joiner)
                break;
            lastJoiner = &Take();
        }
        return Bounded(MakeLogicalChain(isAnd, std::move(operands)), Peek().Column);
    }

    TNodePtr NeedsLogical(const TToken& op, TType found, int column)
    {
        return Fail(
            QStringLiteral("%1 at column %2 needs logical operands, but the operand at column %3 is %4")
                .arg(Describe(op))
                .arg(op.Column)
                .arg(column)
                .arg(QLatin1String(TypeName(found))));
    }

    TNodePtr ParseNot()
    {
        std::vector<const TToken*> nots;
        while (Peek().Kind == TTok::Not)
            nots.push_back(&Take());
        const int column = Peek().Column;
        TNodePtr node = ParseRelation();
        if (!node || nots.empty())
            return node;
        if (node->Type != TType::Logical)
            return Fail(
                QStringLiteral("%1 at column %2 needs a logical operand, but the operand at column %3 is %4")
                    .arg(Describe(*nots.back()))
                    .arg(nots.back()->Column)
                    .arg(column)
                    .arg(QLatin1String(TypeName(node->Type))));
        for (size_t i = nots.size(); node && i-- > 0;)
            node = Bounded(MakeNot(std::move(node)), nots[i]->Column);
        return node;
    }

    TNodePtr ParseRelation()
    {
        TNodePtr left = ParseSum();
        if (!left)
            return nullptr;
        const auto op = CompareOp(Peek().Kind);
        if (!op)
            return left;
        const TToken& opToken = Take();
        TNodePtr right = ParseSum();
        if (!right)
            return nullptr;
        if (!CanCompare(*op, left->Type, right->Type))
            return Mismatch(opToken, left->Type, right->Type);
        if (CompareOp(Peek().Kind))
            return Fail(QStringLiteral("Comparisons cannot be chained: unexpected %1 at column %2")
                            .arg(Describe(Peek()))
                            .arg(Peek().Column));
        return Bounded(MakeCompare(*op, std::move(left), std::move(right)), opToken.Column);
    }

    TNodePtr Mismatch(const TToken& op, TType left, TType right)
    {
        return Fail(
            QStringLiteral("Operator/operand type mismatch at column %1: %2 cannot be applied to %3 and %4")
                .arg(op.Column)
                .arg(Describe(op))
                .arg(QLatin1String(TypeName(left)))
                .arg(QLatin1String(TypeName(right))));
    }

    TNodePtr ParseSum() { return ParseBinary(TTok::Plus, TTok::Minus); }
    TNodePtr ParseProduct() { return ParseBinary(TTok::Times, TTok::Divide); }

    TNodePtr ParseBinary(TTok first, TTok second)
    {
        const bool isSum = first == TTok::Plus;
        TNodePtr left = isSum ? ParseProduct() : ParseUnary();
        while (left && (Peek().Kind == first || Peek().Kind == second)) {
            const TToken& opToken = Take();
            const char op = char(Source.at(opToken.Column - 1).unicode());
            TNodePtr right = isSum ? ParseProduct() : ParseUnary();
            if (!right)
                return nullptr;
            if (!ArithmeticType(op, left->Type, right->Type))
                return Mismatch(opToken, left->Type, right->Type);
            left = Bounded(MakeArithmetic(op, std::move(left), std::move(right)), opToken.Column);
        }
        return left;
    }

    TNodePtr ParseUnary()
    {
        std::vector<const TToken*> signs;
        while (Peek().Kind == TTok::Minus || Peek().Kind == TTok::Plus)
            signs.push_back(&Take());
        const int column = Peek().Column;
        TNodePtr node = ParsePrimary();
        if (!node || signs.empty())
            return node;
        if (node->Type != TType::Numeric)
            return Fail(QStringLiteral(
                "The sign at column %1 needs a numeric operand, but the operand at column %2 is %3")
                            .arg(signs.back()->Column)
                            .arg(column)
                            .arg(QLatin1String(TypeName(node->Type))));
        for (size_t i = signs.size(); node && i-- > 0;)
            if (signs[i]->Kind == TTok::Minus)
                node = Bounded(MakeNegate(std::move(node)), signs[i]->Column);
        return node;
    }

    TNodePtr ParsePrimary()
    {
        const TToken& token = Take();
        switch (token.Kind) {
        case TTok::Number:
            return MakeNumberLiteral(token.Number);
        case TTok::True:
        case TTok::False:
            return MakeLogicalLiteral(token.Kind == TTok::True);
        case TTok::Text:
            return TextLiteral(token);
        case TTok::Open:
            return Parenthesised(token);
        case TTok::Name:
            if (Peek().Kind == TTok::Open)
                return Call(token);
            return Field(token);
        default:
            return Fail(QStringLiteral("Expected a value at column %1 but found %2")
                            .arg(token.Column)
                            .arg(Describe(token)));
        }
    }

    TNodePtr TextLiteral(const TToken& token)
    {
        auto bytes = EncodeExact(token.Text, Layout.Encoding);
        if (!bytes)
            return Fail(QStringLiteral(
                "The text at column %1 holds a character that the table's encoding cannot store")
                            .arg(token.Column));
        return MakeTextLiteral(std::move(*bytes));
    }

    bool Enter(int column)
    {
        if (++Nesting > kMaxNesting) {
            Fail(QStringLiteral("Parentheses and function calls are nested too deeply at column %1")
                     .arg(column));
            return false;
        }
        return true;
    }

    bool Expect(TTok kind, const char* what, const TToken& opener)
    {
        if (Peek().Kind == kind) {
            Take();
            return true;
        }
        Fail(QStringLiteral("Missing %1 at column %2 (found %3) to close the '(' at column %4")
                 .arg(QLatin1String(what))
                 .arg(Peek().Column)
                 .arg(Describe(Peek()))
                 .arg(opener.Column));
        return false;
    }

    TNodePtr Parenthesised(const TToken& open)
    {
        if (!Enter(open.Column))
            return nullptr;
        TNodePtr inner = ParseOr();
        if (!inner || !Expect(TTok::Close, "')'", open))
            return nullptr;
        --Nesting;
        return inner;
    }

    TNodePtr Call(const TToken& name)
    {
        const TFunctionSpec* fn = FindFunction(name.Text);
        if (!fn)
            return Fail(
                QStringLiteral("Unknown function '%1' at column %2").arg(Shown(name.Text)).arg(name.Column));
        const TToken& open = Take();
        if (!Enter(open.Column))
            return nullptr;
        std::vector<TNodePtr> args;
        std::vector<int> columns;
        if (Peek().Kind != TTok::Close) {
            for (;;) {
                columns.push_back(Peek().Column);
                TNodePtr arg = ParseOr();
                if (!arg)
                    return nullptr;
                args.push_back(std::move(arg));
                if (Peek().Kind != TTok::Comma)
                    break;
                Take();
            }
        }
        if (!Expect(TTok::Close, "')'", open))
            return nullptr;
        --Nesting;
        TNodePtr node = BuildFunction(*fn, std::move(args), columns, name.Column, Layout.Encoding, Error);
        return node ? Bounded(std::move(node), name.Column) : nullptr;
    }

    TNodePtr Field(const TToken& name)
    {
        int index = Layout.FieldIndex(name.Text);
        // A table bound to a database may name a field by its long name, which the table itself
        // keeps cut to ten characters.
        if (index < 0 && name.Text.size() > 10)
            index = Layout.FieldIndex(name.Text.left(10));
        if (index < 0)
            return Fail(
                QStringLiteral("Unknown field '%1' at column %2").arg(Shown(name.Text)).arg(name.Column));
        const TFieldDef& field = Layout.Fields[size_t(index)];
        const bool inRecord = field.Offset >= 1 && field.Width >= 0
            && qint64(field.Offset) + field.Width <= qint64(Layout.RecordLength);
        if (!inRecord && field.Type != 'M')
            return Fail(QStringLiteral("Field %1 at column %2 lies outside the record")
                            .arg(field.Name)
                            .arg(name.Column));
        if (!FieldType(field))
            return Fail(
                QStringLiteral("Field %1 at column %2 has type %3 with width %4, which cannot be read")
                    .arg(field.Name)
                    .arg(name.Column)
                    .arg(QLatin1Char(field.Type))
                    .arg(field.Width));
        FieldsUsed.insert(index);
        ReadsMemo = ReadsMemo || field.Type == 'M';
        return MakeField(field, index, Layout.Encoding);
    }

    const QString& Source;
    std::vector<TToken> Tokens;
    size_t Index = 0;
    const TRecordLayout& Layout;
    QString* Error;
    int Nesting = 0;
    std::set<int> FieldsUsed;
    bool ReadsMemo = false;
};

} // namespace

std::optional<TParsed> Parse(const QString& text, const TRecordLayout& layout, QString* error)
{
    error->clear();
    if (text.size() > kMaxTextLength) {
        *error = QStringLiteral("The expression is too long (%1 characters; at most %2)")
                     .arg(text.size())
                     .arg(kMaxTextLength);
        return std::nullopt;
    }
    std::vector<TToken> tokens;
    if (!TLexer(text).Run(&tokens, error))
        return std::nullopt;
    return TParser(text, std::move(tokens), layout, error).Run();
}

} // namespace xbase::exprdetail
