#include "record_digest.h"

#include <windows.h>
#include <string.h>

#include "core/record_name.h"
#include "core/text.h"
#include "registry_read.h"

static char Key[RecordTextSize + sizeof UninstallKeyPrefix];
static char Kept[DigestListSize], Edited[DigestListSize];

// Title's digests under root into Kept; false when there are none.
static bool ReadDigests(int root, const char *title)
{
    Kept[0] = 0;
    return FormatUninstallKey(title, Key, sizeof Key) &&
           ReadRegistryString(root, Key, RecordDigestValue, Kept, sizeof Kept);
}

RecordVouch VouchRecord(const char *text, size_t length, const char *title)
{
    char hex[Sha256HexSize];
    RecordDigest(text, length, hex);
    for (int root = RecordVouchMachine; root >= RecordVouchUser; --root)
        if (ReadDigests(root, title))
            return DigestListHolds(Kept, hex) ? (RecordVouch)root : RecordVouchChanged;
    return RecordVouchNone;
}

// Writes Edited as title's digests under root (Key holds its key); an empty
// list deletes the value. False when the key cannot be opened or written.
static bool WriteDigests(int root, bool create)
{
    HKEY opened;
    LONG done = create ? RegCreateKeyExA(RegistryRoot[root], Key, 0, 0, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE | KEY_QUERY_VALUE, 0, &opened, 0)
                       : RegOpenKeyExA(RegistryRoot[root], Key, 0,
                                       KEY_SET_VALUE | KEY_QUERY_VALUE, &opened);
    if (done != ERROR_SUCCESS) return false;
    if (Edited[0])
        done = RegSetValueExA(opened, RecordDigestValue, 0, REG_SZ, (const BYTE *)Edited,
                              (DWORD)strlen(Edited) + 1);
    else
        done = RegDeleteValueA(opened, RecordDigestValue);
    DWORD subkeys = 1, values = 1;
    bool empty = RegQueryInfoKeyA(opened, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0) ==
                     ERROR_SUCCESS &&
                 !subkeys && !values;
    RegCloseKey(opened);
    // RegDeleteKeyA takes a whole tree on the 95 family: only an empty key.
    if (empty && !create) RegDeleteKeyA(RegistryRoot[root], Key);
    return done == ERROR_SUCCESS;
}

bool StoreRecordDigest(const char *hex, const char *replaced, const char *title)
{
    for (int root = RecordVouchMachine; root >= RecordVouchUser; --root) {
        ReadDigests(root, title);
        EditDigestList(Kept, replaced, hex, Edited);
        if (Key[0] && WriteDigests(root, true)) return true;
    }
    return false;
}

void DeleteRecordDigest(int root, const char *hex, const char *title)
{
    if (root < RecordVouchUser || root > RecordVouchMachine || !ReadDigests(root, title)) return;
    EditDigestList(Kept, hex, 0, Edited);
    WriteDigests(root, false);
}
