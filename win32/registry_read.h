// Reading a string value of the registry, and the roots a script entry
// names by digit; the group page and the uninstaller both read the current
// user's Start-menu folder through it.
#pragma once

#include <windows.h>

#include "core/entries.h"

#define ShellFoldersKey "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
#define ProgramsValue "Programs"

// The four predefined roots, indexed by a registry entry's root digit.
extern const HKEY RegistryRoot[RegistryRootCount];

// Reads a value into dest, at most capacity bytes whatever the value's size,
// always terminated (empty on failure). False when the key cannot be opened or
// the value's size cannot be queried; the key is closed on every path.
bool ReadRegistryString(int rootIndex, const char *keyPath, const char *valueName,
                        char *dest, DWORD capacity);
// The current user's Programs folder of the Start menu, as ReadRegistryString
// reads it.
bool ReadProgramsFolder(char *dest, DWORD capacity);
