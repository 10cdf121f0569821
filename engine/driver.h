// The installation driver: the bootstrap derivations it makes, as functions
// that take buffers so they can be tested on their own.
#pragma once

#include <stddef.h>

// Cuts a module file name at its last backslash: A:\SETUP.EXE gives A:. A
// name without a backslash gives "." (the current directory).
void DeriveSourceDir(char *moduleName);

// From what GetTempPathA returned (length as returned, capacity of the
// buffer): removes the trailing character. On failure or overflow falls back
// to the Windows directory given. C:\TEMP\ gives C:\TEMP.
void DeriveTempDir(char *tempDir, size_t capacity, unsigned returned,
                   const char *fallback);

int RunSetup(void *instance);
