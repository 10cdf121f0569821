#include "system_dirs.h"

#include <windows.h>

#include "core/paths.h"
#include "core/text.h"

char TempDir[DirSize];
char WindowsDir[DirSize];
char SystemDir[DirSize];

bool FindSystemDirectories()
{
    GetWindowsDirectoryA(WindowsDir, sizeof WindowsDir);
    GetSystemDirectoryA(SystemDir, sizeof SystemDir);
    char temp[MAX_PATH];
    unsigned returned = GetTempPathA(sizeof temp, temp);
    CopyText(TempDir, sizeof TempDir, returned && returned < TempPathLimit ? temp : "");
    DeriveTempDir(TempDir, sizeof TempDir, returned, WindowsDir);
    return returned < TempPathLimit;
}
