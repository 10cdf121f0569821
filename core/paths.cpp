#include "paths.h"

#include <string.h>

#include "text.h"

void DeriveSourceDir(char *moduleName)
{
    char *backslash = FindLastChar(moduleName, '\\');
    if (backslash)
        *backslash = 0;
    else
        strcpy(moduleName, ".");  // no directory part: the current directory
}

void DeriveTempDir(char *tempDir, size_t capacity, unsigned returned, const char *fallback)
{
    // GetTempPathA returns the directory with a trailing backslash, which is
    // dropped. A failed or overlong result falls back to the given directory.
    if (returned == 0 || returned >= TempPathLimit || returned >= capacity) {
        CopyText(tempDir, capacity, fallback);
        return;
    }
    tempDir[returned - 1] = 0;
}

void SubstituteInstallDir(char *value, const char *directory)
{
    // Built piece by piece, never through a format, so that a "%" in the
    // value or in the directory comes out as it went in.
    char result[SubstitutedValueSize];
    result[0] = 0;
    const char *rest = value;
    const char *found;
    bool fits = true;  // after a cut nothing more is added
    while (fits && (found = strstr(rest, "#s\\")) != 0) {
        char before[SubstitutedValueSize];
        size_t length = (size_t)(found - rest);
        if (length >= sizeof before) length = sizeof before - 1;
        memcpy(before, rest, length);
        before[length] = 0;
        fits = AppendText(result, sizeof result, before) &&
               AppendText(result, sizeof result, directory);
        // The placeholder's backslash stays, unless the directory ends in
        // one (a drive root).
        rest = found + (EndsInSeparator(directory) ? 3 : 2);
    }
    if (fits) AppendText(result, sizeof result, rest);
    CopyText(value, SubstitutedValueSize, result);
}

static bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

static size_t SkipName(const char *path, size_t at)
{
    while (path[at] && !IsPathSeparator(path[at])) at = (size_t)(NextChar(path + at) - path);
    return at;
}

size_t DirectoryRootLength(const char *path)
{
    if (path[0] && path[1] == ':') return IsPathSeparator(path[2]) ? 3 : 2;
    if (!IsPathSeparator(path[0])) return 0;
    if (!IsPathSeparator(path[1])) return 1;
    size_t share = SkipName(path, 2);  // past the server
    return path[share] ? SkipName(path, share + 1) : share;
}

size_t NextDirectoryLevel(const char *path, size_t after)
{
    size_t at = DirectoryRootLength(path);
    if (at < after) at = after;
    while (IsPathSeparator(path[at])) ++at;
    return path[at] ? SkipName(path, at) : 0;
}
