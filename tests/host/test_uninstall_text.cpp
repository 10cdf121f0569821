// The uninstaller's pure decisions: which paths lie in a directory, profile
// values, the shell's commands for a group and the remover's command line.
#include <gtest/gtest.h>

#include <string.h>

#include "core/uninstall_text.h"

TEST(UninstallText, PathInsideDirectory)
{
    struct Case {
        const char *path, *dir;
        bool inside, atOrInside;
    } cases[] = {
        {"C:\\Demo\\a.txt", "C:\\Demo", true, true},
        {"c:\\demo\\DOCS\\a.txt", "C:\\Demo", true, true},
        {"C:\\Demo\\a.txt", "C:\\Demo\\", true, true},
        {"C:\\Demo", "C:\\Demo", false, true},
        {"C:\\Demo\\", "C:\\Demo", false, true},
        {"C:\\Demo2\\a.txt", "C:\\Demo", false, false},
        {"C:\\Dem", "C:\\Demo", false, false},
        {"C:\\Demo\\..\\Windows\\win.ini", "C:\\Demo", false, false},
        {"C:\\Demo\\.\\a", "C:\\Demo", false, false},
        {"C:\\Demo\\..", "C:\\Demo", false, false},
        {"C:\\Demo\\...txt", "C:\\Demo", true, true},
        {"C:\\Demo\\a", "", false, false},
        {"", "C:\\Demo", false, false},
        // A drive-root installation, whose log was written with one or (before)
        // two backslashes after the drive.
        {"C:\\a.txt", "C:", true, true},
        {"C:\\\\a.txt", "C:", true, true},
        {"C:\\a.txt", "C:\\", true, true},
        {"C:\\\\docs\\a.txt", "C:\\", true, true},
        {"D:\\a.txt", "C:", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.inside, PathIsInside(c.path, c.dir)) << c.path << " in " << c.dir;
        EXPECT_EQ(c.atOrInside, PathIsAtOrInside(c.path, c.dir)) << c.path << " at " << c.dir;
    }
}

TEST(UninstallText, ProfileValueAsReadBack)
{
    struct Case {
        const char *value, *form;
    } cases[] = {
        {"plain", "plain"}, {"  blanks \t", "blanks"}, {"\"quoted\"", "quoted"},
        {"'single'", "single"}, {"\"open", "\"open"}, {"\"", "\""}, {"", ""},
        {"\"a\" b \"c\"", "a\" b \"c"},
    };
    for (const Case &c : cases) {
        char form[64];
        ProfileValueForm(c.value, form, sizeof form);
        EXPECT_STREQ(c.form, form) << c.value;
    }
}

static LogRecord Icon(const char *group, const char *name)
{
    LogRecord record = {};
    record.Kind = LogRecordIcon;
    strcpy(record.Text, group);
    strcpy(record.Name, name);
    return record;
}

// A name the shell's commands cannot carry, or none, is never sent: its
// group or item is left out.
TEST(UninstallText, GroupRemovalCommands)
{
    LogRecord icons[] = {Icon("G, [y]", "B, b"),      Icon("Other", "C"),
                         Icon("G, [y]", "A"),         Icon("Typed\")][DeleteGroup(\"Victim", "D"),
                         Icon("", "E"),               Icon("Other", "say \"hi\""),
                         Icon("Other", ""),           Icon("Line\nbreak", "F")};
    char text[512];
    ASSERT_TRUE(BuildGroupRemovalText(icons, 8, text, sizeof text));
    EXPECT_STREQ("[ShowGroup(\"G, [y]\",0)]\n[DeleteItem(\"B, b\")]\n[DeleteItem(\"A\")]\n"
                 "[DeleteGroup(\"G, [y]\")]\n"
                 "[ShowGroup(\"Other\",0)]\n[DeleteItem(\"C\")]\n[DeleteGroup(\"Other\")]\n",
                 text);
    size_t needed = strlen(text) + 1;
    EXPECT_TRUE(BuildGroupRemovalText(icons, 8, text, needed));
    EXPECT_FALSE(BuildGroupRemovalText(icons, 8, text, needed - 1));
    EXPECT_STREQ("", text);
    // Nothing sendable: an empty text.
    EXPECT_TRUE(BuildGroupRemovalText(icons + 3, 2, text, sizeof text));
    EXPECT_STREQ("", text);
}

TEST(UninstallText, RemoverCommandLine)
{
    struct Case {
        const char *line;
        bool ok;
        unsigned long long handle;
        const char *path;
    } cases[] = {
        {"/remove 124 \"C:\\Program Files\\Demo\\UNINST.EXE\"", true, 124,
         "C:\\Program Files\\Demo\\UNINST.EXE"},
        {"  /remove  7  C:\\DEMO\\UNINST.EXE ", true, 7, "C:\\DEMO\\UNINST.EXE"},
        {"/remove 0 C:\\a", false, 0, ""},
        {"/remove x C:\\a", false, 0, ""},
        {"/remove 12", false, 0, ""},
        {"/remove 12 \"\"", false, 0, ""},
        {"/remove 12 \"C:\\a\" \"b\"", false, 0, ""},
        {"", false, 0, ""},
        {"/removeall 1 C:\\a", false, 0, ""},
        // A handle is at most 64 bits: the largest passes, one more does not.
        {"/remove 18446744073709551615 C:\\a", true, 18446744073709551615ULL, "C:\\a"},
        {"/remove 18446744073709551616 C:\\a", false, 0, ""},
        {"/remove 99999999999999999999 C:\\a", false, 0, ""},
        {"/remove 12x C:\\a", false, 0, ""},
    };
    for (const Case &c : cases) {
        unsigned long long handle = 0;
        char path[260] = "";
        ASSERT_EQ(c.ok, ParseRemoverCommandLine(c.line, &handle, path, sizeof path)) << c.line;
        if (!c.ok) continue;
        EXPECT_EQ(c.handle, handle) << c.line;
        EXPECT_STREQ(c.path, path) << c.line;
    }
}
