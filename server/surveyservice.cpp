#include "surveyservice.h"

#include "pages.h"

#include <cctype>

namespace orvserver {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

Reply DataErrorReply(std::string_view message)
{
    Reply reply;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = "<ERROR>\r\n" + std::string(message) + "\r\n";
    return reply;
}

Reply RegisterErrorReply(std::string_view message)
{
    return PageReply(200, "Registration failed", message);
}

bool IsFormBody(std::string_view contentType)
{
    const auto type = Trim(contentType.substr(0, contentType.find(';')));
    return EqualsNoCase(type, "application/x-www-form-urlencoded");
}

// A survey name is short printable text (the program makes "S" and twelve digits).
bool IsSurveyName(std::string_view name)
{
    if (name.empty() || name.size() > 200)
        return false;
    for (unsigned char c : name)
        if (c < ' ' || c == 0x7f)
            return false;
    return true;
}

// A survey registered without its file learns its result address from the first post.
bool LearnsResultUrl(const SurveyRecord& survey, const std::string& postedResultUrl)
{
    return survey.resultUrl.empty() && survey.questions.empty() && IsRedirectTarget(postedResultUrl);
}

Reply NotStoredReply()
{
    return PageReply(503, "Answers not stored",
        "Your answers could not be stored just now. Please go back and send them again.");
}

Reply ReplyAfterPost(const std::string& target)
{
    if (!IsRedirectTarget(target))
        return ThankYouReply();
    Reply reply;
    reply.status = 303;
    reply.location = target;
    reply.body = PageReply(303, "Thank you", "Your answers have been received.").body;
    return reply;
}

} // namespace

bool SameSecret(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

bool IsRedirectTarget(std::string_view url)
{
    const bool http = url.size() > 7 && EqualsNoCase(url.substr(0, 7), "http://");
    const bool https = url.size() > 8 && EqualsNoCase(url.substr(0, 8), "https://");
    if ((!http && !https) || url.size() > 2000)
        return false;
    for (unsigned char c : url)
        if (c <= ' ' || c == 0x7f)
            return false;
    return true;
}

std::string ResultUrlOfSurveyText(std::string_view surveyText)
{
    bool inDetails = false;
    for (const auto& line : SplitCommaText(surveyText)) {
        const auto text = Trim(line);
        if (text.starts_with('[')) {
            inDetails = EqualsNoCase(text, "[Details]");
            continue;
        }
        const auto eq = text.find('=');
        if (!inDetails || eq == std::string_view::npos
            || !EqualsNoCase(Trim(text.substr(0, eq)), "ResultURL"))
            continue;
        auto value = Trim(text.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return {};
}

SurveyService::SurveyService(ResponseStore& store, ServiceOptions options)
    : store_(store)
    , options_(options)
    , surveys_(store)
    , commits_(store)
{
}

Reply SurveyService::Handle(const Request& request)
{
    const bool get = request.method == "GET", post = request.method == "POST";
    const auto& path = request.path;
    if (path.empty() && post)
        return FormPost(request);
    if (path.empty() && get)
        return PageReply(
            200, "Orvalle Response Server", "This address collects the answers of survey pages.");
    if (EqualsNoCase(path, "/VerifyServer") && get)
        return Verify();
    if (EqualsNoCase(path, "/RegisterSurvey") && get)
        return Register(request, false);
    if (EqualsNoCase(path, "/RegSurvey") && post)
        return Register(request, true);
    if (EqualsNoCase(path, "/GetResults") && get)
        return Download(request);
    if (EqualsNoCase(path, "/clearSurvey") && (get || post))
        return Clear(request);
    return PageReply(404, "Not found", "There is nothing at this address.");
}

bool SurveyService::Decode(std::string_view text, std::vector<FormField>& fields, Reply& refusal) const
{
    auto decoded = DecodeForm(text, options_.limits);
    switch (decoded.error) {
    case FormError::None:
        fields = std::move(decoded.fields);
        return true;
    case FormError::BadEncoding:
        refusal = PageReply(400, "Bad request", "The form data is not properly encoded.");
        return false;
    case FormError::TooManyFields:
        refusal = PageReply(413, "Too many fields", "The form sent more fields than this server accepts.");
        return false;
    case FormError::FieldTooLong:
        refusal = PageReply(413, "Answer too long", "One of the answers is longer than this server accepts.");
        return false;
    }
    return false;
}

Reply SurveyService::Verify() const
{
    Reply reply;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = kVerifyText;
    reply.body += "\r\n";
    return reply;
}

Reply SurveyService::Register(const Request& request, bool withSurveyFile)
{
    std::vector<FormField> fields;
    Reply refusal;
    if (!Decode(withSurveyFile ? request.body : request.query, fields, refusal))
        return refusal;
    SurveyRecord survey{
        FieldValue(fields, "SurveyFile"), FieldValue(fields, "ID"), FieldValue(fields, "AccountID"), {}, {}};
    if (!IsSurveyName(survey.name))
        return RegisterErrorReply("The request names no survey.");
    if (options_.accounts && !store_.HasAccount(survey.account))
        return RegisterErrorReply("The account ID is not known to this server.");
    if (withSurveyFile) {
        survey.questions = FieldValue(fields, "Questions");
        if (survey.questions.empty())
            return RegisterErrorReply("The request holds no survey.");
        survey.resultUrl = ResultUrlOfSurveyText(survey.questions);
    }
    if (!store_.RegisterSurvey(survey))
        return RegisterErrorReply("This survey is already registered with this server under another ID.");
    surveys_.Forget(survey.name);
    return RegistrationCompleteReply();
}

Reply SurveyService::Download(const Request& request)
{
    std::vector<FormField> fields;
    Reply refusal;
    if (!Decode(request.query, fields, refusal))
        return DataErrorReply("The request is not properly encoded.");
    const auto name = FieldValue(fields, "SurveyFile");
    const auto survey = store_.FindSurvey(name);
    if (!survey)
        return DataErrorReply("The survey is not registered with this server.");
    if (!SameSecret(FieldValue(fields, "ID"), survey->id))
        return DataErrorReply("The survey ID is not correct.");
    const auto lastUpdate = ParseLastUpdate(FieldValue(fields, "LastUpdate"));
    if (!lastUpdate)
        return DataErrorReply("LastUpdate must be Never or a time of 14 digits.");

    struct Progress {
        ResponseCursor cursor;
        Stamp cutoff = 0;
        bool started = false, finished = false;
    };
    auto progress = std::make_shared<Progress>();
    progress->cursor.received = *lastUpdate;
    progress->cutoff = store_.DownloadCutoff();
    Reply reply;
    reply.contentType = "text/plain; charset=utf-8";
    reply.stream = [this, progress, name](std::string& piece) {
        if (!progress->started) {
            piece += "<DATA>\r\n";
            progress->started = true;
        }
        const auto rows
            = store_.ReadResponses(name, progress->cursor, progress->cutoff, options_.downloadPage);
        for (const auto& row : rows) {
            piece += row.line;
            piece += "\r\n";
        }
        if (!rows.empty())
            progress->cursor = {rows.back().received, rows.back().seq};
        if (static_cast<int>(rows.size()) < options_.downloadPage) {
            piece += "</DATA>\r\n";
            return false;
        }
        return true;
    };
    return reply;
}

Reply SurveyService::Clear(const Request& request)
{
    std::vector<FormField> fields;
    Reply refusal;
    const bool post = request.method == "POST";
    if (!Decode(post ? request.body : request.query, fields, refusal))
        return refusal;
    const auto name = FieldValue(fields, "SurveyFile");
    const auto survey = store_.FindSurvey(name);
    if (!survey)
        return PageReply(404, "Unknown survey", "The survey is not registered with this server.");
    const auto id = FieldValue(fields, "ID");
    if (!SameSecret(id, survey->id))
        return PageReply(403, "Wrong survey ID", "The survey ID is not correct; nothing was cleared.");
    if (!post)
        return ClearConfirmationReply("clearSurvey",
            {{"SurveyFile", name}, {"AccountID", FieldValue(fields, "AccountID")}, {"ID", id}});
    const auto removed = store_.ClearResponses(name);
    return PageReply(
        200, "Responses cleared", std::to_string(removed) + " responses were cleared from the server.");
}

std::string SurveyService::RespondentAddress(const Request& request) const
{
    if (!options_.trustProxy || request.forwardedFor.empty())
        return request.peerAddress;
    // The proxy in front of us appends the address it saw last; earlier entries are the client's claims.
    const auto comma = request.forwardedFor.rfind(',');
    const auto last
        = Trim(std::string_view(request.forwardedFor).substr(comma == std::string::npos ? 0 : comma + 1));
    return last.empty() ? request.peerAddress : std::string(last);
}

bool SurveyService::DecodePost(const Request& request, std::vector<FormField>& fields, Reply& refusal) const
{
    if (!IsFormBody(request.contentType)) {
        refusal = PageReply(
            415, "Unsupported form", "The survey page sent its answers in a form this server does not read.");
        return false;
    }
    return Decode(request.body, fields, refusal);
}

Reply SurveyService::FormPost(const Request& request)
{
    std::vector<FormField> fields;
    Reply refusal;
    if (!DecodePost(request, fields, refusal))
        return refusal;
    const auto survey = surveys_.Find(FieldValue(fields, "SurveyFile"));
    if (!survey)
        return PageReply(404, "Survey not open",
            "This survey is not registered with this server, so your answers were not stored.");
    const auto text = MakeResponseText(RespondentAddress(request), request.userAgent, fields);
    try {
        commits_.Add({survey->name, text});
    } catch (const StoreError&) {
        return NotStoredReply();
    }
    return RedirectAfterPost(*survey, FieldValue(fields, "ResultURL"));
}

bool SurveyService::HandleWithoutWaiting(const Request& request, ReplySink& done)
{
    if (EqualsNoCase(request.path, "/VerifyServer") && request.method == "GET") {
        done(Verify());
        return true;
    }
    if (!request.path.empty() || request.method != "POST")
        return false;
    std::vector<FormField> fields;
    Reply refusal;
    if (!DecodePost(request, fields, refusal)) {
        done(std::move(refusal));
        return true;
    }
    // An unknown survey, or one that learns its result address from this post, needs the database.
    const auto survey = surveys_.FindRemembered(FieldValue(fields, "SurveyFile"));
    if (!survey || LearnsResultUrl(*survey, FieldValue(fields, "ResultURL")))
        return false;
    auto text = MakeResponseText(RespondentAddress(request), request.userAgent, fields);
    commits_.Add(
        {survey->name, std::move(text)}, [survey, done = std::move(done)](Stamp, std::exception_ptr error) {
            done(error ? NotStoredReply() : ReplyAfterPost(survey->resultUrl));
        });
    return true;
}

Reply SurveyService::RedirectAfterPost(const SurveyRecord& survey, const std::string& postedResultUrl)
{
    std::string target = survey.resultUrl;
    if (LearnsResultUrl(survey, postedResultUrl)) {
        store_.SetResultUrlIfEmpty(survey.name, postedResultUrl);
        surveys_.Forget(survey.name);
        if (const auto stored = surveys_.Find(survey.name))
            target = stored->resultUrl;
    }
    return ReplyAfterPost(target);
}

} // namespace orvserver
