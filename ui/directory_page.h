// The install-directory page (template 3).
#pragma once

#include <windows.h>

// DlgDirListA flags of the page: DDL_EXCLUSIVE | DDL_DRIVES | DDL_DIRECTORY.
enum { DirectoryListFlags = 0xC010 };

INT_PTR CALLBACK DirectoryPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Free kilobytes of a drive root; 0 when unknown; clamped at 0x7FFFFFFF.
LONG GetFreeSpaceKb(const char *root);
// The kilobytes of a drive's free space from its geometry, exact in 64 bits,
// truncated, clamped at 0x7FFFFFFF so that a huge drive never turns negative.
LONG FreeKbFromGeometry(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters);
// Replaces every component of path (a buffer of MAX_PATH characters) by its
// shell display name, or by its own text when the shell has none; the result
// ends in a backslash. A result that would not fit leaves path unchanged and
// returns false.
bool MakeDisplayPath(char *path);
