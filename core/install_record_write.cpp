// Writing install.rec: the header, one line per entry, the end line.
#include "install_record.h"

#include <stdio.h>
#include <string.h>

#include "install_record_line.h"
#include "text.h"

#define RecordLineEnd "\r\n"

static const char HexDigits[] = "0123456789abcdef";

// An output line being built; Fits turns false for good once it overflows.
struct LineOut {
    char *Text;
    size_t Capacity;
    size_t Size;
    bool Fits;
};

static void PutChar(LineOut *out, char c)
{
    if (!out->Fits || out->Size + 1 >= out->Capacity) {
        out->Fits = false;
        return;
    }
    out->Text[out->Size++] = c;
    out->Text[out->Size] = 0;
}

static void PutText(LineOut *out, const char *text)
{
    while (*text) PutChar(out, *text++);
}

static void PutField(LineOut *out, const char *text)
{
    PutChar(out, ' ');
    PutChar(out, ':');
    for (const unsigned char *at = (const unsigned char *)text; *at; ++at) {
        if (!NeedsEscape(*at)) {
            PutChar(out, (char)*at);
            continue;
        }
        PutChar(out, '%');
        PutChar(out, HexDigits[*at >> 4]);
        PutChar(out, HexDigits[*at & 15]);
    }
}

static void PutNumber(LineOut *out, unsigned long value)
{
    char digits[24];
    FormatText(digits, sizeof digits, " %lu", value);
    PutText(out, digits);
}

static void PutCrc(LineOut *out, unsigned long crc)
{
    char digits[24];
    FormatText(digits, sizeof digits, " %08lx", crc & 0xFFFFFFFFUL);
    PutText(out, digits);
}

static void PutData(LineOut *out, const unsigned char *data, size_t size)
{
    PutChar(out, ' ');
    PutChar(out, 'x');
    for (size_t i = 0; i < size; ++i) {
        PutChar(out, HexDigits[data[i] >> 4]);
        PutChar(out, HexDigits[data[i] & 15]);
    }
}

static bool Finish(LineOut *out, char *line)
{
    PutText(out, RecordLineEnd);
    if (!out->Fits && out->Capacity) line[0] = 0;
    return out->Fits;
}

bool FormatRecordHeader(char *line, size_t capacity)
{
    if (capacity == 0) return false;
    LineOut out = {line, capacity, 0, true};
    line[0] = 0;
    PutText(&out, RecordMagic);
    PutNumber(&out, RecordVersion);
    return Finish(&out, line);
}

bool FormatRecordEnd(unsigned long count, unsigned long crc, char *line, size_t capacity)
{
    if (capacity == 0) return false;
    LineOut out = {line, capacity, 0, true};
    line[0] = 0;
    PutText(&out, RecordEndKeyword);
    PutNumber(&out, count);
    PutCrc(&out, crc);
    return Finish(&out, line);
}

bool FormatRecordLine(const RecordEntry *entry, char *line, size_t capacity)
{
    if (capacity == 0) return false;
    line[0] = 0;
    if (entry->Kind < RecordTitle || entry->Kind >= RecordKeywordCount) return false;
    LineOut out = {line, capacity, 0, true};
    PutText(&out, RecordKeywords[entry->Kind]);
    bool present = entry->Prior == PriorPresent;
    for (const char *letter = RecordLayouts[entry->Kind]; *letter; ++letter) {
        switch (*letter) {
        case 'c':
            PutCrc(&out, entry->Crc);
            break;
        case 'd':
            PutData(&out, entry->PriorData,
                    present && entry->PriorSize <= RecordDataSize ? entry->PriorSize : 0);
            break;
        case 'i': {
            char prior[RecordDataSize];
            prior[0] = 0;
            if (present) {
                size_t size = entry->PriorSize < RecordDataSize ? entry->PriorSize : RecordDataSize - 1;
                memcpy(prior, entry->PriorData, size);
                prior[size] = 0;
            }
            PutField(&out, prior);
            break;
        }
        case 't':
        case 'n':
        case 'v':
        case 'k':
            PutField(&out, RecordTextField(entry, *letter));
            break;
        case 'f':
            PutNumber(&out, entry->Flag ? 1 : 0);
            break;
        case 'r':
            PutNumber(&out, (unsigned long)entry->Root);
            break;
        case 'p':
            PutNumber(&out, (unsigned long)entry->Prior);
            break;
        case 'y':
            PutNumber(&out, present ? entry->PriorType : 0);
            break;
        default:  // s, z
            PutNumber(&out, entry->Size);
            if (*letter == 'z' && !entry->Size) out.Fits = false;  // raised by nothing: no such line
        }
    }
    // Values that are out of their range would not read back the same.
    if ((entry->Kind == RecordReg && (entry->Root < 0 || entry->Root > 3)) ||
        entry->Prior < PriorAbsent || entry->Prior > PriorNotKept)
        out.Fits = false;
    return Finish(&out, line);
}
