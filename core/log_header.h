// The first line of the installation log: a pure formatter, built for the
// host too.
#pragma once

#include <stddef.h>
#include <time.h>

// "*** Installation Started %d/%m/%y %H:%M ***\n" of the given time, bounded
// by capacity. False when it did not fit.
bool FormatLogHeader(char *dest, size_t capacity, const struct tm *startTime);
