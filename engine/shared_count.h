// The shared reference counts SETUP.EXE raises (core/shared_count.h): for
// every file of a type-1 or type-2 entry and every file placed in the
// Windows or system directory, whether the entry wrote it or found it.
#pragma once

// Whether files placed in directory are shared: the Windows directory, and
// the system directory and what lies below it.
bool IsSharedDirectory(const char *directory);

// Raises path's count by one and records that in this run's record. Where
// the count cannot be written (no rights to HKEY_LOCAL_MACHINE) nothing is
// recorded, the log says so, and the uninstaller keeps the file.
void CountSharedFile(const char *path, bool foundPresent);
