// Fuzz target for the index of a disk's file entries in its section text.
// Input: the first byte gives the count, the rest the section's lines,
// separated by line feeds (each becomes a terminator, as the section read
// returns them).
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/disk_entries.h"
#include "core/entries.h"

static bool IsKeyOf(const char *line, int n)
{
    if (strncasecmp(line, "file", 4) != 0) return false;
    char *end;
    long key = strtol(line + 4, &end, 10);
    return key == n && line[4] >= '1' && line[4] <= '9' && (*end == '=' || *end == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    int count = data[0] % 40;
    // Exactly sized: the lines, then the empty line that ends the list.
    size_t length = size - 1;
    char *section = (char *)malloc(length + 2);
    memcpy(section, data + 1, length);
    for (size_t i = 0; i < length; ++i)
        if (section[i] == '\n') section[i] = 0;
    section[length] = section[length + 1] = 0;
    // An empty line ends the list early, as it would in the section read.
    const char **values = (const char **)calloc((size_t)count + 1, sizeof *values);
    IndexDiskSection(section, count, values);
    if (values[0]) __builtin_trap();
    for (int n = 1; n <= count; ++n) {
        const char *value = values[n];
        if (!value) continue;
        if (value < section || value > section + length) __builtin_trap();
        // The value belongs to the line of key file<n>.
        const char *line = value;
        while (line > section && line[-1] != 0) --line;
        if (!IsKeyOf(line, n)) __builtin_trap();
        char entry[FileEntryLimit];
        CopyProfileValue(value, entry, sizeof entry);
        if (strlen(entry) >= sizeof entry || strlen(entry) > strlen(value)) __builtin_trap();
    }
    free(values);
    free(section);
    return 0;
}
