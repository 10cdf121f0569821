// The installation log's file handling and the driver's path derivations.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/driver.h"
#include "engine/install_log.h"
#include "support.h"

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

TEST(InstallLog, HeaderLinesWithTwoDigitFieldsAndCrLf)
{
    std::string temp = ScratchDir("log_temp");
    struct tm start = StartOf(2001, 3, 5, 9, 7);
    FILE *log = OpenInstallLog(temp.c_str(), &start, "Demo Product", "A:");
    ASSERT_TRUE(log != 0);
    LogLine(log, "Made Dir: %s\n", "C:\\DEMO");
    fclose(log);
    EXPECT_EQ("*** Installation Started 05/03/01 09:07 ***\r\n"
              "Title: Demo Product\r\n"
              "Source: A:\r\n"
              "Made Dir: C:\\DEMO\r\n",
              ReadWholeFile(temp + "\\install.log"));
}

TEST(InstallLog, LongLinesAreWrittenWhole)
{
    std::string temp = ScratchDir("log_long");
    struct tm start = StartOf(1999, 12, 31, 23, 59);
    std::string title(100, 'T'), source(149, 'S');
    FILE *log = OpenInstallLog(temp.c_str(), &start, title.c_str(), source.c_str());
    ASSERT_TRUE(log != 0);
    std::string path(1000, 'p');
    LogLine(log, "File Copy: %s\n", path.c_str());
    fclose(log);
    EXPECT_EQ("*** Installation Started 31/12/99 23:59 ***\r\nTitle: " + title + "\r\nSource: " +
                  source + "\r\nFile Copy: " + path + "\r\n",
              ReadWholeFile(temp + "\\install.log"));
}

TEST(InstallLog, CloseMovesTheLogAndReplacesAnEarlierOne)
{
    // A deep install directory takes paths of 128 characters and more.
    for (size_t depth : {(size_t)0, (size_t)130}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        std::string temp = ScratchDir("log_move_temp"), install = ScratchDir("log_move_install");
        if (depth) {
            install += "\\" + std::string(depth, 'd');
            ASSERT_TRUE(CreateDirectoryA(install.c_str(), 0));
        }
        WriteWholeFile(install + "\\install.log", "earlier run\r\n");
        struct tm start = StartOf(2001, 3, 5, 9, 7);
        FILE *log = OpenInstallLog(temp.c_str(), &start, "T", "S");
        ASSERT_TRUE(log != 0);
        CloseInstallLog(log, temp.c_str(), install.c_str());
        EXPECT_FALSE(FileExists(temp + "\\install.log"));
        std::string moved = ReadWholeFile(install + "\\install.log");
        EXPECT_EQ(0u, moved.find("*** Installation Started 05/03/01 09:07 ***\r\n"));
    }
}

// An install directory that is the temporary directory, in either spelling,
// keeps the log just written.
TEST(InstallLog, InstallDirectoryEqualToTempKeepsTheLog)
{
    std::string temp = ScratchDir("log_same");
    char shortForm[MAX_PATH] = "";
    GetShortPathNameA(temp.c_str(), shortForm, sizeof shortForm);
    for (std::string install : {temp, std::string(shortForm), temp + "\\.\\"}) {
        SCOPED_TRACE(install);
        struct tm start = StartOf(2001, 3, 5, 9, 7);
        FILE *log = OpenInstallLog(temp.c_str(), &start, "T", "S");
        ASSERT_TRUE(log != 0);
        CloseInstallLog(log, temp.c_str(), install.c_str());
        EXPECT_EQ(0u, ReadWholeFile(temp + "\\install.log").find("*** Installation Started"));
    }
}

TEST(InstallLog, MissingInstallDirectoryLeavesTheLogInTemp)
{
    std::string temp = ScratchDir("log_stay");
    struct tm start = StartOf(2001, 3, 5, 9, 7);
    FILE *log = OpenInstallLog(temp.c_str(), &start, "T", "S");
    ASSERT_TRUE(log != 0);
    CloseInstallLog(log, temp.c_str(), (temp + "\\no\\such").c_str());
    EXPECT_TRUE(FileExists(temp + "\\install.log"));
    CloseInstallLog(0, temp.c_str(), temp.c_str());  // no stream: nothing happens
    EXPECT_EQ(0, OpenInstallLog((temp + "\\no\\such").c_str(), &start, "T", "S"));
}

}  // namespace
