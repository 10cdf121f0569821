// Reading install.rec: one entry line, the whole record's check, and a
// walk over a checked record's entry lines.
#include "install_record.h"

#include <string.h>

#include "crc32.h"
#include "install_record_line.h"

enum { MaxFields = 10, CrcDigits = 8 };

const char *const RecordKeywords[RecordKeywordCount] = {
    0, "Title", "Dir", "File", "Reg", "Ini", "Group", "Item", "Shared"};
const char *const RecordLayouts[RecordKeywordCount] = {
    0, "t", "ft", "fsct", "rpydktnv", "pitnv", "ft", "ftn", "zt"};

char *RecordTextField(const RecordEntry *entry, char letter)
{
    const char *text = letter == 'n' ? entry->Name
                       : letter == 'v' ? entry->Value
                       : letter == 'k' ? entry->CreatedKey
                                       : entry->Text;
    return (char *)text;
}

void StartRecordEntry(RecordEntry *entry, int kind)
{
    memset(entry, 0, sizeof *entry);
    entry->Kind = kind;
}

struct Field {
    const char *Text;
    size_t Size;
};

// Splits at single blanks; false for an empty field or more than max.
static bool SplitFields(const char *line, size_t size, Field *fields, int max, int *count)
{
    *count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && line[i] != ' ') continue;
        if (i == start || *count == max) return false;
        fields[*count].Text = line + start;
        fields[*count].Size = i - start;
        ++*count;
        start = i + 1;
    }
    return true;
}

static bool FieldIs(const Field &field, const char *word)
{
    return strlen(word) == field.Size && memcmp(field.Text, word, field.Size) == 0;
}

// A lower-case hex digit's value (one spelling only, as written); -1 for
// anything else.
static int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Two lower-case hex digits as a byte; -1 for anything else.
static int HexByte(const char *text)
{
    int high = HexDigit(text[0]), low = HexDigit(text[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// Decimal, without sign or leading zeros (but "0"), at most max.
static bool ParseNumber(const Field &field, unsigned long max, unsigned long *value)
{
    if (field.Size == 0 || (field.Size > 1 && field.Text[0] == '0')) return false;
    unsigned long result = 0;
    for (size_t i = 0; i < field.Size; ++i) {
        unsigned long digit = (unsigned long)(field.Text[i] - '0');
        if (digit > 9 || digit > max || result > (max - digit) / 10) return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

static bool ParseCrc(const Field &field, unsigned long *crc)
{
    if (field.Size != CrcDigits) return false;
    unsigned long result = 0;
    for (size_t i = 0; i < field.Size; ++i) {
        int digit = HexDigit(field.Text[i]);
        if (digit < 0) return false;
        result = (result << 4) | (unsigned long)digit;
    }
    *crc = result;
    return true;
}

// A text field into dest (capacity bytes); no NUL, no byte that should have
// been escaped, nothing that does not fit.
static bool ParseText(const Field &field, char *dest, size_t capacity, size_t *length)
{
    if (field.Size == 0 || field.Text[0] != ':') return false;
    size_t out = 0;
    for (size_t i = 1; i < field.Size; ++i) {
        int c = (unsigned char)field.Text[i];
        if (c == '%') {
            if (i + 2 >= field.Size) return false;
            c = HexByte(field.Text + i + 1);
            if (c <= 0 || !NeedsEscape((unsigned char)c)) return false;
            i += 2;
        } else if (NeedsEscape((unsigned char)c)) {
            return false;
        }
        if (out + 1 >= capacity) return false;
        dest[out++] = (char)c;
    }
    dest[out] = 0;
    if (length) *length = out;
    return true;
}

static bool ParseData(const Field &field, unsigned char *dest, size_t capacity, size_t *size)
{
    if (field.Size == 0 || field.Text[0] != 'x' || (field.Size - 1) % 2 != 0) return false;
    size_t bytes = (field.Size - 1) / 2;
    if (bytes > capacity) return false;
    for (size_t i = 0; i < bytes; ++i) {
        int byte = HexByte(field.Text + 1 + 2 * i);
        if (byte < 0) return false;
        dest[i] = (unsigned char)byte;
    }
    *size = bytes;
    return true;
}

bool ParseRecordLine(const char *line, size_t size, RecordEntry *entry)
{
    Field fields[MaxFields];
    int count;
    StartRecordEntry(entry, 0);
    if (!SplitFields(line, size, fields, MaxFields, &count)) return false;
    int kind = 0;
    for (int k = RecordTitle; k < RecordKeywordCount; ++k)
        if (FieldIs(fields[0], RecordKeywords[k])) kind = k;
    entry->Kind = kind;
    const char *layout = RecordLayouts[kind];
    bool ok = kind && strlen(layout) + 1 == (size_t)count;
    for (int i = 1; ok && i < count; ++i) {
        const Field &field = fields[i];
        char letter = layout[i - 1];
        unsigned long number = 0;
        switch (letter) {
        case 'c':
            ok = ParseCrc(field, &entry->Crc);
            break;
        case 'd':
            ok = ParseData(field, entry->PriorData, sizeof entry->PriorData, &entry->PriorSize);
            break;
        case 'i':
            ok = ParseText(field, (char *)entry->PriorData, sizeof entry->PriorData,
                           &entry->PriorSize);
            break;
        case 't':
        case 'n':
        case 'v':
        case 'k':
            ok = ParseText(field, RecordTextField(entry, letter), RecordTextSize, 0);
            break;
        default: {
            // Flag, Root and Prior have their ranges, the rest are 32 bits.
            const char *ranged = strchr("frp", letter);
            ok = ParseNumber(field, ranged ? (unsigned long)"\1\3\2"[ranged - "frp"] : 0xFFFFFFFFUL,
                             &number);
            if (letter == 'f') entry->Flag = (int)number;
            if (letter == 'r') entry->Root = (int)number;
            if (letter == 'p') entry->Prior = (int)number;
            if (letter == 'y') entry->PriorType = number;
            if (letter == 's' || letter == 'z') entry->Size = number;
            if (letter == 'z' && !number) ok = false;
        }
        }
    }
    // Only a value that stood before has a type and data.
    ok = ok && (entry->Prior == PriorPresent || (entry->PriorType == 0 && entry->PriorSize == 0));
    if (!ok) StartRecordEntry(entry, 0);
    return ok;
}

// The line at at: its size without the CR LF, and where the next begins.
// False when the line has no CR LF (the text was cut) or holds a lone CR.
static bool LineAt(const char *text, size_t length, size_t at, size_t *size, size_t *next)
{
    for (size_t i = at; i < length; ++i) {
        if (text[i] == '\n') return false;
        if (text[i] != '\r') continue;
        if (i + 1 >= length || text[i + 1] != '\n') return false;
        *size = i - at;
        *next = i + 2;
        return true;
    }
    return false;
}

static bool IsEndLine(const char *line, size_t size)
{
    return size > 4 && memcmp(line, RecordEndKeyword " ", 4) == 0;
}

RecordCheck CheckRecord(const char *text, size_t length, unsigned long *count)
{
    if (count) *count = 0;
    size_t size, next;
    if (!LineAt(text, length, 0, &size, &next)) return RecordDamaged;
    Field fields[3];
    int fieldCount;
    unsigned long version = 0;
    if (!SplitFields(text, size, fields, 3, &fieldCount) || fieldCount != 2 ||
        !FieldIs(fields[0], RecordMagic) || !ParseNumber(fields[1], 0xFFFFFFFFUL, &version))
        return RecordDamaged;
    if (version != RecordVersion) return version > RecordVersion ? RecordTooNew : RecordDamaged;

    // One entry at a time, so that the check needs no more memory than one.
    static RecordEntry entry;
    unsigned long entries = 0;
    size_t at = next;
    for (;;) {
        if (!LineAt(text, length, at, &size, &next)) return RecordDamaged;
        if (IsEndLine(text + at, size)) break;
        if (!ParseRecordLine(text + at, size, &entry)) return RecordDamaged;
        ++entries;
        at = next;
    }
    unsigned long endCount, endCrc;
    if (!SplitFields(text + at, size, fields, 3, &fieldCount) || fieldCount != 3 ||
        !ParseNumber(fields[1], 0xFFFFFFFFUL, &endCount) || !ParseCrc(fields[2], &endCrc))
        return RecordDamaged;
    if (next != length || endCount != entries) return RecordDamaged;
    if ((UpdateCrc32(Crc32Start, text, at) & 0xFFFFFFFFUL) != endCrc) return RecordDamaged;
    if (count) *count = entries;
    return RecordIntact;
}

void StartRecordCursor(RecordCursor *cursor, const char *text, size_t length)
{
    cursor->Text = text;
    cursor->Length = length;
    size_t size, next;
    cursor->At = LineAt(text, length, 0, &size, &next) ? next : length;
}

bool NextRecordLine(RecordCursor *cursor, const char **line, size_t *size, size_t *start)
{
    size_t lineSize, next;
    if (!LineAt(cursor->Text, cursor->Length, cursor->At, &lineSize, &next)) return false;
    if (IsEndLine(cursor->Text + cursor->At, lineSize)) return false;
    *line = cursor->Text + cursor->At;
    *size = lineSize;
    if (start) *start = cursor->At;
    cursor->At = next;
    return true;
}
