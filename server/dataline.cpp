#include "dataline.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace orvserver {

namespace {

bool NeedsQuotes(std::string_view text)
{
    for (unsigned char c : text)
        if (c <= ' ' || c == ',' || c == '"' || c == 0x7f)
            return true;
    return false;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void AppendEscapedValue(std::string& item, std::string_view value)
{
    for (std::size_t i = 0; i < value.size(); ++i) {
        auto lineBreak = i;
        while (lineBreak < value.size() && value[lineBreak] != '\r' && value[lineBreak] != '\n')
            ++lineBreak;
        item.append(value.substr(i, lineBreak - i));
        i = lineBreak;
        if (i < value.size())
            item += value[i] == '\r' ? "&CR;" : "&LF;";
    }
}

void AppendQuoted(std::string& line, std::string_view item)
{
    line += '"';
    for (char c : item) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// Names the server writes itself; a post cannot pass itself off under them.
bool IsServerName(std::string_view name)
{
    static constexpr std::array<std::string_view, 3> names{"RemoteAddr", "UserAgent", "DateRec"};
    for (auto server : names)
        if (EqualsNoCase(name, server))
            return true;
    return false;
}

// A name holding "=" could not be read back as Name=Value, and one holding a line break would
// split the response in two.
bool IsStorableName(std::string_view name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (c == '=' || c < ' ' || c == 0x7f)
            return false;
    return true;
}

// Appends Name=Value, in quotes when it needs them.
void AppendItem(std::string& line, std::string_view name, std::string_view value)
{
    const auto start = line.size();
    line.append(name);
    line += '=';
    AppendEscapedValue(line, value);
    if (!NeedsQuotes(std::string_view(line).substr(start)))
        return;
    const std::string item = line.substr(start);
    line.resize(start);
    AppendQuoted(line, item);
}

} // namespace

void AppendDataItem(std::string& line, std::string_view name, std::string_view value)
{
    if (!line.empty())
        line += ',';
    AppendItem(line, name, value);
}

bool IsRoutingField(std::string_view name)
{
    return name == "SurveyFile" || name == "AccountID" || name == "ResultURL";
}

ResponseText MakeResponseText(
    std::string_view remoteAddr, std::string_view userAgent, const std::vector<FormField>& fields)
{
    ResponseText text;
    AppendDataItem(text.head, "RemoteAddr", remoteAddr);
    AppendDataItem(text.head, "UserAgent", userAgent);
    for (const auto& field : fields) {
        if (!IsStorableName(field.name))
            continue;
        if (IsRoutingField(field.name) || IsServerName(field.name))
            continue;
        text.tail += ',';
        AppendItem(text.tail, field.name, field.value);
    }
    return text;
}

std::string ResponseLine(const ResponseText& text, std::string_view dateRec)
{
    std::string line;
    line.reserve(text.head.size() + text.tail.size() + 24);
    line += text.head;
    AppendDataItem(line, "DateRec", dateRec);
    line += text.tail;
    return line;
}

std::vector<std::string> SplitCommaText(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i <= text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        std::string item;
        if (i < text.size() && text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i];
            }
            while (i < text.size() && text[i] != ',')
                ++i;
        } else {
            const auto end = std::min(text.find(',', i), text.size());
            item.assign(text.substr(i, end - i));
            while (!item.empty() && item.back() == ' ')
                item.pop_back();
            i = end;
        }
        items.push_back(std::move(item));
        ++i; // past the comma (or past the end)
    }
    return items;
}

} // namespace orvserver
