// The uninstaller's paths, all in long form where the file system gives one,
// and the path helpers that the runner and the removal steps share.
#pragma once

#include <windows.h>
#include <stddef.h>

extern char SelfPath[MAX_PATH];      // this program
extern char OriginalPath[MAX_PATH];  // UNINST.EXE in the install directory
extern char InstallDir[MAX_PATH];
extern char LogPath[MAX_PATH];       // install.log beside UNINST.EXE
extern char LongWindowsDir[MAX_PATH];
extern char LongSystemDir[MAX_PATH];

// path in its full, long form; the full form alone when the file is gone.
void LongForm(const char *path, char *dest, size_t capacity);
// path without its last component.
void DirectoryOf(const char *path, char *dest, size_t capacity);
bool SamePath(const char *a, const char *b);

// Finds the system's directories (engine/system_dirs.h) and the long forms
// of the Windows and system directories.
void FindDirectories();
// Sets OriginalPath, the install directory and the log's path from
// UNINST.EXE's path.
void UseOriginal(const char *path);
