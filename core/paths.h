// The directory derivations of the bootstrap and the install-directory
// placeholder of registry and win.ini values: pure functions over buffers,
// free of the platform, built for the host too.
#pragma once

#include <stddef.h>

enum {
    SubstitutedValueSize = 256,
    TempPathLimit = 120,  // the buffer limit passed to GetTempPathA
    ShortPathLimit = 250  // the buffer limit passed to GetShortPathNameA
};

// Cuts a module file name at its last backslash: A:\SETUP.EXE gives A:. A
// name without a backslash gives "." (the current directory).
void DeriveSourceDir(char *moduleName);

// From what GetTempPathA returned (length as returned, capacity of the
// buffer): removes the trailing character. On failure or overflow falls back
// to the Windows directory given. C:\TEMP\ gives C:\TEMP.
void DeriveTempDir(char *tempDir, size_t capacity, unsigned returned,
                   const char *fallback);

// Replaces every "#s\" in value (a buffer of SubstitutedValueSize characters,
// changed in place) by directory and a backslash (only the directory when
// it ends in one, as C:\ does: EndsInSeparator). Any "%" is copied
// unchanged; a result that does not fit is cut to 255 bytes (254 where the
// 255th would be half a character).
void SubstituteInstallDir(char *value, const char *directory);

// The levels of a directory path, top first: each is the path up to the end
// of one of its components, so C:\a\b has the levels C:\a and C:\a\b. A root
// is never a level: a drive (C:\ or C:), a leading backslash, a UNC share
// (\\server\share). Both \ and / separate; repeated and trailing separators
// make no level.
// The length of that root; 0 for a relative path.
size_t DirectoryRootLength(const char *path);
// The end (an index into path) of the first level that ends after `after`;
// 0 when there is none. The levels are had from after = 0 onwards.
size_t NextDirectoryLevel(const char *path, size_t after);
