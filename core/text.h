// Bounded string helpers over fixed 8-bit buffers. Each returns false when the
// result did not fit; the destination then holds a terminated, cut text.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// The length of text, or max when no terminator comes before it (strnlen,
// which the programs' msvcrt.dll lacks).
size_t BoundedLength(const char *text, size_t max);
// A text cut to fit ends before a character that does not fit whole.
bool CopyText(char *dest, size_t capacity, const char *source);
bool AppendText(char *dest, size_t capacity, const char *source);
// Formats into dest like snprintf; false when the text was cut. The text is
// terminated either way.
bool FormatText(char *dest, size_t capacity, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
bool FormatTextV(char *dest, size_t capacity, const char *format, va_list args)
    __attribute__((format(printf, 3, 0)));
// Text is in the system's ANSI code page. The double-byte ones (932, 936,
// 949, 950) write a character as a lead byte (0x81 and up) and a second byte
// of 0x40 and up, which may be a backslash, a bar or a letter; a byte below
// 0x40 is always a character of its own. Scans for a backslash and case
// folds step over the second byte.
#ifdef _WIN32
#define LeadByteCall __stdcall
#else
#define LeadByteCall
#endif
// Whether a byte is the lead byte of a double-byte character.
typedef int(LeadByteCall *LeadByteTest)(unsigned char c);
// The test of the code page the names are in: the programs set the
// system's (IsDBCSLeadByte) at start, host tests and fuzzers a code page's
// table. None: every byte is a character.
extern LeadByteTest LeadByte;
bool IsLeadByte(char c);
// The character after the one that starts at text: two bytes on for a lead
// byte with a second byte, one otherwise.
const char *NextChar(const char *text);
inline char *NextChar(char *text) { return (char *)NextChar((const char *)text); }
// strchr and strrchr for a character below 0x80, which look at the starts of
// characters only.
char *FindChar(const char *text, char c);
char *FindLastChar(const char *text, char c);
// Whether a character starts at offset at of text (at its end included).
bool IsCharStart(const char *text, size_t at);

// The ASCII case fold of names (files, keys, sections): A to Z become a to
// z, every other byte stays as it is.
inline char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
// Whether size bytes of a and b are equal but for FoldCase, which leaves the
// second byte of a double-byte character as it is.
bool SameFoldedRange(const char *a, const char *b, size_t size);
// Whether two terminated texts are equal but for FoldCase.
bool SameFolded(const char *a, const char *b);

// Whether dir ends in a backslash of its own, as a drive root (C:\\) does,
// not in the second byte of a double-byte character.
bool EndsInSeparator(const char *dir);

// "%s\\%s": a directory and a name joined with exactly one backslash (none
// added after one that EndsInSeparator sees). A result that does not fit
// leaves dest empty and returns false, so that a cut path is never used for a
// file operation.
bool JoinPath(char *dest, size_t capacity, const char *dir, const char *name);
