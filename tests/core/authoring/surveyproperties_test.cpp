// The survey properties' OK check, write-back and defaults, without the dialog.
#include "core/authoring/questionrules.h"
#include "core/authoring/surveyproperties.h"
#include "core/base/settings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"

#include <gtest/gtest.h>

namespace {

// The field the check names, or "" when the values pass.
std::string Refused(const TPropertyValues& v)
{
    try {
        ValidateProperties(v);
    } catch (const EValidationException& e) {
        return e.Field().toStdString() + ": " + e.Message().toStdString();
    }
    return {};
}

TPropertyValues Valid()
{
    TPropertyValues v;
    v.DisplayTemplate = QStringLiteral("default.ovg");
    v.ServerURL = QStringLiteral("http://www.example.com/scripts/orv.dll");
    return v;
}

} // namespace

TEST(SurveyProperties, UrlCheck)
{
    struct Case {
        const char* Result;
        int Server;
        const char* ServerURL;
        const char* Refused;
    };
    const Case cases[] = {
        {"", 0, "http://host/orv.dll", ""},
        {"   ", 0, "http://host/orv.dll", ""},
        {"http://host/result.html", 0, "HTTP://HOST/orv.dll", ""},
        {"https://host/result.html", 0, "https://host/orv.dll", ""}, // secure addresses pass
        {"see http://host/result.html", 0, "  http://host/orv.dll", ""}, // containment, not prefix
        {"www.example.com/result.html", 0, "http://host/orv.dll",
            "eResultURL: Your URL for the result page must include http://"},
        {"ftp://host/result.html", 0, "", "eResultURL: Your URL for the result page must include http://"},
        {"", 0, "", "eServerURL: Your URL for the server must include http://"},
        {"", 0, "host/orv.dll", "eServerURL: Your URL for the server must include http://"},
        {"", 1, "", ""}, // the hosted service's URL is not checked
        {"", 1, "junk", ""},
    };
    for (const Case& c : cases) {
        TPropertyValues v = Valid();
        v.ResultURL = QString::fromUtf8(c.Result);
        v.ServerStyle = c.Server;
        v.ServerURL = QString::fromUtf8(c.ServerURL);
        EXPECT_EQ(Refused(v), c.Refused) << c.Result << " | " << c.ServerURL;
    }
    TPropertyValues noTemplate = Valid();
    noTemplate.DisplayTemplate.clear();
    EXPECT_EQ(Refused(noTemplate).rfind("cmbDisplayTemplate: ", 0), 0u);
}

TEST(SurveyProperties, AccountIDIsKeptOnlyForTheHostedService)
{
    TSurvey survey;
    survey.NewSurvey();
    TPropertyValues v = Valid();
    v.AccountID = QStringLiteral("ACME-42");
    v.ServerStyle = kServerHosted;
    ApplyProperties(v, survey);
    EXPECT_EQ(survey.ProcessResponses(), 1);
    EXPECT_EQ(survey.AccountID(), QStringLiteral("ACME-42"));
    EXPECT_EQ(PropertiesFromSurvey(survey).AccountID, QStringLiteral("ACME-42"));
    EXPECT_EQ(PropertiesFromSurvey(survey).ServerURL, DefaultFormAction());

    v.ServerStyle = kServerPrivate;
    ApplyProperties(v, survey);
    EXPECT_EQ(survey.ProcessResponses(), 0);
    EXPECT_EQ(survey.AccountID(), QString());
    survey.SetAccountID(QStringLiteral("left over"));
    EXPECT_EQ(PropertiesFromSurvey(survey).AccountID, QString()); // not shown for a private server
}

TEST(SurveyProperties, RoundTripThroughTheDialogValues)
{
    TSurvey survey;
    survey.NewSurvey();
    TPropertyValues v = Valid();
    v.Name = QStringLiteral("Staff survey");
    v.Author = QStringLiteral("Pat");
    v.Password = QStringLiteral("longerthanten");
    v.Instructions = QStringLiteral("Line one\nLine two");
    v.FinalComments = QStringLiteral("Thanks");
    v.ResultURL = QStringLiteral("http://host/done.html");
    v.NotificationFile = QStringLiteral("/tmp/list.eml");
    v.AllAddresses = false;
    v.SamplingPercent = 40;
    v.NotifyMessage = QStringLiteral("Dear <FirstName>,\n\nPlease answer.");
    v.AttachSurvey = true;
    v.Only1Email = true;
    v.Only1IP = true;
    v.LimitByIP = true;
    v.IpAddresses = {QStringLiteral("192.168.10"), QStringLiteral("10.0")};
    survey.SetModified(false);
    ApplyProperties(v, survey);
    EXPECT_TRUE(survey.Modified());
    EXPECT_EQ(survey.Password(), QStringLiteral("longerthan"));
    EXPECT_EQ(survey.Instructions(), QStringLiteral("Line one&crlf;Line two"));

    const TPropertyValues back = PropertiesFromSurvey(survey);
    EXPECT_EQ(back.Instructions, v.Instructions);
    EXPECT_EQ(back.NotifyMessage, v.NotifyMessage);
    EXPECT_EQ(back.IpAddresses, v.IpAddresses);
    EXPECT_EQ(back.SamplingPercent, 40);
    EXPECT_FALSE(back.AllAddresses);
    EXPECT_TRUE(back.AttachSurvey && back.Only1Email && back.Only1IP && back.LimitByIP);
    EXPECT_EQ(back.ServerURL, v.ServerURL);
}

TEST(SurveyProperties, MakeDefaultStoresOnlyItsNineValues)
{
    TSurvey survey;
    survey.NewSurvey();
    TPropertyValues v = Valid();
    v.Name = QStringLiteral("Not a default");
    v.Author = QStringLiteral("Pat");
    v.Password = QStringLiteral("secret");
    v.Instructions = QStringLiteral("Hello\nthere");
    v.FinalComments = QStringLiteral("Bye");
    v.DisplayTemplate = QStringLiteral("modern.ovg");
    v.ResultURL = QStringLiteral("http://host/done.html");
    v.NotificationFile = QStringLiteral("/tmp/list.eml");
    v.Only1IP = true;
    v.LimitByIP = true;
    v.IpAddresses = {QStringLiteral("10.1.2")};
    ApplyProperties(v, survey);

    TMemorySettings settings;
    WritePropertyDefaults(survey, settings);
    using namespace settings;
    const std::pair<QLatin1String, const char*> stored[]
        = {{Author, "Pat"}, {Instructions, "Hello\nthere"}, {FinalComments, "Bye"},
            {DisplayTemplate, "modern.ovg"}, {ServerURL, "http://www.example.com/scripts/orv.dll"},
            {Only1Email, "0"}, {Only1IP, "1"}, {LimitByIP, "1"}, {IPAddresses, "10.1.2"}};
    for (const auto& [name, value] : stored)
        EXPECT_EQ(settings.Value(Defaults, name), std::optional<QString>(QString::fromUtf8(value)))
            << name.data();
    for (const QLatin1String name : {Password, AccountID, ResultURL, QLatin1String("Name"),
             QLatin1String("NotificationFile"), QLatin1String("ProcessResponses")})
        EXPECT_FALSE(settings.Value(Defaults, name).has_value()) << name.data();

    // A new survey starts from them.
    TSurvey next(&settings);
    next.NewSurvey();
    EXPECT_EQ(next.Author(), QStringLiteral("Pat"));
    EXPECT_EQ(next.GetInstructions(), QStringLiteral("Hello\rthere"));
    EXPECT_TRUE(next.Only1IP());
}

TEST(SurveyProperties, SamplingAndIPListRules)
{
    EXPECT_EQ(SamplingCaption(10), QStringLiteral("10% of list"));
    struct Case {
        bool Limit;
        bool Selected;
        const char* Entry;
        bool List, Add, Del;
    };
    const Case cases[] = {
        {false, true, "10.0", false, false, false},
        {true, false, "", true, false, false},
        {true, false, "1", true, true, false},
        {true, true, "", true, false, true},
    };
    for (const Case& c : cases) {
        const TIPListState s = IPListState(c.Limit, c.Selected, QString::fromUtf8(c.Entry));
        EXPECT_EQ(s.ListEnabled, c.List);
        EXPECT_EQ(s.AddEnabled, c.Add);
        EXPECT_EQ(s.DeleteEnabled, c.Del);
    }
}
