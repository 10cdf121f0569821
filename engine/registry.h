// Registry string values and win.ini entries, with the install-directory
// placeholder "#s\" replaced in their values.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include "core/paths.h"

// Creates or opens root\subkey and sets valueName to data as REG_SZ. Writes
// the four "RegDB" lines when the value was set. Root outside 0..3: false.
bool WriteRegistryString(int root, const char *subkey, const char *valueName,
                         const char *data, FILE *log);

// The short (8.3) form of path into dest, at most 249 characters; the long
// form, cut likewise, when the platform cannot give a short one. A drive
// root comes without its backslash (C:), to be joined with one.
void ShortInstallDir(char *dest, size_t capacity, const char *path);

void WriteRegistryEntries();
void WriteWinIniEntries();
