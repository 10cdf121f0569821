// Directories the setup made, named by install.log or by the install
// record: each goes when empty, deepest first.
#include "removal.h"
#include "record_removal.h"

#include <windows.h>
#include <stdlib.h>

#include "in_use.h"
#include "other_records.h"
#include "remover_paths.h"
#include "report.h"
#include "core/uninstall_text.h"
#include "core/text.h"

struct MadeDir {
    unsigned long Index;  // of its log record or record entry
    int Depth;
};

static int CompareDepth(const void *a, const void *b)
{
    const MadeDir *left = (const MadeDir *)a, *right = (const MadeDir *)b;
    if (left->Depth != right->Depth) return right->Depth - left->Depth;
    // Later made, sooner removed.
    return left->Index < right->Index ? 1 : left->Index > right->Index ? -1 : 0;
}

static bool IsDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A level that the setup made above the install directory, whose parents
// were missing, goes too (when empty); one that is a junction or symbolic
// link now is not what it made.
static bool IsAboveInstallDir(const char *path) { return PathIsInside(InstallDir, path); }

static bool IsLinkNow(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The last step of both ways: the directory goes when empty, and no other
// product's record lists it.
static void RemoveEmptyDirectory(const char *path, const char *shown)
{
    if (ListedByOtherRecord(path))
        NoteLeft(ListedElsewhereFormat, "Directory", shown);
    else if (RemoveDirectoryA(path))
        NoteRemoved("Directory %s", shown);
    else if (HoldsFileInUse(path))
        NoteLeft("Directory %s: not empty (it holds files in use)", shown);
    else
        NoteLeft("Directory %s: not empty (it holds files that the setup did not install)", shown);
}

static void RemoveDirectoryEntry(const char *logged)
{
    char path[MAX_PATH];
    LongForm(logged, path, sizeof path);
    if (!IsDirectory(path)) {
        NoteGone("Directory %s", logged);
        return;
    }
    bool above = IsAboveInstallDir(path);
    if (!above && !PathIsAtOrInside(path, InstallDir)) {
        NoteLeft("Directory %s: outside the install directory", logged);
        return;
    }
    if (above ? IsLinkNow(path) : !SamePath(path, InstallDir) && ReachedThroughLink(path, InstallDir)) {
        NoteLeft("Directory %s: reached through a junction or symbolic link, or is one", logged);
        return;
    }
    RemoveEmptyDirectory(path, logged);
}

void RemoveDirectories(const LogText *log, LogRecord *record)
{
    MadeDir *dirs = (MadeDir *)malloc(sizeof(MadeDir) * (log->Count ? log->Count : 1));
    if (!dirs) return;
    unsigned long count = 0;
    for (int i = 0; i < log->Count; ++i) {
        RecordAt(log, i, record);
        if (record->Kind != LogRecordMadeDir) continue;
        dirs[count].Index = (unsigned long)i;
        dirs[count].Depth = PathDepth(record->Text);
        ++count;
    }
    qsort(dirs, count, sizeof *dirs, CompareDepth);
    for (unsigned long i = 0; i < count; ++i) {
        RecordAt(log, (int)dirs[i].Index, record);
        RemoveDirectoryEntry(record->Text);
        StepProgress();
    }
    free(dirs);
}

static void RemoveRecordedDirectory(const RecordEntry *entry)
{
    char path[MAX_PATH];
    LongForm(entry->Text, path, sizeof path);
    bool above = IsAboveInstallDir(path);
    if (!above && !PathIsAtOrInside(path, InstallDir)) {
        NoteLeft("Directory %s: outside the install directory", entry->Text);
        return;
    }
    if (above ? IsLinkNow(path) : !SamePath(path, InstallDir) && ReachedThroughLink(path, InstallDir)) {
        NoteLeft("Directory %s: reached through a junction or symbolic link, or is one",
                 entry->Text);
        return;
    }
    if (!IsDirectory(path)) {
        NoteGone("Directory %s", entry->Text);
        return;
    }
    RemoveEmptyDirectory(path, entry->Text);
}

void RemoveRecordedDirectories(const RecordText *record, RecordEntry *entry)
{
    MadeDir *dirs = (MadeDir *)malloc(sizeof(MadeDir) * (record->Count ? record->Count : 1));
    if (!dirs) return;
    unsigned long count = 0;
    for (unsigned long i = 0; i < record->Count; ++i) {
        EntryAt(record, i, entry);
        if (entry->Kind != RecordDir || !entry->Flag) continue;
        dirs[count].Index = i;
        dirs[count].Depth = PathDepth(entry->Text);
        ++count;
    }
    qsort(dirs, count, sizeof *dirs, CompareDepth);
    for (unsigned long i = 0; i < count; ++i) {
        EntryAt(record, dirs[i].Index, entry);
        RemoveRecordedDirectory(entry);
        StepProgress();
    }
    free(dirs);
}
