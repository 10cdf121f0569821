// The engine's three file operations.
#pragma once

#include <stdio.h>

enum { CopyBlockSize = 32000 };

// Creates one directory level and makes it current. Writes "Made Dir: %s\n"
// when this call created it. True when it became the current directory.
bool MakeDirectory(const char *path, FILE *log);

// LZ-expands source into destination (an uncompressed source is copied
// unchanged) and writes "File Copy: %s\n". A source that cannot be opened
// leaves the destination untouched and writes no line.
void ExpandFile(const char *source, const char *destination, FILE *log);

// OpenFile and the LZ library's open refuse paths of OFS_MAXPATHNAME (128)
// characters or more. The operations here take any path that fits the
// program's buffers, so a long install directory still gets its files.
bool FileIsPresent(const char *path);
void DeleteFileAt(const char *path);

// Byte-for-byte copy that replaces the destination entirely. -1 when the
// destination cannot be opened (or no buffer could be had); otherwise the
// result of closing the destination (0 on success). No log line.
int CopyRawFile(const char *source, const char *destination);
