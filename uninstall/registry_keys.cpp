#include "registry_keys.h"

const char *const RegistryRootNames[RegistryRootCount] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

bool RegistryKeyIsEmpty(HKEY key)
{
    DWORD subkeys = 1, values = 1;
    if (RegQueryInfoKeyA(key, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}
