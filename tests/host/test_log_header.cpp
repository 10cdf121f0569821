// The first line of the installation log.
#include <gtest/gtest.h>
#include <string.h>

#include "core/log_header.h"

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

}  // namespace
