#include "log_header.h"

#include "log_format.h"
bool FormatLogHeader(char *dest, size_t capacity, const struct tm *startTime)
{
    if (capacity == 0) return false;
    size_t length = strftime(dest, capacity, LogHeaderFormat,
                             startTime);
    if (length == 0) {
        dest[0] = 0;
        return false;
    }
    return true;
}
