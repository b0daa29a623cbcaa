#include "core/base/settings.h"

#include <gtest/gtest.h>

TEST(Settings, TypedReadsApplyDefaultsAndTheHexadecimalRule)
{
    TMemorySettings s;
    EXPECT_EQ(s.ReadInteger("Window Details", "Top", -200), -200);
    s.WriteString("Window Details", "Top", "0x10");
    EXPECT_EQ(s.ReadInteger("window details", "TOP", -200), 16);
    s.WriteString("Window Details", "Top", "0x");  // two characters: not hexadecimal, not a number
    EXPECT_EQ(s.ReadInteger("Window Details", "Top", -200), -200);
    s.WriteString("Window Details", "Top", "abc");
    EXPECT_EQ(s.ReadInteger("Window Details", "Top", 7), 7);
    s.WriteString("Application Details", "To Color", "0xFFFFFFFF");
    EXPECT_EQ(s.ReadInteger("Application Details", "To Color", 0), -1);

    EXPECT_TRUE(s.ReadBool("Preferences", "TipAtStartup", true));
    s.WriteBool("Preferences", "TipAtStartup", false);
    EXPECT_EQ(s.ReadString("Preferences", "TipAtStartup", ""), "0");
    EXPECT_FALSE(s.ReadBool("Preferences", "TipAtStartup", true));
    s.WriteString("Preferences", "TipAtStartup", "2");
    EXPECT_TRUE(s.ReadBool("Preferences", "TipAtStartup", false));
    s.Remove("Preferences", "TipAtStartup");
    EXPECT_FALSE(s.Value("Preferences", "TipAtStartup").has_value());
}
