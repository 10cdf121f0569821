// Access to the expanded setup script (an INI file read through the profile
// functions) and the splitting of its compound values. The split functions
// take a text and return its parts, or false for a malformed entry; they do
// not touch the platform and can be tested and fuzzed on their own.
#pragma once

#include <windows.h>

#include "setup_state.h"

// Sections and keys, written as the script names them.
#define SectionTitle "Title"
#define SectionSubDir "SubDir"
#define SectionRegister "Register"
#define SectionWinIni "WinIni"
#define SectionWinGroup "WinGroup"

// Formats of the numbered names: the number in decimal, from 1.
#define DiskNameFormat "Disk%d"
#define DirKeyFormat "Dir%d"
#define FileKeyFormat "file%d"
#define RegKeyFormat "regKey%d"
#define RegValFormat "regVal%d"
#define IniKeyFormat "IniKey%d"
#define ItemKeyFormat "item%d"

// Read limits, terminator included: a value read with limit L keeps at most
// L - 1 characters.
enum {
    InstalDirLimit = 100,
    DlgTitleLimit = 100,
    GroupTitleLimit = 100,
    DirNameLimit = 32,       // Dir<n> lands in a 32-character buffer
    FileEntryLimit = 100,
    RegKeyLimit = 150,
    RegValLimit = 250,
    IniKeyLimit = 250,
    ItemLimit = 150
};

struct ScriptStringKey {
    const char *Section;
    const char *Key;   // a format with one %d for the numbered keys
    DWORD Limit;
};

struct ScriptIntKey {
    const char *Section;
    const char *Key;
    int Default;
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

// The digit rule: the first character alone, read as a decimal number.
// Returns -1 unless it is one of 0 to 9.
int ParseLeadingDigit(const char *text);

// The NULL rule: the exact text "NULL" stands for the empty string.
void ApplyNullRule(char *field);

enum FileEntryType {
    FileToWindows = 1,
    FileToSystem = 2,
    FileToInstall = 3,
    FileToTemp = 4,
    FileFromTemp = 5,
    FileByLocale = 6
};

struct FileEntry {
    int Type;                      // 0..9; 2 when the first character is no digit
    char Source[FileEntryLimit];   // type 6: the source for locale 419
    char OtherSource[FileEntryLimit];  // type 6: the source for every other locale
    char Destination[FileEntryLimit];
};

// type, separator, source, comma, destination (type 6: two sources).
// False for an entry shorter than three characters, without the comma its
// form needs, or with an empty destination.
bool ParseFileEntry(const char *text, FileEntry *entry);

struct RegKeyEntry {
    int Root;                  // 0..3
    char Subkey[RegKeyLimit];  // after the NULL rule
};
// root digit, separator, subkey. False unless the text has at least two
// characters and begins with a digit from 0 to 3.
bool ParseRegKey(const char *text, RegKeyEntry *entry);

struct RegValEntry {
    char Name[RegValLimit];
    char Data[RegValLimit];
};
// name, comma, data: split at the first comma; NULL rule on both parts.
bool ParseRegVal(const char *text, RegValEntry *entry);

struct IniEntry {
    char Section[IniKeyLimit];
    char Key[IniKeyLimit];
    char Value[IniKeyLimit];
};
// section, comma, key, comma, value: split from the right.
bool ParseIniKey(const char *text, IniEntry *entry);

struct ItemEntry {
    char CommandFile[ItemLimit];
    char Name[ItemLimit];
};
// command file, comma, item name: split at the first comma.
bool ParseItem(const char *text, ItemEntry *entry);
