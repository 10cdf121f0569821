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
