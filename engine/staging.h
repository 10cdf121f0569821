// Staging: a file that replaces another is written under a temporary name
// (".~NN" added) and renamed into place only once complete. During the
// transfer that name lies in a staging directory inside the destination's
// directory.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "fileops.h"

// The staging directory's name, also where the 95 family sets files aside.
#define StagingDirectoryName "~STAGING.TMP"

// The digits of a numbered suffix, and how many numbers a new name tries.
enum { SuffixDigits = 2, NameTries = 100 };

// The length of name without a suffix of marker and two digits ("%s.~oNN",
// "%s.~NN"), or 0 when name has no such suffix.
size_t LengthBeforeNumberedSuffix(const char *name, const char *marker);

// The temporary file for destination, created new so that no other file is
// overwritten: its name with ".~NN" added, in the staging directory of its
// directory where there is one, else beside it. staging receives the path;
// failure is set only when no file could be made.
HANDLE CreateStagingFile(const char *destination, DWORD access, char *staging, FileResult *failure);
