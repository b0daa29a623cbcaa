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
    EXPECT_EQ(v.DataDirectory, QStringLiteral("/data/"));
    EXPECT_FALSE(v.AutoReopen);
    EXPECT_TRUE(v.WarnDeleteQuestions && v.WarnUngroupSkipGroup && v.WarnChangesToPublishedSurvey
        && v.WarnMoveSkipGroup);
    EXPECT_TRUE(v.TipsAtStartup);
    EXPECT_EQ(v.OutgoingPort, QStringLiteral("25"));
    EXPECT_EQ(v.ProxyPort, QStringLiteral("0"));
    EXPECT_EQ(v.DefaultHTML, 0);
}

TEST(Preferences, PortsFallBackWhenTheyAreNotNumbers)
{
    struct Case {
        const char* Outgoing;
        const char* Proxy;
        const char* StoredOutgoing;
        const char* StoredProxy;
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
        v.OutgoingPort = QString::fromUtf8(c.Outgoing);
        v.ProxyPort = QString::fromUtf8(c.Proxy);
        WritePreferences(v, s);
        EXPECT_EQ(
            s.Value(Preferences, OutgoingPort), std::optional<QString>(QString::fromUtf8(c.StoredOutgoing)));
        EXPECT_EQ(s.Value(Preferences, ProxyPort), std::optional<QString>(QString::fromUtf8(c.StoredProxy)));
    }
}

TEST(Preferences, WarningsAreStoredInvertedAndTheDataDirectoryEndsInASlash)
{
    TMemorySettings s;
    s.WriteBool(DisabledWarnings, MoveSkipGroup, true);
    TPreferenceValues v = ReadPreferences(s, QStringLiteral("/data/"));
    EXPECT_FALSE(v.WarnMoveSkipGroup);
    v.WarnDeleteQuestions = false;
    v.WarnMoveSkipGroup = true;
    v.DataDirectory = QStringLiteral("/home/pat/surveydata");
    v.DefaultHTML = 1;
    WritePreferences(v, s);
    EXPECT_TRUE(s.ReadBool(DisabledWarnings, DeleteQuestions, false));
    EXPECT_FALSE(s.ReadBool(DisabledWarnings, MoveSkipGroup, true));
    EXPECT_FALSE(s.ReadBool(DisabledWarnings, UngroupSkipGroup, true));
    EXPECT_EQ(s.ReadString(ApplicationDetails, DataDirectory, {}), QStringLiteral("/home/pat/surveydata/"));
    EXPECT_EQ(HtmlExtensionFor(ReadPreferences(s, {}).DefaultHTML), QStringLiteral(".html"));
    EXPECT_EQ(HtmlExtensionFor(0), QStringLiteral(".htm"));
}
