#include "record_digest.h"

#include <windows.h>
#include <string.h>

#include "core/record_name.h"
#include "core/text.h"
#include "registry_read.h"

RecordVouch VouchRecord(const char *text, size_t length, const char *title)
{
    char key[RecordTextSize + sizeof UninstallKeyPrefix], kept[Sha256HexSize + 1], hex[Sha256HexSize];
    if (!FormatUninstallKey(title, key, sizeof key)) return RecordVouchNone;
    RecordDigest(text, length, hex);
    for (int root = RecordVouchMachine; root >= RecordVouchUser; --root)
        if (ReadRegistryString(root, key, RecordDigestValue, kept, sizeof kept))
            return strcmp(kept, hex) == 0 ? (RecordVouch)root : RecordVouchChanged;
    return RecordVouchNone;
}

bool StoreRecordDigest(const char *hex, const char *title)
{
    char key[RecordTextSize + sizeof UninstallKeyPrefix];
    if (!FormatUninstallKey(title, key, sizeof key)) return false;
    for (int root = RecordVouchMachine; root >= RecordVouchUser; --root) {
        HKEY opened;
        if (RegCreateKeyExA(RegistryRoot[root], key, 0, 0, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                            0, &opened, 0) != ERROR_SUCCESS)
            continue;
        bool set = RegSetValueExA(opened, RecordDigestValue, 0, REG_SZ, (const BYTE *)hex,
                                  Sha256HexSize) == ERROR_SUCCESS;
        RegCloseKey(opened);
        if (set) return true;
    }
    return false;
}

void DeleteRecordDigest(int root, const char *title)
{
    char key[RecordTextSize + sizeof UninstallKeyPrefix];
    HKEY opened;
    if (root < RecordVouchUser || root > RecordVouchMachine ||
        !FormatUninstallKey(title, key, sizeof key) ||
        RegOpenKeyExA(RegistryRoot[root], key, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened) !=
            ERROR_SUCCESS)
        return;
    RegDeleteValueA(opened, RecordDigestValue);
    DWORD subkeys = 1, values = 1;
    bool empty = RegQueryInfoKeyA(opened, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0) ==
                     ERROR_SUCCESS &&
                 !subkeys && !values;
    RegCloseKey(opened);
    // RegDeleteKeyA takes a whole tree on the 95 family: only an empty key.
    if (empty) RegDeleteKeyA(RegistryRoot[root], key);
}
