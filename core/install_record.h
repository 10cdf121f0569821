// The install record (install.rec): what an installation found and did, for
// the uninstaller to give the machine back as it was. Pure reader, writer and
// merger of its lines, free of the platform, so they are tested and fuzzed on
// the host. The format is described in docs/install-record.md.
//
// A record is a header line, one line per entry and an end line that counts
// the entries and carries the CRC-32 of every byte before it. A record that
// does not check out whole is damaged and is not used at all.
#pragma once

#include <stddef.h>

#define InstallRecordName "install.rec"
#define RecordMagic "InstallRecord"

// A larger install.rec is not read: neither merged into by a later run nor
// taken by the uninstaller.
enum { RecordFileLimit = 64 << 20 };

enum {
    RecordVersion = 1,
    RecordTextSize = 300,   // a text field, terminator included
    RecordDataSize = 1024,  // a prior value kept (registry bytes, win.ini text)
    RecordLineSize = 8192   // a line, line end and terminator included
};

enum RecordKind {
    RecordTitle = 1,  // Text: the product title
    RecordDir,        // Text: the directory; Flag: this installation made it
    RecordFile,       // Text: the file; Flag: a file stood there before; Size, Crc
    RecordReg,        // Root, Text: key, Name: value name, Value: data written,
                      // Prior*, CreatedKey: the topmost key the installation made
    RecordIni,        // Text: section, Name: entry, Value: written, Prior*
    RecordGroup,      // Text: group; Flag: it existed before
    RecordItem,       // Text: group, Name: item; Flag: it existed before
    RecordShared      // Text: a file whose shared reference count the
                      // installation raised; Size: by how much in all
};

// What stood at a registry value or win.ini entry before the installation.
enum RecordPrior {
    PriorAbsent = 0,   // nothing: the installation's value goes at removal
    PriorPresent = 1,  // PriorType and PriorData hold it
    PriorNotKept = 2   // something too large to keep: the value stays at removal
};

struct RecordEntry {
    int Kind;
    int Flag;
    int Root;
    unsigned long Size;
    unsigned long Crc;
    int Prior;
    unsigned long PriorType;  // RecordReg: the value's registry type
    size_t PriorSize;         // bytes of PriorData (RecordIni: the text's length)
    unsigned char PriorData[RecordDataSize];  // RecordIni: terminated text
    char Text[RecordTextSize];
    char Name[RecordTextSize];
    char Value[RecordTextSize];
    char CreatedKey[RecordTextSize];
};

// Clears entry and sets its kind.
void StartRecordEntry(RecordEntry *entry, int kind);

// "InstallRecord 1" and its CR LF.
bool FormatRecordHeader(char *line, size_t capacity);
// The entry as one line ending in CR LF; false when it does not fit.
bool FormatRecordLine(const RecordEntry *entry, char *line, size_t capacity);
// "End <count> <crc>" and its CR LF; crc covers every byte before this line.
bool FormatRecordEnd(unsigned long count, unsigned long crc, char *line, size_t capacity);

// One entry line, without its line end (size bytes, need not be terminated).
// False for anything that is not an entry line of this version.
bool ParseRecordLine(const char *line, size_t size, RecordEntry *entry);

enum RecordCheck {
    RecordIntact = 0,
    RecordDamaged,     // cut, changed, or not a record at all
    RecordTooNew       // a record of a later version of the format
};

// Checks a whole record: header, every entry line, the end line's count and
// CRC, nothing after it. *count (when given) receives the number of entries.
RecordCheck CheckRecord(const char *text, size_t length, unsigned long *count);

// A position in a record's text, for walking its entry lines.
struct RecordCursor {
    const char *Text;
    size_t Length;
    size_t At;
};

// The cursor at the first entry line of a checked record.
void StartRecordCursor(RecordCursor *cursor, const char *text, size_t length);
// The next entry line (without its line end); false at the end line or the
// end of the text. *start (when given) receives the line's offset.
bool NextRecordLine(RecordCursor *cursor, const char **line, size_t *size, size_t *start);

// True when two entries are about the same thing (a path, a value, an entry,
// a group or an item), compared as the platform compares names: ASCII
// letters without regard to case.
bool SameRecordSubject(const RecordEntry *a, const RecordEntry *b);
// A hash that entries about the same thing share.
unsigned long RecordSubjectHash(const RecordEntry *entry);
// A later run's entry merged into an earlier one about the same thing: what
// stood before is the earliest run's knowledge, what was written the latest.
void MergeRecordEntry(RecordEntry *earlier, const RecordEntry *later);
