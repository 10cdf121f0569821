// The directories of the system that both programs start from, held without
// a trailing backslash.
#pragma once

enum { DirSize = 150 };  // the directory buffers, terminator included

extern char TempDir[DirSize];
extern char WindowsDir[DirSize];
extern char SystemDir[DirSize];

// Fills WindowsDir, SystemDir and TempDir (GetTempPathA's directory without
// its trailing backslash; the Windows directory when there is none). False
// when the temporary directory's path is TempPathLimit characters or longer:
// TempDir then holds the Windows directory.
bool FindSystemDirectories();
