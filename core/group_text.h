// The command text of the program group, built from the group name, the
// short install directory and the item entries: a pure builder, built for
// the host too. The items come through a reader, so the builder works the
// same on the script and on a test's table.
#pragma once

#include <stddef.h>

#include "entries.h"

enum {
    GroupCommandTextSize = 10000,
    GroupCommandLineSize = 256
};

// Puts the text of item n (1-based) into text, ItemLimit characters.
typedef void (*GroupItemReader)(void *context, int n, char *text);
// Told of each item whose AddItem line made it into the text, with the
// group name as it stands in the text.
typedef void (*GroupItemAdded)(void *context, const char *groupName, const ItemEntry &item);

// CreateGroup and ShowGroup(...,1) when count is not 0, one AddItem per item
// n = 1 .. count that parses and fits, ShowGroup(...,6) last, into dest
// (capacity bytes, always terminated when capacity is not 0). A group name
// is cut so that every group line fits in GroupCommandLineSize - 1
// characters; an item whose line does not fit, or that would leave no room
// for the closing command, is left out. The group and item names go out as
// MakeSendableName leaves them; an item whose command line (directory and
// command file, which stand without quotes) holds a double quote, a closing
// parenthesis or a control character is left out, as it could end the
// command early. added may be null.
void BuildGroupText(char *dest, size_t capacity, const char *groupName,
                    const char *shortInstallDir, int count, GroupItemReader read,
                    GroupItemAdded added, void *context);

// True when a group or item name can stand between the double quotes of a
// command without changing the command: not empty, no double quote (which
// would end the name) and no control character (a line feed would start
// another command). Brackets, commas and parentheses stay inside the quotes.
bool IsSendableGroupName(const char *name);

// A name as it is sent: each double quote becomes an apostrophe and each
// control character a space, so that it stays one quoted argument.
void MakeSendableName(char *name);

// Whether a typed group name can name the group's folder: no control
// character and none of \ / : * ? " < > |. The second byte of a double-byte
// character is no character of its own (LeadByte). An empty name passes.
bool IsGroupFolderName(const char *name);
