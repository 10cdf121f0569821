#include "registry.h"

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "../res/resource.h"

#include "install_log.h"
#include "core/log_format.h"
#include "script.h"
#include "setup_state.h"
#include "core/text.h"

#define RegisterStatusText "Register data base..."

bool WriteRegistryString(int root, const char *subkey, const char *valueName,
                         const char *data, FILE *log)
{
    if (root < 0 || root >= RegistryRootCount) return false;
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
    return set;
}

void ShortInstallDir(char *dest, size_t capacity, const char *path)
{
    if (capacity == 0) return;
    DWORD limit = capacity < ShortPathLimit ? (DWORD)capacity : (DWORD)ShortPathLimit;
    DWORD length = GetShortPathNameA(path, dest, limit);
    // Zero is a failure, a length of limit or more says the form did not fit.
    if (length == 0 || length >= limit) CopyText(dest, limit, path);
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
        WriteProfileStringA(entry.Section, entry.Key, value);
        LogLine(Setup.InstallLog, LogIniFileFormat, WindowsDir);
        LogLine(Setup.InstallLog, LogIniSectFormat, entry.Section);
        LogLine(Setup.InstallLog, LogIniItemFormat, entry.Key);
        LogLine(Setup.InstallLog, LogIniValFormat, value);
    }
}
