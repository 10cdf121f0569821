// Fuzz target for the record's name and digest: a record argument taken from
// any command line is a plain name ending in ".rec" and the rest of the line
// lies within it; any title gives a name the uninstaller takes; the digest
// of a text fed in two pieces is the digest of the whole.
#include <stdint.h>
#include <string.h>

#include "core/record_name.h"
#include "core/sha256.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *line = new char[size + 1];
    memcpy(line, data, size);
    line[size] = 0;
    size_t length = strlen(line);

    char name[RecordNameSize];
    const char *rest = TakeRecordArgument(line, name, sizeof name);
    if (rest < line || rest > line + length) __builtin_trap();
    if (name[0]) {
        if (!IsRecordFileName(name) || strpbrk(name, "\\/:*?\"<>| ")) __builtin_trap();
        if (!strstr(line, name) || rest == line) __builtin_trap();
    } else if (rest != line) {
        __builtin_trap();
    }

    char title[RecordTextSize];
    size_t titleSize = length < sizeof title - 1 ? length : sizeof title - 1;
    memcpy(title, line, titleSize);
    title[titleSize] = 0;
    char taken[RecordNameSize];
    if (!FormatProductFileName(title, RecordExtension, name, sizeof name) ||
        !IsRecordFileName(name) || *TakeRecordArgument(name, taken, sizeof taken) ||
        strcmp(name, taken) != 0)
        __builtin_trap();

    char whole[Sha256HexSize], pieces[Sha256HexSize];
    RecordDigest((const char *)data, size, whole);
    Sha256 hash;
    StartSha256(&hash);
    size_t cut = size ? data[0] % (size + 1) : 0;
    UpdateSha256(&hash, data, cut);
    UpdateSha256(&hash, data + cut, size - cut);
    FinishSha256Hex(&hash, pieces);
    if (strcmp(whole, pieces) != 0 || strlen(whole) != 2 * Sha256Size) __builtin_trap();
    delete[] line;
    return 0;
}
