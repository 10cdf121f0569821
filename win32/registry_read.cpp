#include "registry_read.h"

#include <stdlib.h>

#include "core/text.h"

const HKEY RegistryRoot[RegistryRootCount] = {
    HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

bool ReadRegistryString(int rootIndex, const char *keyPath, const char *valueName,
                        char *dest, DWORD capacity)
{
    if (capacity == 0) return false;
    dest[0] = 0;
    if (rootIndex < 0 || rootIndex >= RegistryRootCount) return false;
    HKEY key;
    if (RegOpenKeyExA(RegistryRoot[rootIndex], keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, 0, 0, 0, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;
    }
    // The whole value is read into room of its own size, then cut to dest.
    char *data = size < MAXDWORD ? (char *)malloc(size + 1) : 0;
    if (data) {
        DWORD got = size;
        if (RegQueryValueExA(key, valueName, 0, 0, (BYTE *)data, &got) == ERROR_SUCCESS) {
            data[got < size ? got : size] = 0;
            CopyText(dest, capacity, data);
        }
        free(data);
    }
    RegCloseKey(key);
    return true;
}

bool ReadProgramsFolder(char *dest, DWORD capacity)
{
    return ReadRegistryString(1, ShellFoldersKey, ProgramsValue, dest, capacity);
}
