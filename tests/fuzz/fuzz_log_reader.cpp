// Fuzz target for the log reader and the uninstaller's path checks: any
// install.log, however damaged, must be read without touching memory outside
// the text and the records, every record must be re-readable from its start,
// and each field must be terminated within its buffer.
#include <stdint.h>
#include <string.h>

#include "core/log_reader.h"
#include "core/uninstall_text.h"
#include "tests/host/code_pages.h"

static int Check(const uint8_t *data, size_t size)
{
    // An exactly sized, unterminated copy: a read past the end is caught.
    char *text = new char[size ? size : 1];
    memcpy(text, data, size);
    IsInstallLog(text, size);
    LogCursor cursor = {text, size, 0};
    LogRecord record, again;
    size_t start = 0, last = 0;
    bool first = true;
    while (NextLogRecord(&cursor, &record, &start)) {
        if ((!first && start <= last) || cursor.At > size) __builtin_trap();
        first = false;
        last = start;
        if (memchr(record.Text, 0, sizeof record.Text) == 0 ||
            memchr(record.Name, 0, sizeof record.Name) == 0 ||
            memchr(record.Value, 0, sizeof record.Value) == 0 ||
            memchr(record.Section, 0, sizeof record.Section) == 0)
            __builtin_trap();
        if (record.Kind == LogRecordRegistry && (record.Root < 0 || record.Root > 3))
            __builtin_trap();
        LogCursor reread = {text, size, start};
        if (!NextLogRecord(&reread, &again, 0) || again.Kind != record.Kind ||
            strcmp(again.Text, record.Text) != 0 || reread.At != cursor.At)
            __builtin_trap();
        // The path checks take whatever a log names.
        PathIsInside(record.Text, "C:\\Demo");
        PathIsAtOrInside(record.Text, record.Value);
        PathDepth(record.Text);
        char form[LogFieldSize];
        ProfileValueForm(record.Value, form, sizeof form);
        if (record.Kind == LogRecordIcon) {
            char commands[2048];
            BuildGroupRemovalText(&record, 1, commands, sizeof commands);
        }
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
