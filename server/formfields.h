#pragma once

// Decoding of application/x-www-form-urlencoded text (form bodies and query strings). The text
// comes from anyone on the network, so the decoder checks every limit before it allocates and
// refuses malformed percent escapes instead of guessing.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvserver {

struct FormField {
    std::string name;
    std::string value;
};

struct FormLimits {
    std::size_t maxFields = 2000;
    std::size_t maxFieldLength = 256 * 1024; // decoded name or value
};

enum class FormError { None, BadEncoding, TooManyFields, FieldTooLong };

struct FormDecodeResult {
    std::vector<FormField> fields;
    FormError error = FormError::None;
    bool ok() const { return error == FormError::None; }
};

// Splits at "&", decodes "+" as a blank and "%XX" as one byte. Empty pairs ("a=1&&b=2") are
// skipped; a pair without "=" is a name with an empty value. Bytes are kept as they are (the
// pages post UTF-8); only the escapes are checked.
FormDecodeResult DecodeForm(std::string_view text, const FormLimits& limits);

// The value of the first field with this name (compared exactly), or empty.
std::string FieldValue(const std::vector<FormField>& fields, std::string_view name);
bool HasField(const std::vector<FormField>& fields, std::string_view name);

// "%XX" and "+" decoding of one component; false on a malformed escape.
bool PercentDecode(std::string_view text, std::string& out);
// The value of a hexadecimal digit, or -1.
int HexDigit(char c);

} // namespace orvserver
