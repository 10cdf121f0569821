#include "group_page.h"

INT_PTR CALLBACK GroupPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
bool ReadRegistryString(int, const char *, const char *, char *dest, DWORD capacity)
{
    if (capacity) dest[0] = 0;
    return false;
}
void FillProgramGroups(HINSTANCE, HWND, const char *) {}
