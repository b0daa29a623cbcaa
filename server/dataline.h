#pragma once

// One response as a line of the server data file: comma text of Name=Value items. An item that
// holds a blank, a control byte, a comma or a double quote is enclosed in double quotes with its
// inner quotes doubled; carriage returns and line feeds inside a value become "&CR;" and "&LF;"
// so that a response never spans lines.

#include "formfields.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvserver {

// Appends one Name=Value item (with its leading comma when `line` is not empty).
void AppendDataItem(std::string& line, std::string_view name, std::string_view value);

// The stored parts of a response. The receive time is only known once the response is
// committed, so a line is kept as the text before and after its DateRec item.
struct ResponseText {
    std::string head; // RemoteAddr and UserAgent items
    std::string tail; // the posted answers, each with its leading comma
};

// Posted fields that route the post rather than answer the survey; they are not stored.
bool IsRoutingField(std::string_view name);

ResponseText MakeResponseText(
    std::string_view remoteAddr, std::string_view userAgent, const std::vector<FormField>& fields);
std::string ResponseLine(const ResponseText& text, std::string_view dateRec);

// Splits comma text (as the program writes the survey file's lines) into its items: items are
// separated by commas; blanks around unquoted items are dropped; a quoted item may hold anything,
// a doubled quote standing for one.
std::vector<std::string> SplitCommaText(std::string_view text);

} // namespace orvserver
