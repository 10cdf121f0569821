#include "text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

bool CopyText(char *dest, size_t capacity, const char *source)
{
    if (capacity == 0) return false;
    size_t length = strlen(source);
    bool fits = length < capacity;
    if (!fits) length = capacity - 1;
    memmove(dest, source, length);
    dest[length] = 0;
    return fits;
}

bool AppendText(char *dest, size_t capacity, const char *source)
{
    size_t used = strnlen(dest, capacity);
    if (used >= capacity) return false;
    return CopyText(dest + used, capacity - used, source);
}

bool FormatText(char *dest, size_t capacity, const char *format, ...)
{
    if (capacity == 0) return false;
    va_list args;
    va_start(args, format);
    int length = vsnprintf(dest, capacity, format, args);
    va_end(args);
    if (length < 0) {
        dest[0] = 0;
        return false;
    }
    return (size_t)length < capacity;
}

bool JoinPath(char *dest, size_t capacity, const char *dir, const char *name)
{
    if (!FormatText(dest, capacity, "%s\\%s", dir, name)) {
        if (capacity) dest[0] = 0;
        return false;
    }
    return true;
}

bool SameFoldedRange(const char *a, const char *b, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool SameFolded(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b)
        if (FoldCase(*a) != FoldCase(*b)) return false;
    return *a == *b;
}
