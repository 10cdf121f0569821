#include "registry.h"

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "res/resource.h"

#include "install_log.h"
#include "core/log_format.h"
#include "run_record.h"
#include "script.h"
#include "setup_state.h"
#include "core/text.h"

#define RegisterStatusText "Register data base..."

static RecordEntry Prior;

// What stands at the value before it is written, into Prior.
static void ReadPriorValue(HKEY root, const char *subkey, const char *valueName)
{
    HKEY key;
    Prior.Prior = PriorAbsent;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    DWORD type = 0, size = sizeof Prior.PriorData;
    LONG read = RegQueryValueExA(key, valueName, 0, &type, Prior.PriorData, &size);
    RegCloseKey(key);
    if (read == ERROR_FILE_NOT_FOUND) return;
    if (read != ERROR_SUCCESS || size > sizeof Prior.PriorData) {
        Prior.Prior = PriorNotKept;
        return;
    }
    Prior.Prior = PriorPresent;
    Prior.PriorType = type;
    Prior.PriorSize = size;
}

// The topmost key of subkey that does not exist yet (what creating subkey
// makes), into Prior.CreatedKey; empty when subkey exists.
static void FindKeyToCreate(HKEY root, const char *subkey)
{
    Prior.CreatedKey[0] = 0;
    HKEY key;
    char path[RecordTextSize];
    if (!subkey[0] || !CopyText(path, sizeof path, subkey)) return;
    for (char *at = path;; at = NextChar(at)) {
        if (*at && *at != '\\') continue;
        char kept = *at;
        *at = 0;
        if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            CopyText(Prior.CreatedKey, sizeof Prior.CreatedKey, path);
            return;
        }
        RegCloseKey(key);
        if (!kept) return;
        *at = kept;
    }
}

bool WriteRegistryString(int root, const char *subkey, const char *valueName,
                         const char *data, FILE *log)
{
    if (root < 0 || root >= RegistryRootCount) return false;
    bool recorded = RunRecordOpen();
    if (recorded) {
        StartRecordEntry(&Prior, RecordReg);
        ReadPriorValue(RegistryRoot[root], subkey, valueName);
        FindKeyToCreate(RegistryRoot[root], subkey);
    }
    HKEY key;
    DWORD disposition;
    char noClass[] = "";
    if (RegCreateKeyExA(RegistryRoot[root], subkey, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, 0, &key, &disposition) != ERROR_SUCCESS)
        return false;
    bool set = RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)data,
                              (DWORD)strlen(data) + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (set) {
        LogLine(log, LogRegKeyFormat, subkey);
        LogLine(log, LogRegValFormat, data);
        LogLine(log, LogRegNameFormat, valueName);
        LogLine(log, LogRegRootFormat, root);
    }
    // A key that stood when it was opened was made by no one here.
    if (disposition != REG_CREATED_NEW_KEY) Prior.CreatedKey[0] = 0;
    Prior.Root = root;
    if (recorded && set) RecordTextsOfRun(&Prior, subkey, valueName, data);
    return set;
}

void ShortInstallDir(char *dest, size_t capacity, const char *path)
{
    if (capacity == 0) return;
    DWORD limit = capacity < ShortPathLimit ? (DWORD)capacity : (DWORD)ShortPathLimit;
    DWORD length = GetShortPathNameA(path, dest, limit);
    // Zero is a failure, a length of limit or more says the form did not fit.
    if (length == 0 || length >= limit) CopyText(dest, limit, path);
    // A drive root goes without its backslash, which every join adds.
    if (EndsInSeparator(dest)) dest[strlen(dest) - 1] = 0;
}

void WriteRegistryEntries()
{
    if (Setup.CurrentDialog)
        SetDlgItemTextA(Setup.CurrentDialog, IdMainText, RegisterStatusText);
    int count = ReadScriptKey(KeyNumberReg);
    ShortInstallDir(Setup.EditText, sizeof Setup.EditText, InstallPath);

    for (int n = 1; n <= count; ++n) {
        char keyText[RegKeyLimit], valText[RegValLimit];
        ReadNumberedKey(KeyRegKey, n, keyText);
        ReadNumberedKey(KeyRegVal, n, valText);
        RegKeyEntry key;
        RegValEntry val;
        // A root outside the table or a value without its comma has no
        // meaning: the entry is left out.
        if (!ParseRegKey(keyText, &key) || !ParseRegVal(valText, &val)) continue;
        char data[SubstitutedValueSize];
        CopyText(data, sizeof data, val.Data);
        if (data[0]) SubstituteInstallDir(data, Setup.EditText);
        WriteRegistryString(key.Root, key.Subkey, val.Name, data, Setup.InstallLog);
    }
    if (Setup.ProgressBar) SendMessageA(Setup.ProgressBar, PBM_STEPIT, 0, 0);
}

// A control character is no value of a profile: it marks a missing entry.
#define MissingEntryMark "\x01"

// What stands at a win.ini entry before it is written, into Prior.
static void ReadPriorEntry(const char *section, const char *key)
{
    StartRecordEntry(&Prior, RecordIni);
    char *text = (char *)Prior.PriorData;
    DWORD length = GetProfileStringA(section, key, MissingEntryMark, text, sizeof Prior.PriorData);
    if (strcmp(text, MissingEntryMark) == 0) {
        Prior.Prior = PriorAbsent;
        text[0] = 0;
    } else if (length + 1 >= sizeof Prior.PriorData) {
        Prior.Prior = PriorNotKept;  // it may have been cut
        text[0] = 0;
    } else {
        Prior.Prior = PriorPresent;
        Prior.PriorSize = length;
    }
}

void WriteWinIniEntries()
{
    int count = ReadScriptKey(KeyNumberIni);
    for (int n = 1; n <= count; ++n) {
        char text[IniKeyLimit];
        ReadNumberedKey(KeyIniKey, n, text);
        IniEntry entry;
        if (!ParseIniKey(text, &entry)) continue;
        char value[SubstitutedValueSize];
        CopyText(value, sizeof value, entry.Value);
        SubstituteInstallDir(value, InstallPath);
        if (RunRecordOpen()) ReadPriorEntry(entry.Section, entry.Key);
        WriteProfileStringA(entry.Section, entry.Key, value);
        if (RunRecordOpen()) RecordTextsOfRun(&Prior, entry.Section, entry.Key, value);
        LogLine(Setup.InstallLog, LogIniFileFormat, WindowsDir);
        LogLine(Setup.InstallLog, LogIniSectFormat, entry.Section);
        LogLine(Setup.InstallLog, LogIniItemFormat, entry.Key);
        LogLine(Setup.InstallLog, LogIniValFormat, value);
    }
}
