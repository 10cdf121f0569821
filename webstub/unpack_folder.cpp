#include "unpack_folder.h"

#include <windows.h>

namespace {

enum {
    NameTries = 1000,
    NameSpace = 0x1000000,  // six hexadecimal digits
    NameStep = 0x9E3779,    // odd: the tries visit different names
    RemoveTries = 50,
    RemoveWaitMs = 100
};

// Every file directly in folder, deleted; true when none is left.
bool DeleteFilesIn(const char *folder)
{
    char pattern[MAX_PATH], path[MAX_PATH];
    wsprintfA(pattern, "%s\\*", folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool all = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (lstrlenA(folder) + 1 + lstrlenA(found.cFileName) >= (int)sizeof path) {
            all = false;
            continue;
        }
        wsprintfA(path, "%s\\%s", folder, found.cFileName);
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path)) all = false;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return all;
}

}  // namespace

bool MakeUnpackFolder(char *folder, size_t size)
{
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (!length || length >= sizeof temp) return false;
    if (temp[length - 1] == '\\') temp[--length] = 0;
    // "\WS123456.TMP" and a file name of 12 characters must fit in MAX_PATH.
    if (length + 14 + 13 >= MAX_PATH || size < MAX_PATH) return false;
    unsigned long name = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (int n = 0; n < NameTries; ++n, name += NameStep) {
        wsprintfA(folder, "%s\\WS%06lX.TMP", temp, name % NameSpace);
        if (CreateDirectoryA(folder, 0)) return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool RemoveUnpackFolder(const char *folder)
{
    for (int n = 0; n < RemoveTries; ++n) {
        DeleteFilesIn(folder);
        if (RemoveDirectoryA(folder)) return true;
        Sleep(RemoveWaitMs);
    }
    return false;
}
