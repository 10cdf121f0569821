#include "disk_entries.h"

#include <stdlib.h>
#include <string.h>

#include "profile_value.h"
#include "text.h"

// Whether line starts with the key "file" in any case.
static bool StartsWithFileKey(const char *line)
{
    static const char key[] = "file";
    for (size_t i = 0; i < sizeof key - 1; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
        if (c != key[i]) return false;
    }
    return true;
}

void IndexDiskSection(const char *section, int count, const char **values)
{
    for (const char *line = section; *line; line += strlen(line) + 1) {
        if (!StartsWithFileKey(line)) continue;
        const char *digits = line + 4, *end = digits;
        while (*end >= '0' && *end <= '9') ++end;
        if (end == digits || end - digits > 9 || (*end != '=' && *end != 0)) continue;
        char number[16];
        long n = strtol(digits, 0, 10);
        // "file01" is not the key "file1".
        FormatText(number, sizeof number, "%ld", n);
        if (strncmp(number, digits, (size_t)(end - digits)) != 0 ||
            number[end - digits] != 0 || n < 1 || n > count || values[n])
            continue;
        values[n] = *end == '=' ? end + 1 : end;
    }
}

void CopyProfileValue(const char *value, char *dest, size_t capacity)
{
    if (capacity == 0) return;
    if (!value) value = "";
    const char *end = value + strlen(value);
    StripProfileQuotes(&value, &end);
    size_t length = (size_t)(end - value);
    if (length > capacity - 1) length = capacity - 1;
    memcpy(dest, value, length);
    dest[length] = 0;
}
