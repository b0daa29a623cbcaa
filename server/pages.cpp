#include "pages.h"

namespace orvserver {

namespace {

std::string Page(std::string_view title, std::string_view content)
{
    std::string page = "<!DOCTYPE html>\r\n<HTML><HEAD><META CHARSET=\"utf-8\"><TITLE>";
    page += HtmlEscape(title);
    page += "</TITLE></HEAD>\r\n<BODY STYLE=\"font-family: sans-serif; margin: 2em;\">\r\n<H2>";
    page += HtmlEscape(title);
    page += "</H2>\r\n";
    page += content;
    page += "\r\n</BODY></HTML>\r\n";
    return page;
}

} // namespace

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

Reply PageReply(int status, std::string_view title, std::string_view message)
{
    Reply reply;
    reply.status = status;
    reply.body = Page(title, "<P>" + HtmlEscape(message) + "</P>");
    return reply;
}

Reply ThankYouReply()
{
    static const Reply page = PageReply(200, "Thank you", "Your answers have been received.");
    return page;
}

Reply RegistrationCompleteReply()
{
    Reply reply;
    reply.body
        = Page("Registration Complete", "<P>The survey is registered and ready to collect responses.</P>");
    return reply;
}

Reply ClearConfirmationReply(
    std::string_view action, const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string form = "<P>This will delete every response to this survey that is stored on the server. "
                       "Responses already downloaded into your response table are not affected.</P>\r\n"
                       "<FORM METHOD=\"POST\" ACTION=\""
        + HtmlEscape(action) + "\">\r\n";
    for (const auto& [name, value] : fields)
        form += "<INPUT TYPE=\"HIDDEN\" NAME=\"" + HtmlEscape(name) + "\" VALUE=\"" + HtmlEscape(value)
            + "\">\r\n";
    form += "<INPUT TYPE=\"SUBMIT\" VALUE=\"Clear Responses\">\r\n</FORM>";
    Reply reply;
    reply.body = Page("Clear responses from the server?", form);
    return reply;
}

} // namespace orvserver
