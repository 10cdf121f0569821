// Reading install.rec: one entry line, the whole record's check, and a
// walk over a checked record's entry lines.
#include "install_record.h"

#include <string.h>

#include "crc32.h"
#include "install_record_line.h"

enum { MaxFields = 10, CrcDigits = 8 };

const char *const RecordKeywords[RecordKeywordCount] = {
    0, "Title", "Dir", "File", "Reg", "Ini", "Group", "Item", "Shared"};

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

static int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal, without sign or leading zeros (but "0"), at most max.
static bool ParseNumber(const Field &field, unsigned long max, unsigned long *value)
{
    if (field.Size == 0 || field.Size > 10 || (field.Size > 1 && field.Text[0] == '0'))
        return false;
    unsigned long long result = 0;
    for (size_t i = 0; i < field.Size; ++i) {
        char c = field.Text[i];
        if (c < '0' || c > '9') return false;
        result = result * 10 + (unsigned long long)(c - '0');
    }
    if (result > max) return false;
    *value = (unsigned long)result;
    return true;
}

static bool ParseCrc(const Field &field, unsigned long *crc)
{
    if (field.Size != CrcDigits) return false;
    unsigned long result = 0;
    for (size_t i = 0; i < field.Size; ++i) {
        char c = field.Text[i];
        if (c >= 'A' && c <= 'F') return false;  // one spelling only
        int digit = HexValue(c);
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
        unsigned char c = (unsigned char)field.Text[i];
        if (c == '%') {
            if (i + 2 >= field.Size) return false;
            char first = field.Text[i + 1], second = field.Text[i + 2];
            int high = HexValue(first), low = HexValue(second);
            // One spelling only: lower-case digits, as written.
            if (high < 0 || low < 0 || (first >= 'A' && first <= 'F') ||
                (second >= 'A' && second <= 'F'))
                return false;
            c = (unsigned char)(high * 16 + low);
            if (c == 0 || !NeedsEscape(c)) return false;
            i += 2;
        } else if (NeedsEscape(c)) {
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
        char first = field.Text[1 + 2 * i], second = field.Text[2 + 2 * i];
        int high = HexValue(first), low = HexValue(second);
        // One spelling only: lower-case digits, as written.
        if (high < 0 || low < 0 || (first >= 'A' && first <= 'F') ||
            (second >= 'A' && second <= 'F'))
            return false;
        dest[i] = (unsigned char)(high * 16 + low);
    }
    *size = bytes;
    return true;
}

static bool ParseFlag(const Field &field, int *flag)
{
    unsigned long value;
    if (!ParseNumber(field, 1, &value)) return false;
    *flag = (int)value;
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
    unsigned long number = 0;
    bool ok = false;
    switch (kind) {
    case RecordTitle:
        ok = count == 2 && ParseText(fields[1], entry->Text, sizeof entry->Text, 0);
        break;
    case RecordDir:
    case RecordGroup:
        ok = count == 3 && ParseFlag(fields[1], &entry->Flag) &&
             ParseText(fields[2], entry->Text, sizeof entry->Text, 0);
        break;
    case RecordFile:
        ok = count == 5 && ParseFlag(fields[1], &entry->Flag) &&
             ParseNumber(fields[2], 0xFFFFFFFFUL, &entry->Size) &&
             ParseCrc(fields[3], &entry->Crc) &&
             ParseText(fields[4], entry->Text, sizeof entry->Text, 0);
        break;
    case RecordReg:
        ok = count == 9 && ParseNumber(fields[1], 3, &number);
        entry->Root = (int)number;
        ok = ok && ParseNumber(fields[2], PriorNotKept, &number);
        entry->Prior = (int)number;
        ok = ok && ParseNumber(fields[3], 0xFFFFFFFFUL, &entry->PriorType) &&
             ParseData(fields[4], entry->PriorData, sizeof entry->PriorData, &entry->PriorSize) &&
             ParseText(fields[5], entry->CreatedKey, sizeof entry->CreatedKey, 0) &&
             ParseText(fields[6], entry->Text, sizeof entry->Text, 0) &&
             ParseText(fields[7], entry->Name, sizeof entry->Name, 0) &&
             ParseText(fields[8], entry->Value, sizeof entry->Value, 0);
        // Only a value that stood before has a type and data.
        ok = ok && (entry->Prior == PriorPresent || (entry->PriorType == 0 && entry->PriorSize == 0));
        break;
    case RecordIni:
        ok = count == 6 && ParseNumber(fields[1], PriorNotKept, &number);
        entry->Prior = (int)number;
        ok = ok && ParseText(fields[2], (char *)entry->PriorData, sizeof entry->PriorData,
                             &entry->PriorSize) &&
             ParseText(fields[3], entry->Text, sizeof entry->Text, 0) &&
             ParseText(fields[4], entry->Name, sizeof entry->Name, 0) &&
             ParseText(fields[5], entry->Value, sizeof entry->Value, 0);
        ok = ok && (entry->Prior == PriorPresent || entry->PriorSize == 0);
        break;
    case RecordItem:
        ok = count == 4 && ParseFlag(fields[1], &entry->Flag) &&
             ParseText(fields[2], entry->Text, sizeof entry->Text, 0) &&
             ParseText(fields[3], entry->Name, sizeof entry->Name, 0);
        break;
    case RecordShared:
        ok = count == 3 && ParseNumber(fields[1], 0xFFFFFFFFUL, &entry->Size) && entry->Size &&
             ParseText(fields[2], entry->Text, sizeof entry->Text, 0);
        break;
    }
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
