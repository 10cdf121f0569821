#include "profile_value.h"

void StripProfileQuotes(const char **begin, const char **end)
{
    const char *first = *begin, *last = *end;
    if (last - first >= 2 && (*first == '"' || *first == '\'') && last[-1] == *first) {
        *begin = first + 1;
        *end = last - 1;
    }
}
