// Access to the expanded setup script, an INI file read through the profile
// functions. Its names are in core/script_keys.h, the splits of its compound
// values in core/entries.h.
#pragma once

#include <windows.h>

#include "core/entries.h"
#include "core/script_keys.h"
#include "setup_state.h"

struct ScriptStringKey {
    const char *Section;
    const char *Key;   // a format with one %d for the numbered keys
    DWORD Limit;
};

struct ScriptIntKey {
    const char *Section;
    const char *Key;
    int Default;
    int Maximum;  // a larger value reads as this; 0 for no bound
};

// String keys (default: empty).
extern const ScriptStringKey KeyInstalDir;   // [Title] InstalDir, 100
extern const ScriptStringKey KeyDlgTitle;    // [Title] DlgTitle, 100
extern const ScriptStringKey KeyGroupTitle;  // [WinGroup] GroupTitle, 100
extern const ScriptStringKey KeyDir;         // [SubDir] Dir%d, 32
extern const ScriptStringKey KeyFile;        // [Disk%d] file%d, 100 (Section unused)
extern const ScriptStringKey KeyRegKey;      // [Register] regKey%d, 150
extern const ScriptStringKey KeyRegVal;      // [Register] regVal%d, 250
extern const ScriptStringKey KeyIniKey;      // [WinIni] IniKey%d, 250
extern const ScriptStringKey KeyItem;        // [WinGroup] item%d, 150

// Integer keys.
extern const ScriptIntKey KeySizeInst;       // [Title] SizeInst, 0
extern const ScriptIntKey KeyNumberDisk;     // [Title] NumberDisk, 1
extern const ScriptIntKey KeyNumberDirs;     // [SubDir] NumberDirs, 0
extern const ScriptIntKey KeyNumberFiles;    // [Disk%d] NumberFiles, 0 (Section unused)
extern const ScriptIntKey KeyNumberReg;      // [Register] NumberReg, 0
extern const ScriptIntKey KeyNumberIni;      // [WinIni] NumberIni, 0
extern const ScriptIntKey KeyNumberItem;     // [WinGroup] NumberItem, 0

// Raw reads from the script named by Setup.ScriptPath. The string read keeps
// at most min(limit, capacity) - 1 characters and never writes past capacity.
int ReadScriptInt(const char *section, const char *key, int defaultValue);
void ReadScriptString(const char *section, const char *key, char *dest,
                      DWORD limit, size_t capacity);

// Reads of the keys in the tables above. The numbered forms format the key
// name with n; dest must hold at least key.Limit characters.
int ReadScriptKey(const ScriptIntKey &key);
void ReadScriptKey(const ScriptStringKey &key, char *dest);
void ReadNumberedKey(const ScriptStringKey &key, int n, char *dest);
// [Disk<disk>] NumberFiles and file<n>.
int ReadDiskFileCount(int disk);
void ReadDiskFileEntry(int disk, int n, char *dest);

// "Disk%d" etc.: the numbered name into dest.
void FormatNumberedName(char *dest, size_t capacity, const char *format, int n);
