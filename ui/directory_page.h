// The install-directory page (template 3).
#pragma once

#include <windows.h>

INT_PTR CALLBACK DirectoryPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Free kilobytes of a drive root; 0 when unknown; clamped at 0x7FFFFFFF.
LONG GetFreeSpaceKb(const char *root);
// Replaces every component of path (a buffer of MAX_PATH characters) by its
// shell display name; the result ends in a backslash.
void MakeDisplayPath(char *path);
