#include "record_rules.h"

#include <string.h>

#include "group_commands.h"
#include "group_text.h"
#include "text.h"

FileFate DecideFile(const RecordEntry *entry, FilePlace place, const FileFound *found)
{
    // Where it lies and how it is reached come first: nothing is read
    // through a link, and nothing outside is judged by its content.
    if (place == PlaceShared) return FileKeptShared;
    if (place == PlaceOutside) return FileKeptOutside;
    return DecideContent(entry, found);
}

FileFate DecideContent(const RecordEntry *entry, const FileFound *found)
{
    if (found->ThroughLink) return FileKeptLink;
    if (!found->Exists) return FileGoneAlready;
    if (found->IsDirectory) return FileKeptDirectory;
    if (!entry || entry->Flag) return FileKeptStoodBefore;
    if (!found->Read) return FileKeptUnread;
    if (found->Size != entry->Size || found->Crc != entry->Crc) return FileKeptChanged;
    return FileRemove;
}

const char *FileFateReason(FileFate fate)
{
    switch (fate) {
    case FileKeptStoodBefore: return "it stood there before the installation";
    case FileKeptChanged: return "changed since the installation";
    case FileKeptUnread: return "it could not be read to check it for changes";
    case FileKeptDirectory: return "a directory now, not the file installed";
    case FileKeptLink: return "reached through a junction or symbolic link";
    case FileKeptShared: return "shared, in the Windows or system directory";
    case FileKeptOutside: return "outside the install directory";
    case FileKeptStillUsed: return "shared, and other programs still count on it";
    case FileKeptNoCount: return "shared, and its reference count is missing";
    case FileKeptCountUnchanged: return "shared, and its reference count could not be lowered";
    default: return 0;
    }
}

ValueFate DecideValue(const RecordEntry *entry, ValueNow now)
{
    if (now == ValueMissing) return ValueGoneAlready;
    if (now == ValueChanged) return ValueKeptChanged;
    switch (entry->Prior) {
    case PriorAbsent: return ValueRemove;
    case PriorPresent: return ValueRestore;
    default: return ValueKeptNotKept;
    }
}

int KeysToRemove(const RecordEntry *entry, char (*keys)[RecordTextSize], int max)
{
    size_t top = strlen(entry->CreatedKey);
    size_t size = strlen(entry->Text);
    if (top == 0 || top > size ||
        (size > top && (entry->Text[top] != '\\' || !IsCharStart(entry->Text, top))))
        return 0;
    if (!SameFoldedRange(entry->Text, entry->CreatedKey, top)) return 0;
    int count = 0;
    char key[RecordTextSize];
    if (!CopyText(key, sizeof key, entry->Text)) return 0;
    while (count < max) {
        CopyText(keys[count++], RecordTextSize, key);
        if (strlen(key) <= top) break;
        char *backslash = FindLastChar(key, '\\');
        if (!backslash) break;
        *backslash = 0;
    }
    return count;
}

bool AppendGroupRemoval(char *dest, size_t capacity, const char *group, bool deleteGroup,
                        const char *const *items, int itemCount)
{
    if (capacity == 0) return false;
    size_t before = BoundedLength(dest, capacity);
    if (before >= capacity || !IsSendableGroupName(group)) return false;
    char line[RecordTextSize + 32];
    bool fits = FormatText(line, sizeof line, ShowGroupFormat, group, GroupShowHide) &&
                AppendText(dest, capacity, line);
    for (int i = 0; i < itemCount && fits; ++i) {
        if (!IsSendableGroupName(items[i])) continue;
        fits = FormatText(line, sizeof line, DeleteItemFormat, items[i]) &&
               AppendText(dest, capacity, line);
    }
    if (deleteGroup)
        fits = fits && FormatText(line, sizeof line, DeleteGroupFormat, group) &&
               AppendText(dest, capacity, line);
    if (!fits) dest[before] = 0;
    return fits;
}
