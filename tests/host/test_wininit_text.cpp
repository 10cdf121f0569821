// The deletion line the uninstaller adds to WININIT.INI on the Windows 95
// family: every line already there is kept, the line lands in [rename].
#include <gtest/gtest.h>

#include <string>

#include "core/wininit_text.h"

namespace {

std::string Added(const std::string &text, const char *path, size_t capacity = 4096)
{
    std::string dest(capacity, 'x');
    size_t length = AddWininitDeletion(text.data(), text.size(), path, &dest[0], capacity);
    EXPECT_EQ(length, strlen(dest.c_str())) << text;
    return dest.substr(0, length);
}

}  // namespace

TEST(WininitText, AddsTheDeletionKeepingWhatIsThere)
{
    const char *path = "C:\\WINDOWS\\TEMP\\~UNIN~1.EXE";
    struct Case {
        const char *name, *text, *expected;
    } cases[] = {
        {"no file yet", "", "[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"no section",
         "[other]\r\nkey=value\r\n",
         "[other]\r\nkey=value\r\n[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"no section, no final line end",
         "[other]\r\nkey=value",
         "[other]\r\nkey=value\r\n[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"existing section kept, line at its end",
         "[rename]\r\nC:\\NEW.TXT=C:\\OLD.TXT\r\n[later]\r\na=b\r\n",
         "[rename]\r\nC:\\NEW.TXT=C:\\OLD.TXT\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"
         "[later]\r\na=b\r\n"},
        {"duplicate NUL keys kept",
         "[rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\B.TXT\r\n",
         "[rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\B.TXT\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"section at the end without a line end",
         "[x]\r\n[Rename]\r\nNUL=C:\\A.TXT",
         "[x]\r\n[Rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"empty section header at the end",
         "[rename]",
         "[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"blank lines before the next section stay after the new line",
         "[ rename ]\r\nNUL=C:\\A.TXT\r\n\r\n[b]\r\n",
         "[ rename ]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n\r\n[b]\r\n"},
        {"lines ending in LF alone are kept as they are",
         "[rename]\nNUL=C:\\A.TXT\n",
         "[rename]\nNUL=C:\\A.TXT\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"the same deletion is not written twice",
         "[rename]\r\nnul = c:\\windows\\temp\\~unin~1.exe\r\n",
         "[rename]\r\nnul = c:\\windows\\temp\\~unin~1.exe\r\n"},
        {"a NUL line of another section does not count",
         "[other]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n[rename]\r\n",
         "[other]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n[rename]\r\n"
         "NUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
        {"only the first [rename] section is written to",
         "[rename]\r\nNUL=C:\\A.TXT\r\n[x]\r\n[rename]\r\nNUL=C:\\B.TXT\r\n",
         "[rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n[x]\r\n[rename]\r\n"
         "NUL=C:\\B.TXT\r\n"},
        {"a name that only starts like the section is another section",
         "[renamed]\r\na=b\r\n",
         "[renamed]\r\na=b\r\n[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\~UNIN~1.EXE\r\n"},
    };
    for (const Case &c : cases) {
        std::string result = Added(c.text, path);
        EXPECT_EQ(c.expected, result) << c.name;
        EXPECT_TRUE(WininitHasDeletion(result.data(), result.size(), path)) << c.name;
    }
}

TEST(WininitText, RefusesWhatCannotBeWritten)
{
    std::string text = "[rename]\r\nNUL=C:\\A.TXT\r\n";
    char dest[64];
    struct Case {
        const char *name, *path;
        size_t capacity;
    } cases[] = {
        {"empty path", "", sizeof dest},
        {"path with a line end", "C:\\A\r\nC:\\B=C:\\C", sizeof dest},
        {"too small for the result", "C:\\WINDOWS\\TEMP\\~UNIN~1.EXE", 40},
        {"no room at all", "C:\\X", 0},
    };
    for (const Case &c : cases) {
        memset(dest, 'x', sizeof dest);
        EXPECT_EQ(0u, AddWininitDeletion(text.data(), text.size(), c.path, dest, c.capacity))
            << c.name;
        if (c.capacity > 0) EXPECT_EQ(0, dest[0]) << c.name;
    }
    // Exactly enough room: the text, the line and the terminator.
    size_t need = text.size() + strlen("NUL=C:\\X\r\n") + 1;
    EXPECT_EQ(need - 1, AddWininitDeletion(text.data(), text.size(), "C:\\X", dest, need));
    EXPECT_EQ(0u, AddWininitDeletion(text.data(), text.size(), "C:\\X", dest, need - 1));
}

TEST(WininitText, GrowthCoversTheWorstCase)
{
    const char *path = "C:\\~UNINST1.EXE";
    std::string text = "[a]\r\nb=c";  // no section, no final line end
    std::string result = Added(text, path);
    EXPECT_EQ(text.size() + WininitDeletionGrowth(path), result.size());
}

TEST(WininitText, FindsDeletionsOnlyInRename)
{
    struct Case {
        const char *text;
        bool has;
    } cases[] = {
        {"[rename]\r\nNUL=C:\\A.TXT\r\n", true},
        {"[RENAME]\r\n  NUL  =  C:\\a.txt  \r\n", true},
        {"[rename]\r\nC:\\A.TXT=NUL\r\n", false},
        {"[rename]\r\nNUL=C:\\A.TXT.BAK\r\n", false},
        {"[other]\r\nNUL=C:\\A.TXT\r\n", false},
        {"NUL=C:\\A.TXT\r\n", false},
        {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.has, WininitHasDeletion(c.text, strlen(c.text), "C:\\A.TXT")) << c.text;
}
