// The shell server's two removal commands, as the uninstaller sends them.
#include <gtest/gtest.h>

#include "tools/shelldde/commands.h"

TEST(ShellDdeDelete, ParsesGroupAndItemRemovals)
{
    struct Case {
        const char *line;
        bool parses;
        int kind;
        const char *name;
    } cases[] = {
        {"[DeleteGroup(\"Tools \"Best\", Ever\")]", true, CommandDeleteGroup, "Tools \"Best\", Ever"},
        {"[deletegroup(Plain)]", true, CommandDeleteGroup, "Plain"},
        {"[DeleteItem(\"Read me, please\")]", true, CommandDeleteItem, "Read me, please"},
        {"[DeleteItem(\"The \"App\", started\")]", true, CommandDeleteItem, "The \"App\", started"},
        {"[DeleteGroup(\"\")]", false, 0, ""},
        {"[DeleteItem()]", false, 0, ""},
        {"[DeleteItem(\"x\")", false, 0, ""},
        {"[ShowGroup(\"x\",0)]", true, CommandShowGroup, "x"},
    };
    for (const Case &c : cases) {
        GroupCommand command;
        ASSERT_EQ(c.parses, ParseGroupCommand(c.line, &command)) << c.line;
        if (!c.parses) continue;
        EXPECT_EQ(c.kind, command.Kind) << c.line;
        EXPECT_STREQ(c.name, command.Name) << c.line;
    }
}
