// Registry values, named by install.log or by the install record, and the
// keys they leave empty.
#include "removal.h"
#include "record_removal.h"

#include <windows.h>
#include <string.h>

#include "report.h"
#include "core/record_rules.h"
#include "core/text.h"
#include "win32/program_state.h"
#include "win32/registry_read.h"
#include "registry_keys.h"

enum { MaxKeyLevels = 32 };

// The value as the report names it: root, key and value name.
static void ShownValue(char *shown, size_t capacity, int root, const char *key, const char *name)
{
    FormatText(shown, capacity, "Registry value %s%s%s \"%s\"", RegistryRootNames[root],
               key[0] ? "\\" : "", key, name[0] ? name : "(default)");
}

// What the value holds now against the data the setup wrote. *key is the
// value's key, opened to be changed, or 0 when it cannot be opened.
static ValueNow ValueNowIn(HKEY root, const char *keyName, const char *name, const char *written,
                           HKEY *key)
{
    if (RegOpenKeyExA(root, keyName, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key) != ERROR_SUCCESS) {
        *key = 0;
        return ValueMissing;
    }
    char data[RecordTextSize + 1];
    DWORD type = 0, size = sizeof data - 1;
    LONG read = RegQueryValueExA(*key, name, 0, &type, (BYTE *)data, &size);
    if (read == ERROR_SUCCESS && type == REG_SZ) {
        data[size < sizeof data ? size : sizeof data - 1] = 0;
        return strcmp(data, written) == 0 ? ValueAsWritten : ValueChanged;
    }
    return read == ERROR_FILE_NOT_FOUND ? ValueMissing : ValueChanged;
}

void RemoveRegistryValue(const LogRecord *record)
{
    HKEY root = RegistryRoot[record->Root];
    char shown[3 * LogFieldSize + 32];
    ShownValue(shown, sizeof shown, record->Root, record->Text, record->Name);
    HKEY key;
    ValueNow now = ValueNowIn(root, record->Text, record->Name, record->Value, &key);
    if (now != ValueAsWritten) {
        if (key) RegCloseKey(key);
        NoteValue(now == ValueMissing ? ValueGoneAlready : ValueKeptChanged, false, shown);
        return;
    }
    bool deleted = RegDeleteValueA(key, record->Name) == ERROR_SUCCESS;
    bool empty = deleted && RegistryKeyIsEmpty(key);
    RegCloseKey(key);
    NoteValue(ValueRemove, deleted, shown);
    if (!deleted) return;
    // The key goes when nothing is left in it; a root never does.
    if (empty && record->Text[0] && RegDeleteKeyA(root, record->Text) == ERROR_SUCCESS)
        NoteRemoved("Registry key %s\\%s", RegistryRootNames[record->Root], record->Text);
}

// The keys the installation created for this entry, deepest first, each
// only when it holds nothing: RegDeleteKeyA takes a whole tree on some
// systems, so emptiness is checked first on all.
static void RemoveCreatedKeys(const RecordEntry *entry)
{
    static char keys[MaxKeyLevels][RecordTextSize];
    int count = KeysToRemove(entry, keys, MaxKeyLevels);
    HKEY root = RegistryRoot[entry->Root];
    for (int i = 0; i < count; ++i) {
        HKEY key;
        if (RegOpenKeyExA(root, keys[i], 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) continue;
        bool empty = RegistryKeyIsEmpty(key);
        RegCloseKey(key);
        if (!empty || RegDeleteKeyA(root, keys[i]) != ERROR_SUCCESS) return;
        NoteRemoved("Registry key %s\\%s", RegistryRootNames[entry->Root], keys[i]);
    }
}

void RemoveRecordedValue(const RecordEntry *entry)
{
    char shown[3 * RecordTextSize + 32];
    ShownValue(shown, sizeof shown, entry->Root, entry->Text, entry->Name);
    HKEY key;
    ValueNow now = ValueNowIn(RegistryRoot[entry->Root], entry->Text, entry->Name, entry->Value, &key);
    ValueFate fate = DecideValue(entry, now);
    bool done = fate == ValueRemove    ? RegDeleteValueA(key, entry->Name) == ERROR_SUCCESS
                : fate == ValueRestore ? RegSetValueExA(key, entry->Name, 0, entry->PriorType,
                                                        entry->PriorData,
                                                        (DWORD)entry->PriorSize) == ERROR_SUCCESS
                                       : false;
    NoteValue(fate, done, shown);
    if (key) RegCloseKey(key);
    RemoveCreatedKeys(entry);
}
