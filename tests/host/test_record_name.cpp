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
