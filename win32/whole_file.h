// A whole file read into memory, for the install record's merge and its
// removal.
#pragma once

#include <stddef.h>

// The file at path, terminated, in memory from malloc, its size in *length;
// null when it cannot be opened or read whole, or is larger than limit.
char *ReadWholeFile(const char *path, size_t limit, size_t *length);
