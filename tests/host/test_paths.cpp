// The directory derivations and the install-directory placeholder.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/paths.h"
#include "code_pages.h"

namespace {

TEST(SubstituteInstallDir, ReplacesEveryLowerCasePlaceholderVerbatim)
{
    struct Case {
        const char *What, *Value, *Directory, *Expected;
    } cases[] = {
        {"none", "plain text", "C:\\APP", "plain text"},
        {"empty", "", "C:\\APP", ""},
        {"one", "#s\\bin", "C:\\APP", "C:\\APP\\bin"},
        {"alone", "#s\\", "C:\\APP", "C:\\APP\\"},
        {"two", "#s\\a;#s\\b", "C:\\APP", "C:\\APP\\a;C:\\APP\\b"},
        {"adjacent", "#s\\#s\\", "D:", "D:\\D:\\"},
        {"capital S", "#S\\bin", "C:\\APP", "#S\\bin"},
        {"no backslash", "#s bin #s", "C:\\APP", "#s bin #s"},
        {"drive root", "#s\\bin", "C:\\", "C:\\bin"},
        {"drive root alone", "#s\\", "C:\\", "C:\\"},
        {"trailing backslash", "#s\\bin", "C:\\APP\\", "C:\\APP\\bin"},
        {"second byte of a double-byte character", "#s\\bin", "C:\\\x95\\", "C:\\\x95\\\\bin"},
        {"percent in value", "100% #s\\x", "C:\\APP", "100% C:\\APP\\x"},
        {"double percent", "a%%b #s\\x", "C:\\APP", "a%%b C:\\APP\\x"},
        {"directive in value", "%s %d #s\\x %n", "C:\\APP", "%s %d C:\\APP\\x %n"},
        {"directive, no placeholder", "%s%s%n", "C:\\APP", "%s%s%n"},
        {"percent in directory", "#s\\x", "C:\\100%s%n", "C:\\100%s%n\\x"},
        {"double percent in directory", "#s\\x;#s\\y", "C:\\a%%b", "C:\\a%%b\\x;C:\\a%%b\\y"},
        {"directory holds a placeholder", "#s\\x", "C:\\#s\\", "C:\\#s\\x"},
    };
    UsingCodePage codePage(Lead932);
    for (const Case &c : cases) {
        char value[SubstitutedValueSize];
        strcpy(value, c.Value);
        SubstituteInstallDir(value, c.Directory);
        EXPECT_STREQ(c.Expected, value) << c.What;
    }
}

TEST(SubstituteInstallDir, CutsAnOverlongResultAt255Characters)
{
    char buffer[SubstitutedValueSize + 8];
    memset(buffer, '#', sizeof buffer);
    std::string value = std::string(200, 'v') + "#s\\end";
    strcpy(buffer, value.c_str());
    buffer[SubstitutedValueSize] = 'M';  // beyond the value's buffer
    std::string directory(120, 'd');
    SubstituteInstallDir(buffer, directory.c_str());
    std::string expected = (std::string(200, 'v') + directory + "\\end").substr(0, 255);
    EXPECT_EQ(expected, std::string(buffer));
    EXPECT_EQ('M', buffer[SubstitutedValueSize]);

    // Many placeholders, each one growing the text.
    std::string many;
    while (many.size() + 3 < 255) many += "#s\\";
    strcpy(buffer, many.c_str());
    SubstituteInstallDir(buffer, "C:\\PROGRA~1\\X");
    EXPECT_EQ(255u, strlen(buffer));
    EXPECT_EQ('M', buffer[SubstitutedValueSize]);
}

TEST(DriverPaths, SourceDirectoryFromTheModuleName)
{
    struct { const char *module, *expected; } cases[] = {
        {"A:\\SETUP.EXE", "A:"},
        {"D:\\DISK1\\SETUP.EXE", "D:\\DISK1"},
        {"C:\\a\\b\\c\\SETUP.EXE", "C:\\a\\b\\c"},
        {"SETUP.EXE", "."},
        {"", "."},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.module);
        char name[150];
        strcpy(name, c.module);
        DeriveSourceDir(name);
        EXPECT_STREQ(c.expected, name);
    }
}

TEST(DriverPaths, TemporaryDirectoryWithoutItsLastCharacter)
{
    struct { const char *returned; unsigned length; const char *expected; } cases[] = {
        {"C:\\TEMP\\", 8, "C:\\TEMP"},
        {"C:\\", 3, "C:"},
        {"", 0, "C:\\WINDOWS"},                        // failed call
        {"C:\\TEMP\\", 120, "C:\\WINDOWS"},            // needs 120 or more
        {"C:\\TEMP\\", 400, "C:\\WINDOWS"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.returned);
        char temp[150];
        memset(temp, 'X', sizeof temp);
        strcpy(temp, c.returned);
        DeriveTempDir(temp, sizeof temp, c.length, "C:\\WINDOWS");
        EXPECT_STREQ(c.expected, temp);
    }
}

std::string Levels(const char *path)
{
    std::string levels;
    for (size_t end = NextDirectoryLevel(path, 0); end; end = NextDirectoryLevel(path, end)) {
        if (!levels.empty()) levels += " | ";
        levels += std::string(path, end);
    }
    return levels;
}

TEST(DirectoryLevels, TopFirstAndNeverARoot)
{
    struct {
        const char *path;
        size_t root;
        const char *levels;
    } cases[] = {
        {"C:\\Program Files\\ACME\\Ledger", 3,
         "C:\\Program Files | C:\\Program Files\\ACME | C:\\Program Files\\ACME\\Ledger"},
        {"D:\\Apps\\Acme\\", 3, "D:\\Apps | D:\\Apps\\Acme"},
        {"C:\\a\\\\b//c/", 3, "C:\\a | C:\\a\\\\b | C:\\a\\\\b//c"},
        {"C:/a/b", 3, "C:/a | C:/a/b"},
        {"C:\\", 3, ""},
        {"C:\\\\", 3, ""},
        {"C:", 2, ""},
        {"C:rel\\x", 2, "C:rel | C:rel\\x"},
        {"\\\\server\\share", 14, ""},
        {"\\\\server\\share\\", 14, ""},
        {"\\\\server\\share\\a\\b", 14, "\\\\server\\share\\a | \\\\server\\share\\a\\b"},
        {"\\\\server", 8, ""},
        {"\\\\server\\", 9, ""},
        {"//server/share/a", 14, "//server/share/a"},
        {"\\top\\sub", 1, "\\top | \\top\\sub"},
        {"\\", 1, ""},
        {"docs\\more", 0, "docs | docs\\more"},
        {"", 0, ""},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.root, DirectoryRootLength(c.path));
        EXPECT_EQ(c.levels, Levels(c.path));
    }
}

}  // namespace
