#include "script.h"

#include <stdio.h>
#include <string.h>

#include "text.h"

const ScriptStringKey KeyInstalDir = {SectionTitle, "InstalDir", InstalDirLimit};
const ScriptStringKey KeyDlgTitle = {SectionTitle, "DlgTitle", DlgTitleLimit};
const ScriptStringKey KeyGroupTitle = {SectionWinGroup, "GroupTitle", GroupTitleLimit};
const ScriptStringKey KeyDir = {SectionSubDir, DirKeyFormat, DirNameLimit};
const ScriptStringKey KeyFile = {DiskNameFormat, FileKeyFormat, FileEntryLimit};
const ScriptStringKey KeyRegKey = {SectionRegister, RegKeyFormat, RegKeyLimit};
const ScriptStringKey KeyRegVal = {SectionRegister, RegValFormat, RegValLimit};
const ScriptStringKey KeyIniKey = {SectionWinIni, IniKeyFormat, IniKeyLimit};
const ScriptStringKey KeyItem = {SectionWinGroup, ItemKeyFormat, ItemLimit};

const ScriptIntKey KeySizeInst = {SectionTitle, "SizeInst", 0};
const ScriptIntKey KeyNumberDisk = {SectionTitle, "NumberDisk", 1};
const ScriptIntKey KeyNumberDirs = {SectionSubDir, "NumberDirs", 0};
const ScriptIntKey KeyNumberFiles = {DiskNameFormat, "NumberFiles", 0};
const ScriptIntKey KeyNumberReg = {SectionRegister, "NumberReg", 0};
const ScriptIntKey KeyNumberIni = {SectionWinIni, "NumberIni", 0};
const ScriptIntKey KeyNumberItem = {SectionWinGroup, "NumberItem", 0};

int ReadScriptInt(const char *section, const char *key, int defaultValue)
{
    return (int)GetPrivateProfileIntA(section, key, defaultValue, Setup.ScriptPath);
}

void ReadScriptString(const char *section, const char *key, char *dest,
                      DWORD limit, size_t capacity)
{
    if (capacity == 0) return;
    if (limit > capacity) limit = (DWORD)capacity;
    dest[0] = 0;
    GetPrivateProfileStringA(section, key, "", dest, limit, Setup.ScriptPath);
    dest[limit - 1] = 0;
}

int ReadScriptKey(const ScriptIntKey &key)
{
    return ReadScriptInt(key.Section, key.Key, key.Default);
}

void ReadScriptKey(const ScriptStringKey &key, char *dest)
{
    ReadScriptString(key.Section, key.Key, dest, key.Limit, key.Limit);
}

void FormatNumberedName(char *dest, size_t capacity, const char *format, int n)
{
    FormatText(dest, capacity, format, n);
}

void ReadNumberedKey(const ScriptStringKey &key, int n, char *dest)
{
    char name[32];
    FormatNumberedName(name, sizeof name, key.Key, n);
    ReadScriptString(key.Section, name, dest, key.Limit, key.Limit);
}

int ReadDiskFileCount(int disk)
{
    char section[32];
    FormatNumberedName(section, sizeof section, DiskNameFormat, disk);
    return ReadScriptInt(section, KeyNumberFiles.Key, KeyNumberFiles.Default);
}

void ReadDiskFileEntry(int disk, int n, char *dest)
{
    char section[32], key[32];
    FormatNumberedName(section, sizeof section, DiskNameFormat, disk);
    FormatNumberedName(key, sizeof key, FileKeyFormat, n);
    ReadScriptString(section, key, dest, FileEntryLimit, FileEntryLimit);
}

int ParseLeadingDigit(const char *text)
{
    // The first character alone, read as a decimal number.
    char digit[2] = {text[0], 0};
    int value;
    if (digit[0] < '0' || digit[0] > '9') return -1;
    if (sscanf(digit, "%d", &value) != 1) return -1;
    return value;
}

void ApplyNullRule(char *field)
{
    if (strcmp(field, "NULL") == 0) field[0] = 0;
}

// Copies the characters [begin, end) into dest of the given capacity.
static bool CopyRange(char *dest, size_t capacity, const char *begin, const char *end)
{
    size_t length = (size_t)(end - begin);
    if (length >= capacity) return false;
    memcpy(dest, begin, length);
    dest[length] = 0;
    return true;
}

// The last comma in [begin, end), or null.
static const char *LastComma(const char *begin, const char *end)
{
    for (const char *p = end; p > begin; --p)
        if (p[-1] == ',') return p - 1;
    return 0;
}

bool ParseFileEntry(const char *text, FileEntry *entry)
{
    memset(entry, 0, sizeof *entry);
    size_t length = strlen(text);
    if (length < 3) return false;
    int digit = ParseLeadingDigit(text);
    entry->Type = digit < 0 ? FileToSystem : digit;

    const char *names = text + 2;  // the second character is dropped unseen
    const char *end = text + length;
    const char *comma = LastComma(names, end);
    if (!comma || comma[1] == 0) return false;
    if (!CopyRange(entry->Destination, sizeof entry->Destination, comma + 1, end))
        return false;
    if (entry->Type == FileByLocale) {
        const char *split = LastComma(names, comma);
        if (!split) return false;
        return CopyRange(entry->Source, sizeof entry->Source, names, split) &&
               CopyRange(entry->OtherSource, sizeof entry->OtherSource, split + 1, comma);
    }
    return CopyRange(entry->Source, sizeof entry->Source, names, comma);
}

bool ParseRegKey(const char *text, RegKeyEntry *entry)
{
    memset(entry, 0, sizeof *entry);
    if (strlen(text) < 2) return false;
    int root = ParseLeadingDigit(text);
    if (root < 0 || root >= RegistryRootCount) return false;
    entry->Root = root;
    if (!CopyText(entry->Subkey, sizeof entry->Subkey, text + 2)) return false;
    ApplyNullRule(entry->Subkey);
    return true;
}

bool ParseRegVal(const char *text, RegValEntry *entry)
{
    memset(entry, 0, sizeof *entry);
    const char *comma = strchr(text, ',');
    if (!comma) return false;
    if (!CopyRange(entry->Name, sizeof entry->Name, text, comma) ||
        !CopyText(entry->Data, sizeof entry->Data, comma + 1))
        return false;
    ApplyNullRule(entry->Name);
    ApplyNullRule(entry->Data);
    return true;
}

bool ParseIniKey(const char *text, IniEntry *entry)
{
    memset(entry, 0, sizeof *entry);
    const char *end = text + strlen(text);
    const char *valueComma = LastComma(text, end);
    if (!valueComma) return false;
    const char *keyComma = LastComma(text, valueComma);
    if (!keyComma) return false;
    return CopyRange(entry->Section, sizeof entry->Section, text, keyComma) &&
           CopyRange(entry->Key, sizeof entry->Key, keyComma + 1, valueComma) &&
           CopyText(entry->Value, sizeof entry->Value, valueComma + 1);
}

bool ParseItem(const char *text, ItemEntry *entry)
{
    memset(entry, 0, sizeof *entry);
    const char *comma = strchr(text, ',');
    if (!comma) return false;
    return CopyRange(entry->CommandFile, sizeof entry->CommandFile, text, comma) &&
           CopyText(entry->Name, sizeof entry->Name, comma + 1);
}
