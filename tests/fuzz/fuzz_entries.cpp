// Fuzz target for the splits of the script's compound values: any text read
// from a script must split or be refused without reading or writing outside
// its buffers (run under AddressSanitizer).
#include <stdint.h>
#include <string.h>

#include "core/entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Values come from the profile reader: terminated, at most 249 characters.
    char text[250];
    if (size >= sizeof text) size = sizeof text - 1;
    memcpy(text, data, size);
    text[size] = 0;
    // Exactly-sized heap copy, so that any read past the terminator is caught.
    char *value = new char[size + 1];
    memcpy(value, text, size + 1);

    FileEntry file;
    if (ParseFileEntry(value, &file) &&
        (strlen(file.Source) >= sizeof file.Source || file.Destination[0] == 0))
        __builtin_trap();
    RegKeyEntry key;
    if (ParseRegKey(value, &key) && (key.Root < 0 || key.Root >= RegistryRootCount))
        __builtin_trap();
    RegValEntry val;
    ParseRegVal(value, &val);
    IniEntry ini;
    if (ParseIniKey(value, &ini) && (strchr(ini.Key, ',') || strchr(ini.Value, ',')))
        __builtin_trap();
    ItemEntry item;
    if (ParseItem(value, &item) && strchr(item.CommandFile, ',')) __builtin_trap();
    delete[] value;
    return 0;
}
