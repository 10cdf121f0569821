// The program-group page (template 4).
#pragma once

#include <windows.h>

#define ShellFoldersKey "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"

INT_PTR CALLBACK GroupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Reads a value into dest, at most capacity bytes, always terminated.
bool ReadRegistryString(int rootIndex, const char *keyPath, const char *valueName,
                        char *dest, DWORD capacity);
void FillProgramGroups(HINSTANCE instance, HWND listBox, const char *folder);
