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
