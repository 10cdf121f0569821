// The directory derivations, the install-directory placeholder, the log's
// header line, and the progress bound and status line.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/log_header.h"
#include "engine/paths.h"
#include "engine/progress_text.h"

namespace {

struct tm StartOf(int year, int month, int day, int hour, int minute)
{
    struct tm start;
    memset(&start, 0, sizeof start);
    start.tm_year = year - 1900;
    start.tm_mon = month - 1;
    start.tm_mday = day;
    start.tm_hour = hour;
    start.tm_min = minute;
    return start;
}

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
        {"drive root", "#s\\bin", "C:\\", "C:\\\\bin"},
        {"percent in value", "100% #s\\x", "C:\\APP", "100% C:\\APP\\x"},
        {"double percent", "a%%b #s\\x", "C:\\APP", "a%%b C:\\APP\\x"},
        {"directive in value", "%s %d #s\\x %n", "C:\\APP", "%s %d C:\\APP\\x %n"},
        {"directive, no placeholder", "%s%s%n", "C:\\APP", "%s%s%n"},
        {"percent in directory", "#s\\x", "C:\\100%s%n", "C:\\100%s%n\\x"},
        {"double percent in directory", "#s\\x;#s\\y", "C:\\a%%b", "C:\\a%%b\\x;C:\\a%%b\\y"},
        {"directory holds a placeholder", "#s\\x", "C:\\#s\\", "C:\\#s\\\\x"},
    };
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

TEST(InstallLog, HeaderFormatIsBounded)
{
    struct tm start = StartOf(2001, 3, 5, 9, 7);
    char header[64];
    memset(header, 'X', sizeof header);
    EXPECT_TRUE(FormatLogHeader(header, 45, &start));  // 43 characters, line end, terminator
    EXPECT_STREQ("*** Installation Started 05/03/01 09:07 ***\n", header);
    EXPECT_FALSE(FormatLogHeader(header, 44, &start));
    EXPECT_STREQ("", header);
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

TEST(Progress, BoundDoesNotWrapAndStatusLineIsCut)
{
    EXPECT_EQ(10u, ProgressUpperBound(0));
    EXPECT_EQ(10u, ProgressUpperBound(-5));
    EXPECT_EQ(65530u, ProgressUpperBound(6552));
    EXPECT_EQ(65540u, ProgressUpperBound(6553));
    EXPECT_GT(ProgressUpperBound(0x7FFFFFFF), 65540u);
    EXPECT_LE(ProgressUpperBound(0x7FFFFFFF), 0x7FFFFFFFu);

    std::string status(300, 'p');
    char line[260];
    FormatStatusLine(line, sizeof line, status.c_str());
    EXPECT_EQ(260 - 1, strlen(line));
    EXPECT_EQ(0, strncmp(line, "Copy file : ppp", 15));
}

}  // namespace
