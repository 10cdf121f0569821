#include "log_reader.h"

#include <stddef.h>
#include <string.h>

#include "log_format.h"

namespace {

// One line of the text, without its line end.
struct Line {
    const char *Begin;
    size_t Size;
    bool Complete;  // ended by a line feed and free of control characters
};

// The line at `at`; returns where the next one starts.
size_t TakeLine(const char *text, size_t length, size_t at, Line *line)
{
    size_t end = at;
    while (end < length && text[end] != '\n') ++end;
    line->Begin = text + at;
    line->Complete = end < length;
    size_t next = end < length ? end + 1 : end;
    if (end > at && text[end - 1] == '\r') --end;
    line->Size = end - at;
    for (size_t i = 0; i < line->Size && line->Complete; ++i) {
        unsigned char c = (unsigned char)line->Begin[i];
        if (c < 0x20 && c != '\t') line->Complete = false;
    }
    return next;
}

// Every line form a record is made of, in the order of its lines: a record's
// first line names its kind, the lines after it (kind 0) complete it. The
// prefixes lie in one text, each after the one before and its terminator
// (aligned as text is, not padded to 32 bytes as a large array would be).
const char Prefixes[] __attribute__((aligned(1))) =
    LogTitlePrefix "\0" LogSourcePrefix "\0" LogMadeDirPrefix "\0" LogFileCopyPrefix "\0"
    LogRegKeyPrefix "\0" LogRegValPrefix "\0" LogRegNamePrefix "\0" LogRegRootPrefix "\0"
    LogIniFilePrefix "\0" LogIniSectPrefix "\0" LogIniItemPrefix "\0"
    LogIniValPrefix "\0" LogIconGroupPrefix "\0" LogIconNamePrefix "\0" LogIconCmdPrefix;

// A line's field: Text, Section, Name or Value (in that order in LogRecord),
// or the registry root, one digit 0 to 3.
enum { TextField, SectionField, NameField, ValueField, RootField };
static_assert(offsetof(LogRecord, Section) == offsetof(LogRecord, Text) + LogFieldSize &&
                  offsetof(LogRecord, Name) == offsetof(LogRecord, Text) + 2 * LogFieldSize &&
                  offsetof(LogRecord, Value) == offsetof(LogRecord, Text) + 3 * LogFieldSize,
              "the text fields follow one another");
// A path or directory: an empty one names nothing.
enum { NotEmpty = 0x80 };

struct LineForm {
    unsigned char Kind;
    unsigned char Field;  // with NotEmpty
};

const LineForm Forms[] = {
    {LogRecordTitle, TextField},
    {LogRecordSource, TextField},
    {LogRecordMadeDir, TextField | NotEmpty},
    {LogRecordFileCopy, TextField | NotEmpty},
    {LogRecordRegistry, TextField}, {0, ValueField}, {0, NameField}, {0, RootField},
    {LogRecordIni, TextField}, {0, SectionField}, {0, NameField}, {0, ValueField},
    {LogRecordIcon, TextField}, {0, NameField}, {0, ValueField},
};
enum { FormCount = sizeof Forms / sizeof Forms[0] };

// The field after prefix into the record; false when the line has another
// form or the field does not fit.
bool TakeField(const Line &line, const char *prefix, const LineForm &form, LogRecord *record)
{
    if (!line.Complete) return false;
    size_t prefixSize = strlen(prefix);
    if (line.Size < prefixSize || memcmp(line.Begin, prefix, prefixSize) != 0) return false;
    size_t size = line.Size - prefixSize;
    if (size >= LogFieldSize || (size == 0 && (form.Field & NotEmpty))) return false;
    if (form.Field == RootField) {
        if (size != 1 || line.Begin[prefixSize] < '0' || line.Begin[prefixSize] > '3') return false;
        record->Root = line.Begin[prefixSize] - '0';
        return true;
    }
    char *dest = (char *)record + offsetof(LogRecord, Text) + (form.Field & 3) * LogFieldSize;
    memcpy(dest, line.Begin + prefixSize, size);
    dest[size] = 0;
    return true;
}

// The record whose first line starts at `at`; where the line after it
// starts, or 0 when no complete record starts there.
size_t ReadRecord(const char *text, size_t length, size_t at, LogRecord *record)
{
    Line line;
    size_t next = TakeLine(text, length, at, &line);
    const char *prefix = Prefixes;
    for (int i = 0; i < FormCount; ++i, prefix += strlen(prefix) + 1) {
        if (!Forms[i].Kind || !TakeField(line, prefix, Forms[i], record)) continue;
        record->Kind = Forms[i].Kind;
        while (++i < FormCount && !Forms[i].Kind) {
            prefix += strlen(prefix) + 1;
            if (next >= length) return 0;
            next = TakeLine(text, length, next, &line);
            if (!TakeField(line, prefix, Forms[i], record)) return 0;
        }
        return next;
    }
    return 0;
}

}  // namespace

bool IsInstallLog(const char *text, size_t length)
{
    Line line;
    TakeLine(text, length, 0, &line);
    size_t prefix = strlen(LogHeaderPrefix), suffix = strlen(LogHeaderSuffix);
    return line.Complete && line.Size >= prefix + suffix &&
           memcmp(line.Begin, LogHeaderPrefix, prefix) == 0 &&
           memcmp(line.Begin + line.Size - suffix, LogHeaderSuffix, suffix) == 0;
}

bool NextLogRecord(LogCursor *cursor, LogRecord *record, size_t *start)
{
    while (cursor->At < cursor->Length) {
        size_t lineStart = cursor->At;
        memset(record, 0, sizeof *record);
        size_t next = ReadRecord(cursor->Text, cursor->Length, lineStart, record);
        if (next) {
            cursor->At = next;
            if (start) *start = lineStart;
            return true;
        }
        // Not a record, or a group cut short: the lines after this one are
        // read again on their own, so a complete record among them counts.
        Line line;
        cursor->At = TakeLine(cursor->Text, cursor->Length, lineStart, &line);
    }
    memset(record, 0, sizeof *record);
    return false;
}
