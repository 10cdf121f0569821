// The pure part of the directory and group pages: the display form of a
// path, the proposed install directory, the free space from a drive's
// geometry, and the folder entries of a directory listing. No platform
// calls, built for the host too; the shell's names come through a callback.
#pragma once

#include <stddef.h>

enum {
    DisplayPathSize = 260,  // MAX_PATH
    DriveRootLength = 3     // "C:\"
};

// Puts the display name of the path prefix (one component longer each call)
// into name (capacity characters); false when there is none.
typedef bool (*ComponentNamer)(void *context, const char *prefix, char *name,
                               size_t capacity);

// Replaces every component of path (a buffer of DisplayPathSize characters)
// after its drive by the name the namer gives, or by its own text when it
// gives none; the result starts with "<drive letter>:\" and ends in a
// backslash, empty components drop out. A result that would not fit leaves
// path unchanged and returns false; so does an empty path.
bool MakeDisplayPathWith(char *path, ComponentNamer namer, void *context);

// The bytes of the first DriveRootLength characters of text, or of the
// whole text when it is shorter: the root whose free space the page shows.
size_t DriveRootSize(const char *text);

// The proposal after a directory was entered: the display path followed by
// the product title, when it fits in capacity; false (dest unspecified)
// otherwise, so that nothing cut is ever proposed.
bool FormatProposal(char *dest, size_t capacity, const char *displayPath,
                    const char *productTitle);

// The kilobytes of a drive's free space from its geometry, exact in 64 bits,
// truncated, clamped at 0x7FFFFFFF so that a huge drive never turns negative.
long FreeKbFromGeometry(unsigned long sectorsPerCluster, unsigned long bytesPerSector,
                        unsigned long freeClusters);

// Turns a bracketed directory entry of a listing, "[name]", into "\name";
// false for anything else, "[..]" and "[]" included.
bool DirectoryEntryName(char *entry);
