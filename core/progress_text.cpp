#include "progress_text.h"

#include <limits.h>

#include "text.h"

unsigned long ProgressUpperBound(long entries)
{
    if (entries < 0) entries = 0;
    // Kept within the signed range that PBM_SETRANGE32 takes.
    if (entries > INT_MAX / 10 - 1) entries = INT_MAX / 10 - 1;
    return (unsigned long)(1 + entries) * 10;
}

void FormatStatusLine(char *dest, size_t capacity, const char *destination)
{
    FormatText(dest, capacity, StatusLineFormat, destination);
}
