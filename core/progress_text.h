// The progress dialog's bar range and status line: pure functions, built for
// the host too.
#pragma once

#include <stddef.h>

#define StatusLineFormat "Copy file : %s"

// The progress range's upper bound for a number of file entries (the sum of
// NumberFiles over all disks): (1 + entries) * 10. A bound above the 16 bits
// of PBM_SETRANGE is set with PBM_SETRANGE32, so the bar never wraps.
unsigned long ProgressUpperBound(long entries);

// "Copy file : <destination>" into dest, cut to fit.
void FormatStatusLine(char *dest, size_t capacity, const char *destination);
