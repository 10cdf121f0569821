#include "entries.h"

#include <stdio.h>
#include <string.h>

#include "text.h"

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

// One row a type, in type order.
static constexpr FileEntryRule FileEntryRules[] = {
    // type         destination   source       only-missing expands steps  SizeInst sources
    {FileToWindows, InWindowsDir, InSourceDir, true,        true,   true,  false,   1},
    {FileToSystem,  InSystemDir,  InSourceDir, true,        true,   true,  false,   1},
    {FileToInstall, InInstallDir, InSourceDir, false,       true,   true,  true,    1},
    {FileToTemp,    InTempDir,    InSourceDir, false,       false,  false, false,   1},
    {FileFromTemp,  InInstallDir, InTempDir,   false,       true,   true,  true,    1},
    {FileByLocale,  InInstallDir, InSourceDir, false,       true,   true,  true,    2},
};

static constexpr bool RowsFollowTypes()
{
    int rows = (int)(sizeof FileEntryRules / sizeof FileEntryRules[0]);
    if (rows != LastFileEntryType) return false;
    for (int i = 0; i < rows; ++i)
        if (FileEntryRules[i].Type != i + 1) return false;
    return true;
}
static_assert(RowsFollowTypes(), "row n holds type n + 1, for every type up to the last");

const FileEntryRule *FindFileEntryRule(int type)
{
    if (type < 1 || type > LastFileEntryType) return 0;
    return &FileEntryRules[type - 1];
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
    const FileEntryRule *rule = FindFileEntryRule(entry->Type);
    if (rule && rule->SourceCount > 1) {
        const char *split = LastComma(names, comma);
        if (!split) return false;
        return CopyRange(entry->Source, sizeof entry->Source, names, split) &&
               CopyRange(entry->OtherSource, sizeof entry->OtherSource, split + 1, comma);
    }
    return CopyRange(entry->Source, sizeof entry->Source, names, comma);
}

// Digits of base from *text, at least one, within 32 bits; *text moves past them.
static bool ReadNumber(const char **text, unsigned base, unsigned long *value)
{
    const char *p = *text;
    unsigned long n = 0;
    for (;; ++p) {
        char c = *p;
        unsigned digit = c >= '0' && c <= '9'   ? (unsigned)(c - '0')
                         : c >= 'a' && c <= 'f' ? (unsigned)(c - 'a' + 10)
                         : c >= 'A' && c <= 'F' ? (unsigned)(c - 'A' + 10)
                                                : base;
        if (digit >= base) break;
        if (n > (0xFFFFFFFFul - digit) / base) return false;
        n = n * base + digit;
    }
    if (p == *text) return false;
    *text = p;
    *value = n;
    return true;
}

bool ParseFileCheck(const char *text, int which, FileCheck *check)
{
    for (int pair = 0; pair <= which; ++pair) {
        if (pair && *text++ != ',') return false;
        if (!ReadNumber(&text, 10, &check->Size) || *text++ != ',' ||
            !ReadNumber(&text, 16, &check->Crc32))
            return false;
    }
    return *text == 0 || *text == ',';
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
