// What WinMain gets of a command line: the program's name and the blanks
// after it skipped, a quoted name whole.
#include <gtest/gtest.h>

#include "core/command_line.h"

TEST(CommandLine, ArgumentsAfterTheProgramsName)
{
    const struct {
        const char *line;
        const char *arguments;
    } cases[] = {
        {"\"C:\\Program Files\\UNINST.EXE\" /remove 12 \"C:\\a b\"", "/remove 12 \"C:\\a b\""},
        {"C:\\SETUP\\SETUP.EXE", ""},
        {"UNINST.EXE \t  x  y", "x  y"},
        {"\"C:\\a b\\UNINST.EXE\"", ""},
        {"C:\\\"a b\"\\UNINST.EXE x", "x"},
        {"\"C:\\a b\\UNINST.EXE x", ""},
        {"", ""},
    };
    for (const auto &c : cases) EXPECT_STREQ(c.arguments, CommandLineArguments(c.line)) << c.line;
}
