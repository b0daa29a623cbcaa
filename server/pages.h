#pragma once

// The HTML pages the server shows to people (respondents and survey authors in a browser).

#include "request.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvserver {

std::string HtmlEscape(std::string_view text);
Reply PageReply(int status, std::string_view title, std::string_view message);
Reply ThankYouReply();
Reply RegistrationCompleteReply();
// The confirmation a GET of the clear address shows; its button posts `fields` back.
Reply ClearConfirmationReply(
    std::string_view action, const std::vector<std::pair<std::string, std::string>>& fields);

} // namespace orvserver
