#include "record_name.h"

#include <string.h>

#include "crc32.h"
#include "names.h"
#include "text.h"

bool FormatProductFileName(const char *title, const char *extension, char *dest,
                           size_t capacity)
{
    unsigned long crc = Crc32Start;
    for (const char *at = title; *at; ++at) {
        char folded = FoldCase(*at);
        crc = UpdateCrc32(crc, &folded, 1);
    }
    return FormatText(dest, capacity, RecordNamePrefix "%08lx%s", crc & 0xFFFFFFFFul, extension);
}

bool IsRecordFileName(const char *name)
{
    size_t length = BoundedLength(name, RecordNameSize);
    size_t extension = sizeof RecordExtension - 1;
    if (length >= RecordNameSize || length <= extension || name[0] == '.' ||
        !SameFolded(name + length - extension, RecordExtension) || !IsContainedName(name))
        return false;
    for (const char *at = name; *at; ++at)
        if ((unsigned char)*at <= ' ' || strchr("\\/:*?\"<>|", *at)) return false;
    return true;
}

const char *TakeRecordArgument(const char *commandLine, char *name, size_t capacity)
{
    const char *at = commandLine;
    while (*at == ' ') ++at;
    const char *end = at;
    while (*end && *end != ' ') ++end;
    char token[RecordNameSize];
    size_t size = (size_t)(end - at);
    if (capacity) name[0] = 0;
    if (size >= sizeof token) return commandLine;
    memcpy(token, at, size);
    token[size] = 0;
    if (!IsRecordFileName(token) || !CopyText(name, capacity, token)) {
        if (capacity) name[0] = 0;
        return commandLine;
    }
    while (*end == ' ') ++end;
    return end;
}

bool FormatUninstallKey(const char *title, char *dest, size_t capacity)
{
    return title[0] && FormatText(dest, capacity, UninstallKeyPrefix "%s", title);
}

void RecordDigest(const char *text, size_t length, char hex[Sha256HexSize])
{
    Sha256 hash;
    StartSha256(&hash);
    UpdateSha256(&hash, text, length);
    FinishSha256Hex(&hash, hex);
}

// The next digest of a list: 64 hex digits followed by a blank or the end.
// Returns its start, or null at the end; *at moves past it.
static const char *NextDigest(const char **at)
{
    for (;;) {
        const char *start = *at;
        while (*start == ' ') ++start;
        if (!*start) return 0;
        size_t size = 0;
        while (start[size] && start[size] != ' ') ++size;
        *at = start + size;
        bool digits = size == 2 * Sha256Size;
        for (size_t i = 0; digits && i < size; ++i)
            digits = (start[i] >= '0' && start[i] <= '9') || (start[i] >= 'a' && start[i] <= 'f');
        if (digits) return start;
    }
}

static bool IsDigest(const char *start, const char *hex)
{
    return hex && strncmp(start, hex, 2 * Sha256Size) == 0 && strlen(hex) == 2 * Sha256Size;
}

bool DigestListHolds(const char *list, const char *hex)
{
    for (const char *at = list, *start; (start = NextDigest(&at));)
        if (IsDigest(start, hex)) return true;
    return false;
}

void EditDigestList(const char *list, const char *removed, const char *added, char *dest)
{
    const char *kept[DigestListCount + 1];
    int count = 0;
    for (const char *at = list, *start; (start = NextDigest(&at));) {
        if (IsDigest(start, removed) || IsDigest(start, added)) continue;
        if (count == DigestListCount) {  // the oldest goes
            memmove(kept, kept + 1, (DigestListCount - 1) * sizeof *kept);
            --count;
        }
        kept[count++] = start;
    }
    if (added && strlen(added) == 2 * Sha256Size) {
        if (count == DigestListCount) {
            memmove(kept, kept + 1, (DigestListCount - 1) * sizeof *kept);
            --count;
        }
        kept[count++] = added;
    }
    dest[0] = 0;
    for (int i = 0; i < count; ++i) {
        char *end = dest + strlen(dest);
        if (i) *end++ = ' ';
        memcpy(end, kept[i], 2 * Sha256Size);
        end[2 * Sha256Size] = 0;
    }
}
