#include "directory_page.h"

INT_PTR CALLBACK DirectoryPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
LONG GetFreeSpaceKb(const char *) { return 0; }
void MakeDisplayPath(char *) {}
