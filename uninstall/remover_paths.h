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
// GetLongPathNameA on the NT family where the system has it (2000 on),
// LongFormByFind on the 95 family and NT 4.0.
void LongForm(const char *path, char *dest, size_t capacity);
// The long form of a full path ("C:\..." or "\\server\share\..."), built
// component by component from the names FindFirstFileA gives. False, with
// dest empty, when a component does not exist or the result does not fit.
bool LongFormByFind(const char *full, char *dest, size_t capacity);
// path without its last component.
void DirectoryOf(const char *path, char *dest, size_t capacity);
bool SamePath(const char *a, const char *b);

// Finds the system's directories (win32/system_dirs.h) and the long forms
// of the Windows and system directories.
void FindDirectories();
// Sets OriginalPath, the install directory and the log's path from
// UNINST.EXE's path.
void UseOriginal(const char *path);
