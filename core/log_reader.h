// Reads install.log back into records: pure functions over the log's text,
// free of the platform, so they are tested and fuzzed on the host.
//
// Every line the setup writes ends in a line feed (CR LF on disk). A line
// without its line end (the file was cut), a line too long for a field, a
// line with a control character, a line of no known form and a group of
// lines that is not complete are passed over: a record is only what complete
// lines name, and a path is never shortened into another one.
#pragma once

#include <stddef.h>

enum {
    LogFieldSize = 300  // a field of a line, terminator included
};

enum LogRecordKind {
    LogRecordTitle = 1,  // Text: the product title
    LogRecordSource,     // Text: the source directory
    LogRecordMadeDir,    // Text: the directory made
    LogRecordFileCopy,   // Text: the destination path
    LogRecordRegistry,   // Text: key, Name: value name, Value: data, Root
    LogRecordIni,        // Text: the INI file, Section, Name: key, Value
    LogRecordIcon        // Text: group, Name: item name, Value: item command
};

struct LogRecord {
    int Kind;
    int Root;  // LogRecordRegistry: 0 to 3
    char Text[LogFieldSize];
    char Section[LogFieldSize];
    char Name[LogFieldSize];
    char Value[LogFieldSize];
};

// A position in the log's text; Text need not be terminated.
struct LogCursor {
    const char *Text;
    size_t Length;
    size_t At;
};

// True when the text begins with a complete header line, the mark of an
// installation log.
bool IsInstallLog(const char *text, size_t length);

// Reads the next record at or after cursor->At and moves the cursor past it.
// *start (when given) receives the offset of the record's first line, so that
// the record can be read again from there. False at the end of the text.
bool NextLogRecord(LogCursor *cursor, LogRecord *record, size_t *start);
