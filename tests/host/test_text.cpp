// The bounded string helpers, at exact fit and one too small.
#include <gtest/gtest.h>
#include <string.h>

#include "core/text.h"

TEST(Text, CopyAndAppendAtExactFitAndOneTooSmall)
{
    char buffer[8];
    memset(buffer, 'X', sizeof buffer);
    EXPECT_TRUE(CopyText(buffer, 6, "abcde"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_EQ('X', buffer[6]);
    EXPECT_FALSE(CopyText(buffer, 5, "abcde"));
    EXPECT_STREQ("abcd", buffer);

    memset(buffer, 'X', sizeof buffer);
    CopyText(buffer, 6, "ab");
    EXPECT_TRUE(AppendText(buffer, 6, "cde"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_FALSE(AppendText(buffer, 6, "f"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_EQ('X', buffer[6]);
}

TEST(Text, JoinPathRefusesWhatDoesNotFit)
{
    char path[8];
    EXPECT_TRUE(JoinPath(path, sizeof path, "C:", "ab.c"));
    EXPECT_STREQ("C:\\ab.c", path);
    EXPECT_FALSE(JoinPath(path, sizeof path, "C:", "abc.d"));
    EXPECT_STREQ("", path);
}

// FormatText at exact fit, one too small and far too small. msvcrt.dll's
// _vsnprintf leaves a cut text unterminated (returning the capacity or -1),
// glibc's vsnprintf does not: either way the text ends within the capacity,
// nothing past it is written, and the cut is reported.
TEST(Text, FormatTextTerminatesAndReportsACut)
{
    struct Case {
        size_t capacity;
        const char *text;
        bool fits;
        const char *expected;
    };
    const Case cases[] = {
        {6, "abcde", true, "abcde"},
        {6, "abcdef", false, "abcde"},
        {6, "abcdefghijk", false, "abcde"},
        {1, "", true, ""},
        {1, "a", false, ""},
    };
    for (const Case &c : cases) {
        char buffer[16];
        memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(c.fits, FormatText(buffer, c.capacity, "%s", c.text)) << c.text;
        EXPECT_STREQ(c.expected, buffer) << c.text;
        EXPECT_EQ('X', buffer[c.capacity]) << c.text;
    }
    char untouched = 'X';
    EXPECT_FALSE(FormatText(&untouched, 0, "%d", 1));
    EXPECT_EQ('X', untouched);
}
