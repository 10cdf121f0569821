// Merging a later run's entries into the record of an earlier one.
#include "install_record.h"

#include <string.h>

#include "text.h"

bool SameRecordSubject(const RecordEntry *a, const RecordEntry *b)
{
    if (a->Kind != b->Kind) return false;
    switch (a->Kind) {
    case RecordTitle: return true;
    case RecordReg:
        return a->Root == b->Root && SameFolded(a->Text, b->Text) && SameFolded(a->Name, b->Name);
    case RecordIni:
    case RecordItem: return SameFolded(a->Text, b->Text) && SameFolded(a->Name, b->Name);
    default: return SameFolded(a->Text, b->Text);
    }
}

static unsigned long HashName(unsigned long hash, const char *text)
{
    bool second = false;  // the second byte of a character is not folded
    for (; *text; ++text) {
        char c = second ? *text : FoldCase(*text);
        hash = (hash ^ (unsigned char)c) * 16777619UL & 0xFFFFFFFFUL;
        second = !second && IsLeadByte(*text);
    }
    return (hash ^ 0xFF) * 16777619UL & 0xFFFFFFFFUL;
}

unsigned long RecordSubjectHash(const RecordEntry *entry)
{
    unsigned long hash = (2166136261UL ^ (unsigned long)entry->Kind) * 16777619UL & 0xFFFFFFFFUL;
    if (entry->Kind == RecordTitle) return hash;
    if (entry->Kind == RecordReg) hash = (hash ^ (unsigned long)entry->Root) * 16777619UL & 0xFFFFFFFFUL;
    hash = HashName(hash, entry->Text);
    if (entry->Kind == RecordReg || entry->Kind == RecordIni || entry->Kind == RecordItem)
        hash = HashName(hash, entry->Name);
    return hash;
}

void MergeRecordEntry(RecordEntry *earlier, const RecordEntry *later)
{
    switch (earlier->Kind) {
    case RecordTitle:
        memcpy(earlier->Text, later->Text, sizeof earlier->Text);
        break;
    case RecordDir:
        // Made by any run: it goes when empty.
        earlier->Flag = earlier->Flag || later->Flag;
        break;
    case RecordFile:
        // Whether a file stood there is the first run's knowledge; the
        // content is the last run's.
        earlier->Size = later->Size;
        earlier->Crc = later->Crc;
        break;
    case RecordReg:
        if (!earlier->CreatedKey[0]) memcpy(earlier->CreatedKey, later->CreatedKey, sizeof earlier->CreatedKey);
        memcpy(earlier->Value, later->Value, sizeof earlier->Value);
        break;
    case RecordIni:
        memcpy(earlier->Value, later->Value, sizeof earlier->Value);
        break;
    case RecordShared:
        // Each run raised the count: the uninstaller lowers it by them all.
        earlier->Size = later->Size > 0xFFFFFFFFUL - earlier->Size ? 0xFFFFFFFFUL
                                                                   : earlier->Size + later->Size;
        break;
    default:  // groups and items: whether they existed is the first run's
        break;
    }
}
