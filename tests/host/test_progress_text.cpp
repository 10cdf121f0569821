// The progress bound and the status line.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/progress_text.h"

namespace {

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
