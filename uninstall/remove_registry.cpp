// Registry values, and the keys they leave empty.
#include "removal.h"

#include <windows.h>
#include <string.h>

#include "report.h"
#include "win32/program_state.h"
#include "win32/registry_read.h"
#include "registry_keys.h"

void RemoveRegistryValue(const LogRecord *record)
{
    HKEY root = RegistryRoot[record->Root];
    const char *rootName = RegistryRootNames[record->Root];
    const char *separator = record->Text[0] ? "\\" : "";
    const char *shownName = record->Name[0] ? record->Name : "(default)";
    HKEY key;
    if (RegOpenKeyExA(root, record->Text, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        NoteGone("Registry value %s%s%s \"%s\"", rootName, separator, record->Text, shownName);
        return;
    }
    char data[LogFieldSize + 1];
    DWORD type = 0, size = sizeof data - 1;
    LONG read = RegQueryValueExA(key, record->Name, 0, &type, (BYTE *)data, &size);
    if (read == ERROR_FILE_NOT_FOUND) {
        RegCloseKey(key);
        NoteGone("Registry value %s%s%s \"%s\"", rootName, separator, record->Text, shownName);
        return;
    }
    bool same = false;
    if (read == ERROR_SUCCESS && type == REG_SZ) {
        data[size < sizeof data ? size : sizeof data - 1] = 0;
        same = strcmp(data, record->Value) == 0;
    }
    if (!same) {
        RegCloseKey(key);
        NoteLeft("Registry value %s%s%s \"%s\": changed since the installation", rootName,
                 separator, record->Text, shownName);
        return;
    }
    bool deleted = RegDeleteValueA(key, record->Name) == ERROR_SUCCESS;
    bool empty = deleted && RegistryKeyIsEmpty(key);
    RegCloseKey(key);
    if (!deleted) {
        NoteLeft("Registry value %s%s%s \"%s\": could not be deleted", rootName, separator,
                 record->Text, shownName);
        return;
    }
    NoteRemoved("Registry value %s%s%s \"%s\"", rootName, separator, record->Text, shownName);
    // The key goes when nothing is left in it; a root never does.
    if (empty && record->Text[0] && RegDeleteKeyA(root, record->Text) == ERROR_SUCCESS)
        NoteRemoved("Registry key %s\\%s", rootName, record->Text);
}
