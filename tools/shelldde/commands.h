// The command texts of the shell's DDE server: one bracketed command per
// line, names between double quotes and not escaped, so that a name may
// hold quotes, commas and brackets. The parts are found from the known
// structure of each command, not by tokenising.
#pragma once

#include <stddef.h>

#include "core/names.h"  // IsDeviceName

enum { CommandLineSize = 1024 };

enum GroupCommandKind {
    CommandCreateGroup = 1,  // [CreateGroup("name")]
    CommandShowGroup,        // [ShowGroup("name",n)]
    CommandAddItem,          // [AddItem(command,"name")]
    CommandExitServer,       // [ExitServer()]
    CommandDeleteGroup,      // [DeleteGroup("name")]
    CommandDeleteItem        // [DeleteItem("name")], in the group last created or shown
};

struct GroupCommand {
    int Kind;
    char Name[CommandLineSize];    // group name, or the item's name
    char Target[CommandLineSize];  // AddItem: the command
    int Show;                      // ShowGroup: the show command
};

// Copies the line that starts at text[at] (without its line end) into line
// and returns where the next line starts. A line too long for line comes
// back as "?", which no command matches.
size_t NextCommandLine(const char *text, size_t length, size_t at, char *line,
                       size_t capacity);

// False for a line that is no command known here.
bool ParseGroupCommand(const char *line, GroupCommand *command);

// A name made fit for a file name: characters the file system refuses,
// and a trailing dot or blank, become "_", and so does the first character
// of a device name (CON, NUL, COM1, ..., also with an extension), which
// would name the device instead of a file. False for an empty name or one
// that does not fit.
bool MakeFileName(const char *name, char *dest, size_t capacity);

// The working directory of an item's command: the command up to its last
// backslash, empty without one. False, workDir empty, when the command does
// not fit in capacity - 1 characters: such a command is refused, not cut.
bool ItemWorkingDirectory(const char *command, char *workDir, size_t capacity);
