// The server's reading of command texts: names with quotes, commas and
// brackets come out whole, malformed lines are refused.
#include <gtest/gtest.h>
#include <string.h>

#include "tools/shelldde/commands.h"

struct CommandCase {
    const char *Line;
    bool Parses;
    int Kind;
    const char *Name;
    const char *Target;
    int Show;
};

TEST(ShellDdeCommands, ParsesEachCommandFromItsStructure)
{
    const CommandCase cases[] = {
        {"[CreateGroup(\"Tools\")]", true, CommandCreateGroup, "Tools", "", 0},
        {"[createGROUP(\"Tools\")]", true, CommandCreateGroup, "Tools", "", 0},
        {"[CreateGroup(\"He said \"hi\", twice\")]", true, CommandCreateGroup,
         "He said \"hi\", twice", "", 0},
        {"[CreateGroup(\"\")]", true, CommandCreateGroup, "", "", 0},
        {"[CreateGroup(Plain)]", true, CommandCreateGroup, "Plain", "", 0},
        {"[ShowGroup(\"Tools\",1)]", true, CommandShowGroup, "Tools", "", 1},
        {"[ShowGroup(\"a,b\",6)]", true, CommandShowGroup, "a,b", "", 6},
        {"[ShowGroup(\"a\",x)]", false, 0, "", "", 0},
        {"[AddItem(C:\\APP\\RUN.EXE,\"Run it\")]", true, CommandAddItem, "Run it",
         "C:\\APP\\RUN.EXE", 0},
        {"[AddItem(C:\\A\\B.EXE,\"x,\"y\"),z\")]", true, CommandAddItem, "x,\"y\"),z",
         "C:\\A\\B.EXE", 0},
        {"[AddItem(C:\\A\\TOOL.EXE)]", true, CommandAddItem, "TOOL", "C:\\A\\TOOL.EXE", 0},
        {"[AddItem(\"C:\\A B\\T.EXE\")]", true, CommandAddItem, "T", "C:\\A B\\T.EXE", 0},
        {"[ExitServer()]", true, CommandExitServer, "", "", 0},
        {"[ExitServer(1)]", false, 0, "", "", 0},
        {"[Reload()]", false, 0, "", "", 0},
        {"CreateGroup(\"x\")", false, 0, "", "", 0},
        {"[CreateGroup(\"x\")", false, 0, "", "", 0},
        {"[]", false, 0, "", "", 0},
        {"?", false, 0, "", "", 0},
    };
    for (const CommandCase &c : cases) {
        GroupCommand command;
        bool parsed = ParseGroupCommand(c.Line, &command);
        EXPECT_EQ(c.Parses, parsed) << c.Line;
        if (!parsed || !c.Parses) continue;
        EXPECT_EQ(c.Kind, command.Kind) << c.Line;
        EXPECT_STREQ(c.Name, command.Name) << c.Line;
        EXPECT_STREQ(c.Target, command.Target) << c.Line;
        if (c.Kind == CommandShowGroup) {
            EXPECT_EQ(c.Show, command.Show) << c.Line;
        }
    }
}

TEST(ShellDdeCommands, SplitsTextIntoLinesWithoutOverrun)
{
    const char text[] = "[A()]\n[B()]\r\n\nlast";
    size_t length = strlen(text), at = 0;
    const char *expected[] = {"[A()]", "[B()]", "", "last"};
    for (const char *line : expected) {
        char buffer[16];
        ASSERT_LT(at, length);
        at = NextCommandLine(text, length, at, buffer, sizeof buffer);
        EXPECT_STREQ(line, buffer);
    }
    EXPECT_EQ(length, at);

    // A line longer than the buffer is refused whole, never cut into
    // something that might parse.
    char small[6];
    memset(small, 'X', sizeof small);
    size_t next = NextCommandLine(text, length, 0, small, 5);
    EXPECT_EQ(6u, next);
    EXPECT_STREQ("?", small);
}

TEST(ShellDdeCommands, FileNamesLoseWhatTheFileSystemRefuses)
{
    struct { const char *Name; bool Ok; const char *Result; } cases[] = {
        {"Read me", true, "Read me"},
        {"a\\b/c:d*e?f\"g<h>i|j", true, "a_b_c_d_e_f_g_h_i_j"},
        {"Tab\there", true, "Tab_here"},
        {"Ends with dots..", true, "Ends with dots__"},
        {"Ends with blank ", true, "Ends with blank_"},
        {"x,y (1)", true, "x,y (1)"},
        {"", false, ""},
    };
    for (const auto &c : cases) {
        char dest[64];
        EXPECT_EQ(c.Ok, MakeFileName(c.Name, dest, sizeof dest)) << c.Name;
        if (c.Ok) {
            EXPECT_STREQ(c.Result, dest) << c.Name;
        }
    }
    char tiny[4];
    EXPECT_FALSE(MakeFileName("four", tiny, sizeof tiny));
}

TEST(ShellDdeCommands, DeviceNamesBecomeFileNames)
{
    struct { const char *Name; bool Device; const char *Result; } cases[] = {
        {"CON", true, "_ON"},          {"nul", true, "_ul"},
        {"Aux.txt", true, "_ux.txt"},  {"PRN.tar.gz", true, "_RN.tar.gz"},
        {"COM1", true, "_OM1"},        {"lpt9.lnk", true, "_pt9.lnk"},
        {"COM0", true, "_OM0"},        {"LPT\xB9", true, "_PT\xB9"},
        {"CON .txt", true, "_ON .txt"}, {"CONIN$", true, "_ONIN$"},
        {"CON.", true, "CON_"},       {"CONSOLE", false, "CONSOLE"},
        {"COM10", false, "COM10"},     {"COM", false, "COM"},
        {"LPTX", false, "LPTX"},       {"My CON", false, "My CON"},
        {".con", false, ".con"},       {"NUL:", false, "NUL_"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.Device, IsDeviceName(c.Name)) << c.Name;
        char dest[64];
        ASSERT_TRUE(MakeFileName(c.Name, dest, sizeof dest)) << c.Name;
        EXPECT_STREQ(c.Result, dest) << c.Name;
        EXPECT_FALSE(IsDeviceName(dest)) << c.Name;
    }
}

TEST(ShellDdeCommands, ItemWorkingDirectoryIsWholeOrRefused)
{
    struct { const char *Command; size_t Capacity; bool Ok; const char *Dir; } cases[] = {
        {"C:\\APP\\RUN.EXE", 64, true, "C:\\APP"},
        {"RUN.EXE", 64, true, ""},
        {"C:\\RUN.EXE", 64, true, "C:"},
        {"C:\\APP\\RUN.EXE", 15, true, "C:\\APP"},  // 14 characters: fits exactly
        {"C:\\APP\\RUN.EXE", 14, false, ""},
    };
    for (const auto &c : cases) {
        char dir[64];
        memset(dir, 'X', sizeof dir);
        EXPECT_EQ(c.Ok, ItemWorkingDirectory(c.Command, dir, c.Capacity)) << c.Command;
        EXPECT_STREQ(c.Dir, dir) << c.Command;
    }
}
