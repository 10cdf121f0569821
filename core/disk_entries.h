// The index of a disk's file entries within its section text, as one
// section read returns it: pure functions, built for the host too.
#pragma once

#include <stddef.h>

// The section text is a list of terminated "key=value" lines ended by an
// empty one. Points values[n] (n from 1 to count; values has count + 1 slots,
// all null) at the value of key file<n>. Keys are matched without regard to
// case, in plain decimal ("file01" is not "file1"), the first of equal keys
// counts; a line without "=" gives the empty value at its end.
void IndexDiskSection(const char *section, int count, const char **values);

// A value as a profile read returns it: one pair of enclosing quotes (double
// or single) removed, cut to capacity - 1 characters. A null value is empty.
void CopyProfileValue(const char *value, char *dest, size_t capacity);
