// The shell's program-group commands, as SETUP.EXE and UNINST.EXE send them
// and the shell server reads them: one bracketed command per line, a
// command name, its arguments in parentheses, names between double quotes
// and not escaped (a name may hold commas and brackets, not a quote). The
// uninstaller sends only names that IsSendableGroupName (group_text.h)
// accepts; the shell server reads a line whole, from its first parenthesis
// to its last ")]", so a bracket inside the quotes ends nothing.
#pragma once

#define GroupCommandCreateGroup "CreateGroup"
#define GroupCommandShowGroup "ShowGroup"
#define GroupCommandAddItem "AddItem"
#define GroupCommandDeleteGroup "DeleteGroup"
#define GroupCommandDeleteItem "DeleteItem"
#define GroupCommandExitServer "ExitServer"

// The show commands of ShowGroup, the platform's SW_HIDE, SW_SHOWNORMAL and
// SW_MINIMIZE.
enum {
    GroupShowHide = 0,
    GroupShowNormal = 1,
    GroupShowMinimized = 6
};

// Each command a line: the quoted names, the show command in decimal.
#define CreateGroupFormat "[" GroupCommandCreateGroup "(\"%s\")]\n"
#define ShowGroupFormat "[" GroupCommandShowGroup "(\"%s\",%d)]\n"
// The directory, a backslash and the command file; then the item's name.
#define AddItemFormat "[" GroupCommandAddItem "(%s\\%s,\"%s\")]\n"
#define DeleteGroupFormat "[" GroupCommandDeleteGroup "(\"%s\")]\n"
#define DeleteItemFormat "[" GroupCommandDeleteItem "(\"%s\")]\n"
