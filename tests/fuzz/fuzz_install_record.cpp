// Fuzz target for the install record's reader: any install.rec, however
// damaged, is checked without touching memory outside its text; every line
// of an intact one reads as an entry whose fields are terminated within
// their buffers and which writes back to the very same line; merging two
// entries about one thing keeps them about it; the uninstaller's key walk
// stays within its table.
#include <stdint.h>
#include <string.h>

#include "core/install_record.h"
#include "core/record_rules.h"
#include "tests/host/code_pages.h"

static void CheckEntry(const RecordEntry &entry)
{
    if (!memchr(entry.Text, 0, sizeof entry.Text) || !memchr(entry.Name, 0, sizeof entry.Name) ||
        !memchr(entry.Value, 0, sizeof entry.Value) ||
        !memchr(entry.CreatedKey, 0, sizeof entry.CreatedKey) || entry.PriorSize > RecordDataSize)
        __builtin_trap();
    if (entry.Kind == RecordReg && (entry.Root < 0 || entry.Root > 3)) __builtin_trap();
}

static int Check(const uint8_t *data, size_t size)
{
    // An exactly sized, unterminated copy: a read past the end is caught.
    char *text = new char[size ? size : 1];
    memcpy(text, data, size);
    static RecordEntry entry, again, merged;
    static char line[RecordLineSize];
    static char keys[8][RecordTextSize];

    // Each line on its own, as the setup reads its run's file.
    for (size_t at = 0; at < size;) {
        const char *end = (const char *)memchr(text + at, '\n', size - at);
        size_t lineSize = end ? (size_t)(end - (text + at)) : size - at;
        if (ParseRecordLine(text + at, lineSize, &entry)) {
            CheckEntry(entry);
            if (!FormatRecordLine(&entry, line, sizeof line)) __builtin_trap();
            size_t written = strlen(line);
            if (written != lineSize + 2 || memcmp(line, text + at, lineSize) != 0) __builtin_trap();
            merged = entry;
            MergeRecordEntry(&merged, &entry);
            if (!SameRecordSubject(&merged, &entry) ||
                RecordSubjectHash(&merged) != RecordSubjectHash(&entry))
                __builtin_trap();
            if (KeysToRemove(&entry, keys, 8) > 8) __builtin_trap();
        }
        at += lineSize + 1;
    }

    unsigned long count = 0;
    if (CheckRecord(text, size, &count) == RecordIntact) {
        RecordCursor cursor;
        StartRecordCursor(&cursor, text, size);
        const char *entryLine;
        size_t entrySize, start;
        unsigned long seen = 0;
        while (NextRecordLine(&cursor, &entryLine, &entrySize, &start)) {
            if (entryLine < text || entryLine + entrySize > text + size) __builtin_trap();
            if (!ParseRecordLine(entryLine, entrySize, &again)) __builtin_trap();
            CheckEntry(again);
            ++seen;
        }
        if (seen != count) __builtin_trap();
    }
    delete[] text;
    return 0;
}

// Every input in a single-byte code page and in each double-byte one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ForEachCodePage([&](LeadByteTest) { Check(data, size); });
    return 0;
}
