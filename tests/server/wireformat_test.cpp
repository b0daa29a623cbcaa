// The pieces of the wire format: form decoding with its limits, the response line as the
// program's reader sees it, the result address inside a registered survey file, receive times.

#include "core/responses/datafile.h"
#include "dataline.h"
#include "formfields.h"
#include "stamp.h"
#include "surveyservice.h"

#include <gtest/gtest.h>

using namespace orvserver;

TEST(FormDecoding, DecodesOrRefuses)
{
    struct Case {
        std::string text;
        FormError error;
        std::vector<std::pair<std::string, std::string>> fields;
    };
    const std::vector<Case> cases{
        {"a=1&b=two+words", FormError::None, {{"a", "1"}, {"b", "two words"}}},
        {"name=caf%C3%A9&x=%2B%25%26", FormError::None, {{"name", "caf\xC3\xA9"}, {"x", "+%&"}}},
        {"a=1&&b&=z", FormError::None, {{"a", "1"}, {"b", ""}, {"", "z"}}},
        {"", FormError::None, {}},
        {"a=%", FormError::BadEncoding, {}},
        {"a=%4", FormError::BadEncoding, {}},
        {"a=%zz&b=1", FormError::BadEncoding, {}},
        {"%G0=1", FormError::BadEncoding, {}},
        {"a=100%", FormError::BadEncoding, {}},
    };
    for (const auto& c : cases) {
        const auto result = DecodeForm(c.text, {});
        EXPECT_EQ(result.error, c.error) << c.text;
        std::vector<std::pair<std::string, std::string>> fields;
        for (const auto& field : result.fields)
            fields.emplace_back(field.name, field.value);
        EXPECT_EQ(fields, c.fields) << c.text;
    }
}

TEST(FormDecoding, LimitsCountAndLength)
{
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "f" + std::to_string(i) + "=1&";
    EXPECT_EQ(DecodeForm(many, {}).error, FormError::TooManyFields);
    FormLimits limits;
    limits.maxFields = 100000;
    EXPECT_EQ(DecodeForm(many, limits).error, FormError::None);

    limits.maxFieldLength = 10;
    EXPECT_EQ(DecodeForm("a=0123456789", limits).error, FormError::None);
    EXPECT_EQ(DecodeForm("a=0123456789x", limits).error, FormError::FieldTooLong);
    // Escapes count as the bytes they stand for.
    EXPECT_EQ(DecodeForm("a=%41%41%41%41%41%41%41%41%41%41", limits).error, FormError::None);
}

// Whatever a respondent types comes back from the program's reader as typed, CR and LF aside.
TEST(ResponseLine, ReadsBackThroughTheProgramsReader)
{
    const std::vector<std::pair<std::string, std::string>> answers{
        {"orv1", "2"},
        {"orv2", "caf\xC3\xA9 au lait"},
        {"orv3", "a,b\"c\" d"},
        {"orv4Comment", ""},
        {"orv5", "=starts with equals"},
        {"orv6", "tab\there"},
        {"ORVEMAILADDRESS", "ann@example.org"},
    };
    std::vector<FormField> fields{{"SurveyFile", "S1"}, {"RemoteAddr", "6.6.6.6"}, {"bad=name", "x"}};
    for (const auto& [name, value] : answers)
        fields.push_back({name, value});
    const auto line = ResponseLine(
        MakeResponseText("10.0.0.7", "Mozilla/5.0 (X11; Linux) \"q\"", fields), "20240102030405");
    ASSERT_TRUE(IsResponseLine(QByteArray::fromStdString(line)));
    EXPECT_EQ(ResponseValue(line, "RemoteAddr"), "10.0.0.7");
    EXPECT_EQ(ResponseValue(line, "UserAgent"), "Mozilla/5.0 (X11; Linux) \"q\"");
    EXPECT_EQ(ResponseValue(line, "DateRec"), "20240102030405");
    for (const auto& [name, value] : answers)
        EXPECT_EQ(ResponseValue(line, QString::fromStdString(name)), QString::fromStdString(value)) << name;
    EXPECT_EQ(line.find("SurveyFile"), std::string::npos);
    EXPECT_EQ(line.find("bad=name"), std::string::npos);
}

TEST(ResponseLine, LineBreaksBecomeMarkers)
{
    const auto line = ResponseLine(MakeResponseText("1.2.3.4", "", {{"orv1", "one\r\ntwo\nthree\r"}}), "1");
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(ResponseValue(line, "orv1"), "one&CR;&LF;two&LF;three&CR;");
}

TEST(SurveyText, FindsTheResultAddressOfTheDetailsSection)
{
    struct Case {
        std::string text;
        std::string url;
    };
    const std::vector<Case> cases{
        {"[Details],Name=Demo,ResultURL=http://example.org/thanks.html,EMailAddress=",
            "http://example.org/thanks.html"},
        {"[Details],\"Name=A, B\",resulturl=https://x.org/a?b=1", "https://x.org/a?b=1"},
        {"[Details],ResultURL=,[Question1],ResultURL=http://evil.example/", ""},
        {"[Question1],ResultURL=http://evil.example/", ""},
        {"\"[Details]\",\"ResultURL=\"\"http://q.org/\"\"\"", "http://q.org/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResultUrlOfSurveyText(c.text), c.url) << c.text;
}

TEST(Redirects, OnlyPlainWebAddresses)
{
    EXPECT_TRUE(IsRedirectTarget("http://example.org/done.html"));
    EXPECT_TRUE(IsRedirectTarget("HTTPS://example.org/"));
    for (const char* bad : {"", "http://", "javascript:alert(1)", "//evil.example/", "ftp://x.org/",
             "http://x.org/\r\nSet-Cookie: a=b", "http://x.org/a b"})
        EXPECT_FALSE(IsRedirectTarget(bad)) << bad;
}

TEST(Stamps, LastUpdateAndUtcTimes)
{
    EXPECT_EQ(ParseLastUpdate("Never"), Stamp{0});
    EXPECT_EQ(ParseLastUpdate("20240102030405"), Stamp{20240102030405});
    for (const char* bad : {"", "never", "2024010203040", "202401020304050", "2024010203040x"})
        EXPECT_FALSE(ParseLastUpdate(bad)) << bad;
    EXPECT_EQ(StampFromTime(0), Stamp{19700101000000});
    EXPECT_EQ(StampFromTime(1700000000), Stamp{20231114221320});
}
