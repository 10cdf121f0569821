// The folder the download unpacks into: made new under the temporary
// directory (never one that exists), and removed with all it holds.
#pragma once

#include <stddef.h>

// Makes the folder and puts its path (without a final '\') into folder;
// false when no new folder could be made.
bool MakeUnpackFolder(char *folder, size_t size);
// Deletes the files in folder and the folder, waiting a little for files a
// program that just ended may still hold; false when something stays.
bool RemoveUnpackFolder(const char *folder);
