#include "other_records.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/install_record.h"
#include "core/record_name.h"
#include "core/text.h"
#include "remover_paths.h"
#include "report.h"
#include "win32/whole_file.h"

namespace {

// Growing lists of malloc'd texts: the directories looked at, and the
// paths the other records list (long form).
struct TextList {
    char **Items;
    unsigned long Count, Capacity;
};

TextList Looked, Listed;
bool InInstallDir, ListedSorted;
RecordEntry Entry;

bool Add(TextList *list, const char *text)
{
    if (list->Count == list->Capacity) {
        unsigned long capacity = list->Capacity ? 2 * list->Capacity : 64;
        char **grown = (char **)realloc(list->Items, capacity * sizeof *grown);
        if (!grown) return false;
        list->Items = grown;
        list->Capacity = capacity;
    }
    size_t size = strlen(text) + 1;
    char *copy = (char *)malloc(size);
    if (!copy) return false;
    memcpy(copy, text, size);
    list->Items[list->Count++] = copy;
    return true;
}

bool Holds(const TextList *list, const char *text)
{
    for (unsigned long i = 0; i < list->Count; ++i)
        if (SamePath(list->Items[i], text)) return true;
    return false;
}

// The files and directories a checked record lists.
void KeepListed(const char *text, size_t length)
{
    RecordCursor cursor;
    StartRecordCursor(&cursor, text, length);
    const char *line;
    size_t size;
    char path[MAX_PATH];
    while (NextRecordLine(&cursor, &line, &size, 0)) {
        if (!ParseRecordLine(line, size, &Entry) ||
            (Entry.Kind != RecordFile && Entry.Kind != RecordDir))
            continue;
        LongForm(Entry.Text, path, sizeof path);
        Add(&Listed, path);
        ListedSorted = false;
    }
}

}  // namespace

void AddOtherRecordsIn(const char *dir, const char *ownRecord)
{
    if (Holds(&Looked, dir) || !Add(&Looked, dir)) return;
    char pattern[MAX_PATH], path[MAX_PATH];
    if (!JoinPath(pattern, sizeof pattern, dir, "install*" RecordExtension)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !JoinPath(path, sizeof path, dir, found.cFileName) || SamePath(path, ownRecord))
            continue;
        size_t length = 0;
        char *text = ReadWholeFile(path, RecordFileLimit, &length);
        // A damaged record says nothing that can be trusted to be its own.
        if (text && CheckRecord(text, length, 0) == RecordIntact) {
            KeepListed(text, length);
            if (SamePath(dir, InstallDir)) InInstallDir = true;
        }
        free(text);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void AddOtherRecordsAbove(const char *dir, const char *ownRecord)
{
    char level[MAX_PATH];
    if (!CopyText(level, sizeof level, dir)) return;
    for (;;) {
        AddOtherRecordsIn(level, ownRecord);
        // The last backslash of its own, never a double-byte character's
        // second byte; none after a drive's colon or a UNC name's start.
        char *backslash = FindLastChar(level, '\\');
        size_t at = backslash ? (size_t)(backslash - level) : 0;
        if (!at || level[at - 1] == ':' || (level[at - 1] == '\\' && IsCharStart(level, at - 1)))
            break;
        *backslash = 0;
    }
    // The drive's root as well.
    char *root = FindChar(level, '\\');
    if (root && root[-1] == ':') {
        root[1] = 0;
        if (!SamePath(level, dir)) AddOtherRecordsIn(level, ownRecord);
    }
}

static int ComparePaths(const void *a, const void *b)
{
    return lstrcmpiA(*(char *const *)a, *(char *const *)b);
}

bool ListedByOtherRecord(const char *path)
{
    if (!Listed.Count) return false;
    if (!ListedSorted) qsort(Listed.Items, Listed.Count, sizeof *Listed.Items, ComparePaths);
    ListedSorted = true;
    return bsearch(&path, Listed.Items, Listed.Count, sizeof *Listed.Items, ComparePaths) != 0;
}

void NoteListedElsewhere(const char *kind, const char *path)
{
    NoteLeft(ListedElsewhereFormat, kind, path);
}

bool OtherRecordInInstallDir() { return InInstallDir; }
