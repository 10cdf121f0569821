#include "uninstall_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "group_text.h"
#include "profile_value.h"
#include "record_rules.h"
#include "text.h"

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// True when a component of path is "." or "..".
static bool HasDotComponent(const char *path)
{
    const char *at = path;
    while (*at) {
        const char *end = at;
        while (*end && !IsSeparator(*end)) end = NextChar(end);
        size_t size = (size_t)(end - at);
        if ((size == 1 && at[0] == '.') || (size == 2 && at[0] == '.' && at[1] == '.'))
            return true;
        at = *end ? end + 1 : end;
    }
    return false;
}

// How far path and dir agree: the length of dir when path starts with it,
// without a trailing separator of dir; 0 otherwise.
static size_t MatchDirectory(const char *path, const char *dir)
{
    size_t size = 0;  // up to the end of the last character that is no separator
    for (const char *at = dir; *at; at = NextChar(at))
        if (!IsSeparator(*at)) size = (size_t)(NextChar(at) - dir);
    if (size == 0) return 0;
    bool second = false;  // dir[i] is the second byte of a character
    for (size_t i = 0; i < size; ++i) {
        if (!path[i]) return 0;
        if (second ? path[i] != dir[i]
                   : !(IsSeparator(path[i]) && IsSeparator(dir[i])) &&
                         FoldCase(path[i]) != FoldCase(dir[i]))
            return 0;
        second = !second && IsLeadByte(dir[i]);
    }
    return second ? 0 : size;  // a lead byte without its second byte ends no name
}

bool PathIsInside(const char *path, const char *dir)
{
    if (HasDotComponent(path) || HasDotComponent(dir)) return false;
    size_t size = MatchDirectory(path, dir);
    if (size == 0 || !IsSeparator(path[size])) return false;
    // Something must follow the separator: "C:\dir\" is the directory itself.
    const char *rest = path + size;
    while (IsSeparator(*rest)) ++rest;
    return *rest != 0;
}

bool PathIsAtOrInside(const char *path, const char *dir)
{
    if (HasDotComponent(path) || HasDotComponent(dir)) return false;
    size_t size = MatchDirectory(path, dir);
    if (size == 0) return false;
    const char *rest = path + size;
    while (IsSeparator(*rest)) ++rest;
    return *rest == 0 || IsSeparator(path[size]);
}

int PathDepth(const char *path)
{
    int depth = 0;
    bool inName = false;
    for (const char *at = path; *at; at = NextChar(at)) {
        if (IsSeparator(*at)) {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++depth;
        }
    }
    return depth;
}

void ProfileValueForm(const char *value, char *dest, size_t capacity)
{
    if (capacity == 0) return;
    const char *begin = value;
    while (*begin == ' ' || *begin == '\t') ++begin;
    const char *end = begin + strlen(begin);
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
    StripProfileQuotes(&begin, &end);
    size_t size = (size_t)(end - begin);
    if (size >= capacity) size = capacity - 1;
    memcpy(dest, begin, size);
    dest[size] = 0;
}

bool BuildGroupRemovalText(const LogRecord *icons, int count, char *dest, size_t capacity)
{
    if (capacity == 0) return false;
    dest[0] = 0;
    // Each group's commands as the install record's way builds them.
    const char **items = (const char **)malloc(sizeof *items * (count > 0 ? count : 1));
    bool fits = items != 0;
    for (int i = 0; i < count && fits; ++i) {
        const char *group = icons[i].Text;
        bool seen = !IsSendableGroupName(group);
        for (int j = 0; j < i && !seen; ++j) seen = strcmp(icons[j].Text, group) == 0;
        if (seen) continue;
        int itemCount = 0;
        for (int j = i; j < count; ++j)
            if (strcmp(icons[j].Text, group) == 0) items[itemCount++] = icons[j].Name;
        fits = AppendGroupRemoval(dest, capacity, group, true, items, itemCount);
    }
    free(items);
    if (!fits) dest[0] = 0;
    return fits;
}

bool ParseRemoverCommandLine(const char *commandLine, unsigned long long *handle, char *path,
                             size_t capacity)
{
    static const char option[] = "/remove ";
    const char *at = commandLine;
    while (*at == ' ') ++at;
    if (strncmp(at, option, sizeof option - 1) != 0) return false;
    at += sizeof option - 1;
    while (*at == ' ') ++at;
    if (*at < '0' || *at > '9') return false;
    // Read by hand: strtoull would bring the C99 library's copy (and its
    // 64-bit division) into the program. A number past 64 bits is refused.
    unsigned long long value = 0;
    for (; *at >= '0' && *at <= '9'; ++at) {
        unsigned digit = (unsigned)(*at - '0');
        const unsigned long long limit = ~0ULL / 10;  // folded at compile time
        if (value > limit || (value == limit && digit > ~0ULL % 10)) return false;
        value = value * 10 + digit;
    }
    if (*at != ' ' || value == 0) return false;
    while (*at == ' ') ++at;
    const char *stop = at + strlen(at);
    while (stop > at && stop[-1] == ' ') --stop;
    if (stop - at >= 2 && *at == '"' && stop[-1] == '"') {
        ++at;
        --stop;
    }
    size_t size = (size_t)(stop - at);
    if (size == 0 || size >= capacity || memchr(at, '"', size)) return false;
    memcpy(path, at, size);
    path[size] = 0;
    *handle = value;
    return true;
}
