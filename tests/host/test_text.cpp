// The bounded string helpers, at exact fit and one too small.
#include <gtest/gtest.h>
#include <string.h>

#include "core/text.h"
#include "code_pages.h"

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
// One backslash between directory and name, also after a directory that
// ends in one; a backslash that may be the second byte of a double-byte
// character is not taken for one.
TEST(Text, JoinPathAddsOneBackslash)
{
    struct {
        const char *Dir, *Name, *Joined;
        bool EndsInSeparator;
    } cases[] = {
        {"C:\\APP", "a.txt", "C:\\APP\\a.txt", false},
        {"C:\\", "a.txt", "C:\\a.txt", true},
        {"C:", "a.txt", "C:\\a.txt", false},
        {"\\\\server\\share\\", "a", "\\\\server\\share\\a", true},
        {"\\", "a", "\\a", true},
        {"", "a", "\\a", false},
        {"C:\\APP\\", "sub\\a", "C:\\APP\\sub\\a", true},
        {"C:\\APP/", "a", "C:\\APP/\\a", false},
        {"C:\\\x95\\", "a", "C:\\\x95\\\\a", false},  // 0x95 0x5C: one character in 932
        {"C:\\\x95\\\\", "a", "C:\\\x95\\\\a", true},
    };
    UsingCodePage codePage(Lead932);
    for (const auto &c : cases) {
        char path[64];
        EXPECT_EQ(c.EndsInSeparator, EndsInSeparator(c.Dir)) << c.Dir;
        EXPECT_TRUE(JoinPath(path, sizeof path, c.Dir, c.Name)) << c.Dir;
        EXPECT_STREQ(c.Joined, path) << c.Dir;
    }
    char exact[9];
    EXPECT_TRUE(JoinPath(exact, sizeof exact, "C:\\", "abc.d"));
    EXPECT_FALSE(JoinPath(exact, sizeof exact, "C:\\", "abc.de"));
    EXPECT_STREQ("", exact);
}

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

// BoundedLength never reads at or past max, terminated or not.
TEST(Text, BoundedLengthStopsAtTheTerminatorOrTheBound)
{
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    const struct { const char *text; size_t max, want; } cases[] = {
        {"", 5, 0}, {"abc", 5, 3}, {"abc", 3, 3}, {"abc", 2, 2}, {"abc", 0, 0},
        {unterminated, 4, 4}, {unterminated, 2, 2},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.want, BoundedLength(c.text, c.max)) << "max " << c.max;
}

// The folded comparisons: ASCII letters only, and the sizes must agree.
TEST(Text, SameFoldedTakesAsciiCaseOnly)
{
    const struct { const char *a, *b; bool same; } cases[] = {
        {"Install.LOG", "install.log", true}, {"abc", "abcd", false}, {"", "", true},
        {"a\xC4", "A\xE4", false},  // no fold outside ASCII
        {"[rename]", "[RENAME]", true}, {"a@", "A`", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.same, SameFolded(c.a, c.b)) << c.a << " / " << c.b;
        size_t size = strlen(c.a);
        if (size == strlen(c.b)) {
            EXPECT_EQ(c.same, SameFoldedRange(c.a, c.b, size)) << c.a;
        }
    }
}
