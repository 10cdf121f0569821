// The install-directory page (template 3).
#pragma once

#include <windows.h>

#include "core/display_path.h"

// DlgDirListA flags of the page: sub-directories and drives, no files.
enum { DirectoryListFlags = DDL_EXCLUSIVE | DDL_DRIVES | DDL_DIRECTORY };
static_assert(DirectoryListFlags == 0xC010, "the listing's flags");

INT_PTR CALLBACK DirectoryPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Free kilobytes of a drive root; 0 when unknown; clamped at 0x7FFFFFFF.
LONG GetFreeSpaceKb(const char *root);
// Replaces every component of path (a buffer of MAX_PATH characters) by its
// shell display name, or by its own text when the shell has none; the result
// ends in a backslash. A result that would not fit leaves path unchanged and
// returns false.
bool MakeDisplayPath(char *path);
