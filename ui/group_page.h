// The program-group page (template 4).
#pragma once

#include <windows.h>

INT_PTR CALLBACK GroupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Adds the display name of every sub-folder of folder to listBox. An empty or
// unreachable folder adds nothing; paths that would not fit are skipped.
void FillProgramGroups(HINSTANCE instance, HWND listBox, const char *folder);
