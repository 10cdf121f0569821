// The uninstaller's pure functions over texts: which paths it may touch, the
// shell commands that take a program group away, the values as the profile
// reader gives them back, and its own command line. Free of the platform, so
// they are tested and fuzzed on the host.
#pragma once

#include <stddef.h>

#include "log_reader.h"

// True when path lies below dir (not dir itself). Compared without regard to
// ASCII case, as the file system does; a path with a "." or ".." component
// is never inside, since it could lead out again.
bool PathIsInside(const char *path, const char *dir);
// The same, dir itself included.
bool PathIsAtOrInside(const char *path, const char *dir);
// The number of components below the drive: the deeper, the larger.
int PathDepth(const char *path);

// A value as the profile reader returns it: without leading and trailing
// blanks and without one pair of enclosing double or single quotes.
void ProfileValueForm(const char *value, char *dest, size_t capacity);

// Shell commands that take away the groups of the given icon records, in
// their order: per group (at its first record) ShowGroup with 0, a
// DeleteItem for each of its items, and DeleteGroup. A group or item whose
// name IsSendableGroupName refuses (an empty one too) is left out. False,
// with dest empty, when the text does not fit in capacity.
bool BuildGroupRemovalText(const LogRecord *icons, int count, char *dest, size_t capacity);

// The remover's command line: "/remove <process handle> <UNINST.EXE path>",
// the path optionally quoted. False for any other command line.
bool ParseRemoverCommandLine(const char *commandLine, unsigned long long *handle, char *path,
                             size_t capacity);
