// The preferences as the dialog reads and writes them.
#include "core/base/preferences.h"
#include "core/base/settings.h"
#include "core/base/settingstable.h"

#include <gtest/gtest.h>

using namespace settings;

TEST(Preferences, DefaultsOfAFreshMachine)
{
    TMemorySettings none;
    const TPreferenceValues v = ReadPreferences(none, QStringLiteral("/data/"));
    EXPECT_EQ(v.dataDirectory, QStringLiteral("/data/"));
    EXPECT_FALSE(v.autoReopen);
    EXPECT_TRUE(v.warnDeleteQuestions && v.warnUngroupSkipGroup && v.warnChangesToPublishedSurvey
        && v.warnMoveSkipGroup);
    EXPECT_TRUE(v.tipsAtStartup);
    EXPECT_EQ(v.outgoingPort, QStringLiteral("25"));
    EXPECT_EQ(v.proxyPort, QStringLiteral("0"));
    EXPECT_EQ(v.defaultHTML, 0);
}

TEST(Preferences, PortsFallBackWhenTheyAreNotNumbers)
{
    struct Case {
        const char* outgoing;
        const char* proxy;
        const char* storedOutgoing;
        const char* storedProxy;
    };
    const Case cases[] = {
        {"587", "8080", "587", "8080"},
        {"abc", "abc", "25", "0"},
        {"", "", "25", "0"},
        {" 2525 ", "3128x", "2525", "0"},
    };
    for (const Case& c : cases) {
        TMemorySettings s;
        TPreferenceValues v = ReadPreferences(s, QStringLiteral("/data/"));
        v.outgoingPort = QString::fromUtf8(c.outgoing);
        v.proxyPort = QString::fromUtf8(c.proxy);
        WritePreferences(v, s);
        EXPECT_EQ(
            s.Value(Preferences, OutgoingPort), std::optional<QString>(QString::fromUtf8(c.storedOutgoing)));
        EXPECT_EQ(s.Value(Preferences, ProxyPort), std::optional<QString>(QString::fromUtf8(c.storedProxy)));
    }
}

TEST(Preferences, WarningsAreStoredInvertedAndTheDataDirectoryEndsInASlash)
{
    TMemorySettings s;
    s.WriteBool(DisabledWarnings, MoveSkipGroup, true);
    TPreferenceValues v = ReadPreferences(s, QStringLiteral("/data/"));
    EXPECT_FALSE(v.warnMoveSkipGroup);
    v.warnDeleteQuestions = false;
    v.warnMoveSkipGroup = true;
    v.dataDirectory = QStringLiteral("/home/pat/surveydata");
    v.defaultHTML = 1;
    WritePreferences(v, s);
    EXPECT_TRUE(s.ReadBool(DisabledWarnings, DeleteQuestions, false));
    EXPECT_FALSE(s.ReadBool(DisabledWarnings, MoveSkipGroup, true));
    EXPECT_FALSE(s.ReadBool(DisabledWarnings, UngroupSkipGroup, true));
    EXPECT_EQ(s.ReadString(ApplicationDetails, DataDirectory, {}), QStringLiteral("/home/pat/surveydata/"));
    EXPECT_EQ(HtmlExtensionFor(ReadPreferences(s, {}).defaultHTML), QStringLiteral(".html"));
    EXPECT_EQ(HtmlExtensionFor(0), QStringLiteral(".htm"));
}
