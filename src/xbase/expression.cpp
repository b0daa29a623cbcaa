#include "xbase/expression.h"

#include "xbase/expressionparser.h"
#include "xbase/expressiontext.h"

#include <cstring>

namespace xbase {

using namespace exprdetail;

struct TExpression::TImpl {
    QString Text;
    TNodePtr Root;
    size_t RecordLength = 1;
    std::vector<int> Fields;
    bool ReadsMemo = false;
    int SingleField = -1;

    // Runs `body` on the record, first padding a record shorter than the layout with blanks so
    // that every field read stays inside the bytes.
    template <typename TBody> auto Run(const TRecordContext& ctx, TBody body) const
    {
        TArena arena;
        std::string_view bytes = ctx.Record;
        if (bytes.size() < RecordLength) {
            char* padded = arena.Allocate(RecordLength);
            std::memset(padded, ' ', RecordLength);
            if (!bytes.empty())
                std::memcpy(padded, bytes.data(), bytes.size());
            bytes = {padded, RecordLength};
        }
        TEvalContext eval{ctx, bytes, arena};
        return body(eval);
    }
};

TExpression::TExpression()
    : Impl(std::make_unique<TImpl>())
{
}

TExpression::~TExpression() = default;

std::unique_ptr<TExpression> TExpression::Compile(
    const QString& text, const TRecordLayout& layout, QString* error)
{
    QString message;
    std::optional<TParsed> parsed = Parse(text, layout, &message);
    if (error)
        *error = message;
    if (!parsed)
        return nullptr;
    std::unique_ptr<TExpression> expression(new TExpression());
    TImpl& impl = *expression->Impl;
    impl.Text = text;
    impl.Root = std::move(parsed->Root);
    impl.RecordLength = size_t(std::max(layout.RecordLength, 1));
    impl.Fields = std::move(parsed->Fields);
    impl.ReadsMemo = parsed->ReadsMemo;
    impl.SingleField = parsed->SingleField;
    return expression;
}

bool TExpression::Validate(const QString& text, const TRecordLayout& layout, QString* error)
{
    QString message;
    const bool valid = Parse(text, layout, &message).has_value();
    if (error)
        *error = message;
    return valid;
}

char TExpression::ResultType() const
{
    return char(Impl->Root->Type);
}

int TExpression::ResultWidth() const
{
    switch (Impl->Root->Type) {
    case TType::Character:
        return Impl->Root->Width == kUnbounded ? 0 : Impl->Root->Width;
    case TType::Logical:
        return 1;
    default:
        return 8;
    }
}

bool TExpression::IsTrue(const TRecordContext& ctx) const
{
    if (Impl->Root->Type != TType::Logical)
        return false;
    return Impl->Run(ctx, [this](TEvalContext& eval) { return Impl->Root->Bool(eval); });
}

TValue TExpression::Evaluate(const TRecordContext& ctx) const
{
    return Impl->Run(ctx, [this](TEvalContext& eval) {
        const TNode& root = *Impl->Root;
        TValue value;
        switch (root.Type) {
        case TType::Character: {
            value.kind = TValue::Kind::Character;
            const std::string_view text = root.Text(eval);
            value.text = QByteArray(text.data(), qsizetype(text.size()));
            if (root.Width != kUnbounded && value.text.size() < root.Width)
                value.text.append(root.Width - value.text.size(), ' ');
            break;
        }
        case TType::Numeric:
            value.kind = TValue::Kind::Numeric;
            value.number = root.Number(eval);
            break;
        case TType::Date:
            value.kind = TValue::Kind::Date;
            value.number = root.Number(eval);
            break;
        case TType::Logical:
            value.kind = TValue::Kind::Logical;
            value.logical = root.Bool(eval);
            break;
        }
        return value;
    });
}

QString TExpression::UpperText(const QString& text, TTextEncoding encoding)
{
    return exprdetail::UpperText(text, encoding);
}

const QString& TExpression::Text() const
{
    return Impl->Text;
}

const std::vector<int>& TExpression::FieldsUsed() const
{
    return Impl->Fields;
}

bool TExpression::ReadsMemo() const
{
    return Impl->ReadsMemo;
}

int TExpression::SingleField() const
{
    return Impl->SingleField;
}

} // namespace xbase
