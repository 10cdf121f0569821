// The program-group page (template 4).
#pragma once

#include <windows.h>

#define ShellFoldersKey "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
#define ProgramsValue "Programs"

INT_PTR CALLBACK GroupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Reads a value into dest, at most capacity bytes whatever the value's size,
// always terminated (empty on failure). False when the key cannot be opened or
// the value's size cannot be queried; the key is closed on every path.
bool ReadRegistryString(int rootIndex, const char *keyPath, const char *valueName,
                        char *dest, DWORD capacity);
// Adds the display name of every sub-folder of folder to listBox. An empty or
// unreachable folder adds nothing; paths that would not fit are skipped.
void FillProgramGroups(HINSTANCE instance, HWND listBox, const char *folder);
