#include "text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

size_t BoundedLength(const char *text, size_t max)
{
    size_t length = 0;
    while (length < max && text[length]) ++length;
    return length;
}

bool CopyText(char *dest, size_t capacity, const char *source)
{
    if (capacity == 0) return false;
    size_t length = strlen(source);
    bool fits = length < capacity;
    if (!fits) {
        length = capacity - 1;
        if (!IsCharStart(source, length)) --length;  // not half a character
    }
    memmove(dest, source, length);
    dest[length] = 0;
    return fits;
}

bool AppendText(char *dest, size_t capacity, const char *source)
{
    size_t used = BoundedLength(dest, capacity);
    if (used >= capacity) return false;
    return CopyText(dest + used, capacity - used, source);
}

// The platform's own. msvcrt.dll's _vsnprintf leaves a cut text unterminated
// and returns -1 (the capacity when the text is exactly that long); C99's
// vsnprintf terminates it and returns the whole length, and a negative value
// is an output error there.
#ifdef _WIN32
#define PlatformFormat _vsnprintf
#else
#define PlatformFormat vsnprintf
#endif

bool FormatTextV(char *dest, size_t capacity, const char *format, va_list args)
{
    if (capacity == 0) return false;
    int length = PlatformFormat(dest, capacity, format, args);
    dest[capacity - 1] = 0;
#ifndef _WIN32
    if (length < 0) dest[0] = 0;
#endif
    return length >= 0 && (size_t)length < capacity;
}

bool FormatText(char *dest, size_t capacity, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    bool fits = FormatTextV(dest, capacity, format, args);
    va_end(args);
    return fits;
}

bool EndsInSeparator(const char *dir)
{
    size_t length = strlen(dir);
    return length && dir[length - 1] == '\\' && IsCharStart(dir, length - 1);
}

bool JoinPath(char *dest, size_t capacity, const char *dir, const char *name)
{
    if (!FormatText(dest, capacity, EndsInSeparator(dir) ? "%s%s" : "%s\\%s", dir, name)) {
        if (capacity) dest[0] = 0;
        return false;
    }
    return true;
}

LeadByteTest LeadByte;

bool IsLeadByte(char c) { return LeadByte && LeadByte((unsigned char)c); }

const char *NextChar(const char *text) { return text + (IsLeadByte(*text) && text[1] ? 2 : 1); }

char *FindChar(const char *text, char c)
{
    for (; *text; text = NextChar(text))
        if (*text == c) return (char *)text;
    return 0;
}

char *FindLastChar(const char *text, char c)
{
    const char *found = 0;
    for (; *text; text = NextChar(text))
        if (*text == c) found = text;
    return (char *)found;
}

bool IsCharStart(const char *text, size_t at)
{
    const char *end = text + at;
    while (text < end) text = NextChar(text);
    return text == end;
}

bool SameFoldedRange(const char *a, const char *b, size_t size)
{
    bool second = false;  // a[i] is the second byte of a character
    for (size_t i = 0; i < size; ++i) {
        if (second ? a[i] != b[i] : FoldCase(a[i]) != FoldCase(b[i])) return false;
        second = !second && IsLeadByte(a[i]);
    }
    return true;
}

bool SameFolded(const char *a, const char *b)
{
    size_t size = strlen(a);
    return size == strlen(b) && SameFoldedRange(a, b, size);
}
