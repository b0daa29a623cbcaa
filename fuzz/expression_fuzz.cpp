// libFuzzer target: arbitrary bytes as an expression (and as the record it is evaluated on) must
// compile or be refused with a message, and evaluate without fault.
//
// Input: byte 0 picks the table encoding; the bytes up to the first 0x01 are the expression
// (UTF-8, or Latin-1 for odd selectors, so that every QString content is reachable); the rest
// is the record, shorter or longer than the layout as it happens.

#include "xbase/expression.h"

#include <cstdint>
#include <cstring>

namespace {

using namespace xbase;

const TRecordLayout& Layout(TTextEncoding encoding)
{
    static TRecordLayout layouts[5];
    TRecordLayout& layout = layouts[int(encoding)];
    if (layout.Fields.empty()) {
        layout.Encoding = encoding;
        for (TFieldDef field :
            std::initializer_list<TFieldDef>{{"NAME", 'C', 12}, {"N", 'N', 5}, {"AMOUNT", 'F', 9, 2},
                {"MEMO", 'M', 10}, {"BORN", 'D', 8}, {"OK", 'L', 1}, {"COUNT", 'I', 4}, {"RATE", 'B', 8},
                {"COST", 'Y', 8}, {"SEEN", 'T', 8}, {"BLOB", 'G', 10}}) {
            field.Offset = layout.RecordLength;
            layout.RecordLength += field.Width;
            layout.Fields.push_back(field);
        }
    }
    return layout;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const TTextEncoding encoding = TTextEncoding(data[0] % 5);
    const bool latin1 = (data[0] / 5) % 2 == 1;
    const char* begin = reinterpret_cast<const char*>(data + 1);
    const size_t rest = size - 1;
    const void* split = std::memchr(begin, 0x01, rest);
    const size_t textLength = split ? size_t(static_cast<const char*>(split) - begin) : rest;
    const QString text = latin1 ? QString::fromLatin1(begin, qsizetype(textLength))
                                : QString::fromUtf8(begin, qsizetype(textLength));
    const std::string_view record
        = split ? std::string_view(begin + textLength + 1, rest - textLength - 1) : std::string_view();

    QString error;
    const auto expression = TExpression::Compile(text, Layout(encoding), &error);
    if (!expression) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    const TRecordContext ctx{record, [&](int) { return text; }};
    expression->IsTrue(ctx);
    const TValue value = expression->Evaluate(ctx);
    if (value.kind == TValue::Kind::Character && expression->ResultWidth() > 0
        && value.text.size() != expression->ResultWidth())
        __builtin_trap(); // keys must have the width the index was made with
    return 0;
}
