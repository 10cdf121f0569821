#include "log_reader.h"

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

// The field after prefix into dest; false when the line has another form or
// the field does not fit.
bool Field(const Line &line, const char *prefix, char *dest)
{
    if (!line.Complete) return false;
    size_t prefixSize = strlen(prefix);
    if (line.Size < prefixSize || memcmp(line.Begin, prefix, prefixSize) != 0) return false;
    size_t size = line.Size - prefixSize;
    if (size >= LogFieldSize) return false;
    memcpy(dest, line.Begin + prefixSize, size);
    dest[size] = 0;
    return true;
}

bool RootField(const Line &line, int *root)
{
    char text[LogFieldSize];
    if (!Field(line, LogRegRootPrefix, text)) return false;
    if (text[0] < '0' || text[0] > '3' || text[1] != 0) return false;
    *root = text[0] - '0';
    return true;
}

// The lines of a group, each of its own form, one after the other.
struct GroupReader {
    const char *Text;
    size_t Length;
    size_t At;
    bool Next(Line *line)
    {
        if (At >= Length) return false;
        At = TakeLine(Text, Length, At, line);
        return true;
    }
};

bool ReadGroup(GroupReader *reader, const Line &first, LogRecord *record)
{
    Line line;
    if (Field(first, LogRegKeyPrefix, record->Text)) {
        record->Kind = LogRecordRegistry;
        return reader->Next(&line) && Field(line, LogRegValPrefix, record->Value) &&
               reader->Next(&line) && Field(line, LogRegNamePrefix, record->Name) &&
               reader->Next(&line) && RootField(line, &record->Root);
    }
    if (Field(first, LogIniFilePrefix, record->Text)) {
        record->Kind = LogRecordIni;
        return reader->Next(&line) && Field(line, LogIniSectPrefix, record->Section) &&
               reader->Next(&line) && Field(line, LogIniItemPrefix, record->Name) &&
               reader->Next(&line) && Field(line, LogIniValPrefix, record->Value);
    }
    if (Field(first, LogIconGroupPrefix, record->Text)) {
        record->Kind = LogRecordIcon;
        return reader->Next(&line) && Field(line, LogIconNamePrefix, record->Name) &&
               reader->Next(&line) && Field(line, LogIconCmdPrefix, record->Value);
    }
    return false;
}

// A record of one line; paths and directories must not be empty.
bool ReadSingle(const Line &line, LogRecord *record)
{
    if (Field(line, LogTitlePrefix, record->Text)) {
        record->Kind = LogRecordTitle;
        return true;
    }
    if (Field(line, LogSourcePrefix, record->Text)) {
        record->Kind = LogRecordSource;
        return true;
    }
    if (Field(line, LogMadeDirPrefix, record->Text)) {
        record->Kind = LogRecordMadeDir;
        return record->Text[0] != 0;
    }
    if (Field(line, LogFileCopyPrefix, record->Text)) {
        record->Kind = LogRecordFileCopy;
        return record->Text[0] != 0;
    }
    return false;
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
        Line first;
        size_t next = TakeLine(cursor->Text, cursor->Length, lineStart, &first);
        memset(record, 0, sizeof *record);
        if (ReadSingle(first, record)) {
            cursor->At = next;
            if (start) *start = lineStart;
            return true;
        }
        GroupReader group = {cursor->Text, cursor->Length, next};
        if (ReadGroup(&group, first, record)) {
            cursor->At = group.At;
            if (start) *start = lineStart;
            return true;
        }
        // Not a record, or a group cut short: the lines after this one are
        // read again on their own, so a complete record among them counts.
        cursor->At = next;
    }
    memset(record, 0, sizeof *record);
    return false;
}
