#include "core/responses/keyset.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

// Many keys through several growths of the table, with keys that differ only in their last
// byte, an embedded NUL, the empty key and repeats; the set answers as std::set does.
TEST(KeySet, AnswersAsAnOrdinarySetThroughManyGrowths)
{
    TKeySet keys;
    std::set<std::string> expected;
    auto insert = [&](const std::string& key) {
        keys.Insert(key);
        expected.insert(key);
    };
    for (int i = 0; i < 50000; ++i)
        insert("person" + std::to_string(i * 7919 % 100003) + "@example.org");
    insert(std::string("a\0b", 3));
    insert("");
    insert("person7919@example.org"); // again
    EXPECT_EQ(keys.Size(), expected.size());
    for (const std::string& key : expected)
        ASSERT_TRUE(keys.Contains(key)) << key;
    EXPECT_FALSE(keys.Contains(std::string("a\0c", 3)));
    EXPECT_FALSE(keys.Contains("a"));
    EXPECT_FALSE(keys.Contains("person7919@example.or"));
    EXPECT_FALSE(keys.Contains("person7919@example.orgx"));
    for (int i = 100003; i < 110000; ++i)
        ASSERT_FALSE(keys.Contains("person" + std::to_string(i) + "@example.org"));

    keys.Clear();
    EXPECT_EQ(keys.Size(), 0u);
    EXPECT_FALSE(keys.Contains(""));
    EXPECT_FALSE(keys.Contains("person7919@example.org"));
    keys.Insert("again");
    EXPECT_TRUE(keys.Contains("again"));
}
