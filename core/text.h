// Bounded string helpers over fixed 8-bit buffers. Each returns false when the
// result did not fit; the destination then holds a terminated, cut text.
#pragma once

#include <stdarg.h>
#include <stddef.h>

bool CopyText(char *dest, size_t capacity, const char *source);
bool AppendText(char *dest, size_t capacity, const char *source);
// Formats into dest like snprintf; false when the text was cut. The text is
// terminated either way.
bool FormatText(char *dest, size_t capacity, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
bool FormatTextV(char *dest, size_t capacity, const char *format, va_list args)
    __attribute__((format(printf, 3, 0)));
// "%s\\%s": a directory and a name joined with exactly one backslash. A result
// that does not fit leaves dest empty and returns false, so that a cut path is
// never used for a file operation.
bool JoinPath(char *dest, size_t capacity, const char *dir, const char *name);
