// The compound values of the setup script and their splits. Pure functions
// over texts, free of the platform, so they can be built for the host and
// fuzzed as well.
#pragma once

#include <stddef.h>

#include "names.h"

enum { RegistryRootCount = 4 };

// Read limits, terminator included: a value read with limit L keeps at most
// L - 1 characters.
enum {
    InstalDirLimit = 100,
    DlgTitleLimit = 100,
    GroupTitleLimit = 100,
    DirNameLimit = 32,       // Dir<n> lands in a 32-character buffer
    FileEntryLimit = 100,
    FileCheckLimit = 64,     // two "size,crc" pairs and their commas
    RegKeyLimit = 150,
    RegValLimit = 250,
    IniKeyLimit = 250,
    ItemLimit = 150
};

// The program's install path buffer, terminator included: InstalDir and every
// destination joined below it must fit.
enum { InstallPathSize = 256 };

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
    FileByLocale = 6,
    LastFileEntryType = FileByLocale
};

// The directories a file entry names: where its destination lies, and where
// its source is read.
enum EntryDirectory {
    InWindowsDir,
    InSystemDir,
    InInstallDir,
    InTempDir,
    InSourceDir  // the directory of the disk, SETUP.EXE's own
};

// What one file-entry type does.
struct FileEntryRule {
    int Type;
    EntryDirectory DestinationDir;
    EntryDirectory SourceDir;   // the source or the temporary directory
    bool OnlyWhenMissing;       // never replaces a file
    bool Expands;               // false: a byte-for-byte copy
    bool StepsProgress;         // a status line and a step of the bar
    bool CountsTowardSizeInst;  // lands in the install directory
    int SourceCount;            // 2: the first for locale 419, the second for the others
};

// The rule of a file-entry type; null for 0, 7, 8, 9 and any other number.
const FileEntryRule *FindFileEntryRule(int type);

struct FileEntry {
    int Type;                      // 0..9; 2 when the first character is no digit
    char Source[FileEntryLimit];   // type 6: the source for locale 419
    char OtherSource[FileEntryLimit];  // type 6: the source for every other locale
    char Destination[FileEntryLimit];
};

// The names the entries give are judged by IsContainedName (names.h).

// type, separator, source, comma, destination (type 6: two sources).
// False for an entry shorter than three characters, without the comma its
// form needs, or with an empty destination.
bool ParseFileEntry(const char *text, FileEntry *entry);

// What an entry's file holds once expanded, as the script's [Check<n>] key
// of the same name as its [Disk<n>] key gives it: "size,crc", the size in
// decimal and the CRC-32 in hexadecimal; type 6 has a pair per source, in
// the order of its sources.
struct FileCheck {
    unsigned long Size;
    unsigned long Crc32;
};
// Pair which (0 or 1) of a check value. False for anything but digits and
// commas in that form, or a number over 32 bits: such a value checks nothing.
bool ParseFileCheck(const char *text, int which, FileCheck *check);

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
