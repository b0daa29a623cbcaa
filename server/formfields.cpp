#include "formfields.h"

#include <algorithm>

namespace orvserver {

namespace {

// Length of the text once decoded: every escape takes three bytes for one.
std::size_t DecodedLength(std::string_view text)
{
    std::size_t escapes = 0;
    for (char c : text)
        escapes += c == '%';
    return text.size() - 2 * std::min(escapes, text.size() / 3);
}

FormError DecodePair(std::string_view pair, const FormLimits& limits, FormField& field)
{
    const auto eq = pair.find('=');
    const auto name = pair.substr(0, eq);
    const auto value = eq == std::string_view::npos ? std::string_view{} : pair.substr(eq + 1);
    if (DecodedLength(name) > limits.maxFieldLength || DecodedLength(value) > limits.maxFieldLength)
        return FormError::FieldTooLong;
    if (!PercentDecode(name, field.name) || !PercentDecode(value, field.value))
        return FormError::BadEncoding;
    return FormError::None;
}

} // namespace

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool PercentDecode(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        // Plain bytes are copied a run at a time.
        auto special = i;
        while (special < text.size() && text[special] != '+' && text[special] != '%')
            ++special;
        out.append(text.substr(i, special - i));
        i = special;
        if (i == text.size())
            break;
        if (text[i] == '+') {
            out += ' ';
            ++i;
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 3;
    }
    return true;
}

FormDecodeResult DecodeForm(std::string_view text, const FormLimits& limits)
{
    FormDecodeResult result;
    const auto pairs = static_cast<std::size_t>(std::count(text.begin(), text.end(), '&')) + 1;
    result.fields.reserve(std::min(pairs, limits.maxFields));
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('&', start);
        if (end == std::string_view::npos)
            end = text.size();
        const auto pair = text.substr(start, end - start);
        start = end + 1;
        if (pair.empty())
            continue;
        if (result.fields.size() >= limits.maxFields) {
            result.error = FormError::TooManyFields;
            break;
        }
        FormField field;
        result.error = DecodePair(pair, limits, field);
        if (!result.ok())
            break;
        result.fields.push_back(std::move(field));
    }
    if (!result.ok())
        result.fields.clear();
    return result;
}

std::string FieldValue(const std::vector<FormField>& fields, std::string_view name)
{
    for (const auto& field : fields)
        if (field.name == name)
            return field.value;
    return {};
}

bool HasField(const std::vector<FormField>& fields, std::string_view name)
{
    for (const auto& field : fields)
        if (field.name == name)
            return true;
    return false;
}

} // namespace orvserver
