#pragma once

// The exchanges of the survey server protocol: verify, register (two forms), download, clear,
// and the survey page's own form post.

#include "commitqueue.h"
#include "formfields.h"
#include "request.h"
#include "store.h"
#include "surveycache.h"

#include <string>

namespace orvserver {

struct ServiceOptions {
    FormLimits limits;
    bool trustProxy = false; // take the respondent's address from X-Forwarded-For
    bool accounts = false; // registrations need a known AccountID
    int downloadPage = 2000; // responses read from the store per step of a download
};

// The verify reply; its first "." is the one of the protocol version, 2.1.
inline constexpr const char* kVerifyText = "Orvalle Response Server 2.1";

class SurveyService final : public RequestHandler {
public:
    SurveyService(ResponseStore& store, ServiceOptions options);

    Reply Handle(const Request& request) override;
    // Verify, and form posts for surveys whose record is at hand: decoded here, answered once
    // committed.
    bool HandleWithoutWaiting(const Request& request, ReplySink& done) override;

private:
    Reply Verify() const;
    Reply Register(const Request& request, bool withSurveyFile);
    Reply Download(const Request& request);
    Reply Clear(const Request& request);
    Reply FormPost(const Request& request);
    Reply RedirectAfterPost(const SurveyRecord& survey, const std::string& postedResultUrl);
    // Decodes a form post; false with the refusal in `refusal`.
    bool DecodePost(const Request& request, std::vector<FormField>& fields, Reply& refusal) const;

    // Decodes the query or the body; on failure `refusal` holds the reply to send.
    bool Decode(std::string_view text, std::vector<FormField>& fields, Reply& refusal) const;
    std::string RespondentAddress(const Request& request) const;

    ResponseStore& store_;
    ServiceOptions options_;
    SurveyCache surveys_;
    CommitQueue commits_;
};

// True for an http or https address that is safe to put in a Location header.
bool IsRedirectTarget(std::string_view url);
// The ResultURL of the survey file's Details section, from the registered comma text of its lines.
std::string ResultUrlOfSurveyText(std::string_view surveyText);
bool SameSecret(std::string_view a, std::string_view b);

} // namespace orvserver
