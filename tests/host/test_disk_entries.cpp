// The index of file<n> keys in a section text and the profile form of a
// value, without the profile functions.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/disk_entries.h"

namespace {

// A section text from lines: each terminated, an empty line at the end.
std::string Section(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines) text.append(line).push_back(0);
    text.push_back(0);
    return text;
}

TEST(DiskSection, KeysAreMatchedAsTheProfileFunctionsDo)
{
    std::string text = Section({"file1=3,a,b", "FILE2=3,c,d", "file01=3,zero,lead",
                                "file3=first", "file3=second", "file4", "file5=",
                                "file6x=bad", "file=none", "other=1", "file7=7",
                                "file9999999999=long", "file0=zero", "File8='q'"});
    const int count = 8;
    std::vector<const char *> values(count + 1, nullptr);
    IndexDiskSection(text.data(), count, values.data());
    const char *expected[count + 1] = {0, "3,a,b", "3,c,d", "first", "", "", 0, "7", "'q'"};
    for (int n = 0; n <= count; ++n) {
        if (!expected[n]) {
            EXPECT_EQ(nullptr, values[n]) << n;
            continue;
        }
        ASSERT_NE(nullptr, values[n]) << n;
        EXPECT_STREQ(expected[n], values[n]) << n;
        EXPECT_TRUE(values[n] >= text.data() && values[n] < text.data() + text.size()) << n;
    }
    // A key above the count is not indexed.
    std::vector<const char *> few(3, nullptr);
    IndexDiskSection(text.data(), 2, few.data());
    EXPECT_STREQ("3,c,d", few[2]);
}

TEST(DiskSection, ValuesLoseOnePairOfQuotesAndAreCut)
{
    struct { const char *Value; size_t Capacity; const char *Expected; } cases[] = {
        {"3,a,b", 100, "3,a,b"},   {"\"3,q,r\"", 100, "3,q,r"}, {"'3,s,t'", 100, "3,s,t"},
        {"\"mixed'", 100, "\"mixed'"}, {"\"", 100, "\""},     {"\"\"", 100, ""},
        {"''x''", 100, "'x'"},     {"abcdef", 4, "abc"},        {nullptr, 100, ""},
        {"", 1, ""},
    };
    for (const auto &c : cases) {
        char dest[100];
        memset(dest, 'X', sizeof dest);
        CopyProfileValue(c.Value, dest, c.Capacity);
        EXPECT_STREQ(c.Expected, dest) << (c.Value ? c.Value : "(null)");
    }
}

}  // namespace
