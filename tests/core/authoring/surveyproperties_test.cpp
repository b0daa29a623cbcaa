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
    v.displayTemplate = QStringLiteral("default.ovg");
    v.serverURL = QStringLiteral("http://www.example.com/scripts/orv.dll");
    return v;
}

} // namespace

TEST(SurveyProperties, UrlCheck)
{
    struct Case {
        const char* result;
        int server;
        const char* serverURL;
        const char* refused;
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
        v.resultURL = QString::fromUtf8(c.result);
        v.serverStyle = c.server;
        v.serverURL = QString::fromUtf8(c.serverURL);
        EXPECT_EQ(Refused(v), c.refused) << c.result << " | " << c.serverURL;
    }
    TPropertyValues noTemplate = Valid();
    noTemplate.displayTemplate.clear();
    EXPECT_EQ(Refused(noTemplate).rfind("cmbDisplayTemplate: ", 0), 0u);
}

TEST(SurveyProperties, AccountIDIsKeptOnlyForTheHostedService)
{
    TSurvey survey;
    survey.NewSurvey();
    TPropertyValues v = Valid();
    v.accountID = QStringLiteral("ACME-42");
    v.serverStyle = kServerHosted;
    ApplyProperties(v, survey);
    EXPECT_EQ(survey.ProcessResponses(), 1);
    EXPECT_EQ(survey.AccountID(), QStringLiteral("ACME-42"));
    EXPECT_EQ(PropertiesFromSurvey(survey).accountID, QStringLiteral("ACME-42"));
    EXPECT_EQ(PropertiesFromSurvey(survey).serverURL, DefaultFormAction());

    v.serverStyle = kServerPrivate;
    ApplyProperties(v, survey);
    EXPECT_EQ(survey.ProcessResponses(), 0);
    EXPECT_EQ(survey.AccountID(), QString());
    survey.SetAccountID(QStringLiteral("left over"));
    EXPECT_EQ(PropertiesFromSurvey(survey).accountID, QString()); // not shown for a private server
}

TEST(SurveyProperties, RoundTripThroughTheDialogValues)
{
    TSurvey survey;
    survey.NewSurvey();
    TPropertyValues v = Valid();
    v.name = QStringLiteral("Staff survey");
    v.author = QStringLiteral("Pat");
    v.password = QStringLiteral("longerthanten");
    v.instructions = QStringLiteral("Line one\nLine two");
    v.finalComments = QStringLiteral("Thanks");
    v.resultURL = QStringLiteral("http://host/done.html");
    v.notificationFile = QStringLiteral("/tmp/list.eml");
    v.allAddresses = false;
    v.samplingPercent = 40;
    v.notifyMessage = QStringLiteral("Dear <FirstName>,\n\nPlease answer.");
    v.attachSurvey = true;
    v.only1Email = true;
    v.only1IP = true;
    v.limitByIP = true;
    v.ipAddresses = {QStringLiteral("192.168.10"), QStringLiteral("10.0")};
    survey.SetModified(false);
    ApplyProperties(v, survey);
    EXPECT_TRUE(survey.Modified());
    EXPECT_EQ(survey.Password(), QStringLiteral("longerthan"));
    EXPECT_EQ(survey.Instructions(), QStringLiteral("Line one&crlf;Line two"));

    const TPropertyValues back = PropertiesFromSurvey(survey);
    EXPECT_EQ(back.instructions, v.instructions);
    EXPECT_EQ(back.notifyMessage, v.notifyMessage);
    EXPECT_EQ(back.ipAddresses, v.ipAddresses);
    EXPECT_EQ(back.samplingPercent, 40);
    EXPECT_FALSE(back.allAddresses);
    EXPECT_TRUE(back.attachSurvey && back.only1Email && back.only1IP && back.limitByIP);
    EXPECT_EQ(back.serverURL, v.serverURL);
}

TEST(SurveyProperties, MakeDefaultStoresOnlyItsNineValues)
{
    TSurvey survey;
    survey.NewSurvey();
    TPropertyValues v = Valid();
    v.name = QStringLiteral("Not a default");
    v.author = QStringLiteral("Pat");
    v.password = QStringLiteral("secret");
    v.instructions = QStringLiteral("Hello\nthere");
    v.finalComments = QStringLiteral("Bye");
    v.displayTemplate = QStringLiteral("modern.ovg");
    v.resultURL = QStringLiteral("http://host/done.html");
    v.notificationFile = QStringLiteral("/tmp/list.eml");
    v.only1IP = true;
    v.limitByIP = true;
    v.ipAddresses = {QStringLiteral("10.1.2")};
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
        bool limit;
        bool selected;
        const char* entry;
        bool list, add, del;
    };
    const Case cases[] = {
        {false, true, "10.0", false, false, false},
        {true, false, "", true, false, false},
        {true, false, "1", true, true, false},
        {true, true, "", true, false, true},
    };
    for (const Case& c : cases) {
        const TIPListState s = IPListState(c.limit, c.selected, QString::fromUtf8(c.entry));
        EXPECT_EQ(s.listEnabled, c.list);
        EXPECT_EQ(s.addEnabled, c.add);
        EXPECT_EQ(s.deleteEnabled, c.del);
    }
}
