// Bounded string helpers over fixed 8-bit buffers. Each returns false when the
// result did not fit; the destination then holds a terminated, cut text.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// The length of text, or max when no terminator comes before it (strnlen,
// which the programs' msvcrt.dll lacks).
size_t BoundedLength(const char *text, size_t max);
bool CopyText(char *dest, size_t capacity, const char *source);
bool AppendText(char *dest, size_t capacity, const char *source);
// Formats into dest like snprintf; false when the text was cut. The text is
// terminated either way.
bool FormatText(char *dest, size_t capacity, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
bool FormatTextV(char *dest, size_t capacity, const char *format, va_list args)
    __attribute__((format(printf, 3, 0)));
// The ASCII case fold of names (files, keys, sections): A to Z become a to
// z, every other byte stays as it is.
inline char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
// Whether size bytes of a and b are equal but for FoldCase.
bool SameFoldedRange(const char *a, const char *b, size_t size);
// Whether two terminated texts are equal but for FoldCase.
bool SameFolded(const char *a, const char *b);

// Whether dir ends in a backslash of its own, as a drive root (C:\\) does:
// one after a byte below 0x80, which cannot begin a double-byte character.
bool EndsInSeparator(const char *dir);

// "%s\\%s": a directory and a name joined with exactly one backslash (none
// added after one that EndsInSeparator sees). A result that does not fit
// leaves dest empty and returns false, so that a cut path is never used for a
// file operation.
bool JoinPath(char *dest, size_t capacity, const char *dir, const char *name);
