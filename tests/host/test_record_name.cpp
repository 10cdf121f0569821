// Each product's record name, the uninstaller's record argument and the
// product's uninstall key.
#include <gtest/gtest.h>

#include <string>

#include "core/record_name.h"

TEST(RecordName, OnePerTitleWhateverTheCase)
{
    struct Case {
        const char *What, *Title, *Extension, *Expected;
    } cases[] = {
        // The CRC-32 of the title with ASCII letters in lower case.
        {"a title", "My App", RecordExtension, "install-6777397a.rec"},
        {"the same in other case", "MY APP", RecordExtension, "install-6777397a.rec"},
        {"its run file", "my app", RunExtension, "install-6777397a.run"},
        {"another title", "Packed Product", RecordExtension, "install-4599c0c4.rec"},
        {"an empty title", "", RecordExtension, "install-00000000.rec"},
    };
    for (const Case &c : cases) {
        char name[RecordNameSize];
        EXPECT_TRUE(FormatProductFileName(c.Title, c.Extension, name, sizeof name)) << c.What;
        EXPECT_STREQ(c.Expected, name) << c.What;
    }
    char small[12];
    EXPECT_FALSE(FormatProductFileName("My App", RecordExtension, small, sizeof small));
}

TEST(RecordName, OnlyAPlainRecordNameIsTaken)
{
    struct Case {
        const char *What, *Line, *Name, *Rest;
    } cases[] = {
        {"a record and nothing else", "install-6777397a.rec", "install-6777397a.rec", ""},
        {"the legacy name", "install.rec", "install.rec", ""},
        {"upper case", "INSTALL.REC /x", "INSTALL.REC", "/x"},
        {"before the remover's arguments", "  a.rec  /remove 12 \"C:\\x\\UNINST.EXE\"", "a.rec",
         "/remove 12 \"C:\\x\\UNINST.EXE\""},
        {"no argument", "", "", ""},
        {"the remover's arguments alone", "/remove 12 \"C:\\x\"", "", "/remove 12 \"C:\\x\""},
        {"a path", "C:\\x\\install.rec", "", "C:\\x\\install.rec"},
        {"a relative path", "..\\install.rec", "", "..\\install.rec"},
        {"a slash", "a/b.rec", "", "a/b.rec"},
        {"a wildcard", "*.rec", "", "*.rec"},
        {"a device", "con.rec", "", "con.rec"},
        {"another extension", "install.log", "", "install.log"},
        {"only the extension", ".rec", "", ".rec"},
        {"a quote", "\"a.rec\"", "", "\"a.rec\""},
        {"too long", "install-0123456789012345678901.rec", "", "install-0123456789012345678901.rec"},
    };
    for (const Case &c : cases) {
        char name[RecordNameSize] = "stale";
        const char *rest = TakeRecordArgument(c.Line, name, sizeof name);
        EXPECT_STREQ(c.Name, name) << c.What;
        if (c.Name[0])
            EXPECT_STREQ(c.Rest, rest) << c.What;
        else
            EXPECT_EQ(c.Line, rest) << c.What << ": the whole line stays";
    }
}

TEST(RecordName, UninstallKeyOfTheTitle)
{
    char key[300];
    EXPECT_TRUE(FormatUninstallKey("My App", key, sizeof key));
    EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My App", key);
    EXPECT_FALSE(FormatUninstallKey("", key, sizeof key)) << "no title, no key";
    EXPECT_FALSE(FormatUninstallKey(std::string(400, 'x').c_str(), key, sizeof key)) << "too long";
}

// A title installed into several directories keeps one digest per record.
TEST(RecordName, DigestListEdits)
{
    const std::string a(64, 'a'), b(64, 'b'), c(64, 'c');
    struct Case {
        const char *What;
        std::string List;
        const char *Removed, *Added;
        std::string Expected;
    } cases[] = {
        {"the first", "", 0, a.c_str(), a},
        {"a second directory", a, 0, b.c_str(), a + " " + b},
        {"a record merged into", a + " " + b, a.c_str(), c.c_str(), b + " " + c},
        {"added twice", a + " " + b, 0, a.c_str(), b + " " + a},
        {"the last taken away", a, a.c_str(), 0, ""},
        {"one of two taken away", a + " " + b, b.c_str(), 0, a},
        {"what is no digest is dropped", "x " + a + " " + std::string(63, 'b') + "  zz" + b,
         0, 0, a},
        {"upper case is no digest", std::string(64, 'A'), 0, 0, ""},
        {"an added text that is no digest", a, 0, "abc", a},
    };
    for (const Case &c : cases) {
        char list[DigestListSize];
        EditDigestList(c.List.c_str(), c.Removed, c.Added, list);
        EXPECT_EQ(c.Expected, list) << c.What;
    }
    std::string full;
    for (int i = 0; i < DigestListCount; ++i) full += (i ? " " : "") + std::string(63, 'a') + "0123456789abcdef"[i];
    char list[DigestListSize];
    EditDigestList(full.c_str(), 0, c.c_str(), list);
    EXPECT_FALSE(DigestListHolds(list, (std::string(63, 'a') + "0").c_str())) << "the oldest goes";
    EXPECT_TRUE(DigestListHolds(list, (std::string(63, 'a') + "1").c_str()));
    EXPECT_TRUE(DigestListHolds(list, c.c_str()));
    EXPECT_EQ(static_cast<size_t>(DigestListSize - 1), std::string(list).size());
    EXPECT_FALSE(DigestListHolds((a + " " + b).c_str(), std::string(64, 'c').c_str()));
    EXPECT_FALSE(DigestListHolds((a + "x").c_str(), a.c_str())) << "a longer word";
    EXPECT_FALSE(DigestListHolds(a.c_str(), a.substr(1).c_str())) << "a shorter digest";
}
