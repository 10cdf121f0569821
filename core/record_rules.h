// What the uninstaller does with each entry of the install record, decided
// from the entry and from what it finds now: pure functions, tested on the
// host. The platform side (remove_record.cpp) looks and acts.
#pragma once

#include <stddef.h>

#include "install_record.h"

// Where a recorded file lies.
enum FilePlace {
    PlaceInstall,  // inside the install directory
    PlaceTemp,     // inside the temporary directory
    PlaceShared,   // in the Windows or system directory (and not the install directory)
    PlaceOutside   // anywhere else
};

// What stands at a recorded file's path now.
struct FileFound {
    bool Exists;
    bool IsDirectory;
    bool ThroughLink;  // it, or a directory on its path below its base, is a reparse point
    bool Read;         // its content could be read for Size and Crc
    unsigned long Size;
    unsigned long Crc;
};

enum FileFate {
    FileRemove,
    FileGoneAlready,
    FileKeptStoodBefore,  // a file stood there before the installation
    FileKeptChanged,      // not the size and CRC-32 written
    FileKeptUnread,       // its content could not be read to check it
    FileKeptDirectory,    // a directory stands there now
    FileKeptLink,         // reached through a junction or symbolic link
    FileKeptShared,       // in the Windows or system directory
    FileKeptOutside,      // outside the install and temporary directories
    FileKeptStillUsed,    // its shared reference count is above zero still
    FileKeptNoCount,      // its shared reference count is missing
    FileKeptCountUnchanged // its shared reference count could not be lowered
};

FileFate DecideFile(const RecordEntry *entry, FilePlace place, const FileFound *found);
// What stands there now against what the installation wrote (entry: its
// File entry, null when it only found the file): the place left aside.
FileFate DecideContent(const RecordEntry *entry, const FileFound *found);
// The report's reason for a kept file, or null for the other fates.
const char *FileFateReason(FileFate fate);

// What stands at a recorded registry value or win.ini entry now.
enum ValueNow {
    ValueMissing,   // no such value or entry (or key)
    ValueAsWritten, // still what the installation wrote
    ValueChanged    // anything else
};

enum ValueFate {
    ValueRemove,       // nothing stood there before
    ValueRestore,      // what stood before goes back
    ValueGoneAlready,
    ValueKeptChanged,  // changed since the installation
    ValueKeptNotKept   // what stood before was too large to keep in the record
};

ValueFate DecideValue(const RecordEntry *entry, ValueNow now);

// The keys to try, deepest first, for a registry entry: subkey and each of
// its parents down to the entry's CreatedKey. Fills keys (count at most
// max, each capacity RecordTextSize) and returns how many; 0 when the
// installation created no key or CreatedKey is not subkey or a parent of it.
int KeysToRemove(const RecordEntry *entry, char (*keys)[RecordTextSize], int max);

// The group commands that take away the added items of a group (ShowGroup
// with 0, one DeleteItem each) and, with deleteGroup, the group itself,
// appended to dest. Names that are not sendable are left out. False, with
// dest as it was, when the text does not fit in capacity.
bool AppendGroupRemoval(char *dest, size_t capacity, const char *group, bool deleteGroup,
                        const char *const *items, int itemCount);
