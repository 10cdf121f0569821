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
        NoteListedElsewhere("Directory", shown);
    else if (RemoveDirectoryA(path))
        NoteRemoved("Directory %s", shown);
    else if (HoldsFileInUse(path))
        NoteLeft("Directory %s: not empty (it holds files in use)", shown);
    else
        NoteLeft("Directory %s: not empty (it holds files that the setup did not install)", shown);
}

// One directory the setup made; shown is its path as the log or the record
// names it. The log's way asks first whether it is still there.
static void RemoveMadeDirectory(const char *shown, bool logged)
{
    char path[MAX_PATH];
    LongForm(shown, path, sizeof path);
    bool exists = IsDirectory(path);
    if (logged && !exists) {
        NoteGone("Directory %s", shown);
        return;
    }
    bool above = IsAboveInstallDir(path);
    if (!above && !PathIsAtOrInside(path, InstallDir)) {
        NoteLeft("Directory %s: outside the install directory", shown);
        return;
    }
    if (above ? IsLinkNow(path) : !SamePath(path, InstallDir) && ReachedThroughLink(path, InstallDir)) {
        NoteLeft("Directory %s: reached through a junction or symbolic link, or is one", shown);
        return;
    }
    if (!exists) {
        NoteGone("Directory %s", shown);
        return;
    }
    RemoveEmptyDirectory(path, shown);
}

// The path of the directory made that item index of the log or the record
// names (read into room), or null when it names none.
typedef const char *(*MadeDirAt)(const void *source, unsigned long index, void *room);

// The directories made, deepest first, and the later made before the
// earlier at the same depth.
static void RemoveMadeDirectories(const void *source, unsigned long count, MadeDirAt at,
                                  void *room, bool logged)
{
    MadeDir *dirs = (MadeDir *)malloc(sizeof(MadeDir) * (count ? count : 1));
    if (!dirs) return;
    unsigned long made = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const char *path = at(source, i, room);
        if (!path) continue;
        dirs[made].Index = i;
        dirs[made].Depth = PathDepth(path);
        ++made;
    }
    qsort(dirs, made, sizeof *dirs, CompareDepth);
    for (unsigned long i = 0; i < made; ++i) {
        RemoveMadeDirectory(at(source, dirs[i].Index, room), logged);
        StepProgress();
    }
    free(dirs);
}

static const char *LoggedDirAt(const void *log, unsigned long index, void *room)
{
    LogRecord *record = (LogRecord *)room;
    RecordAt((const LogText *)log, (int)index, record);
    return record->Kind == LogRecordMadeDir ? record->Text : 0;
}

void RemoveDirectories(const LogText *log, LogRecord *record)
{
    RemoveMadeDirectories(log, (unsigned long)log->Count, LoggedDirAt, record, true);
}

static const char *RecordedDirAt(const void *record, unsigned long index, void *room)
{
    RecordEntry *entry = (RecordEntry *)room;
    EntryAt((const RecordText *)record, index, entry);
    return entry->Kind == RecordDir && entry->Flag ? entry->Text : 0;
}

void RemoveRecordedDirectories(const RecordText *record, RecordEntry *entry)
{
    RemoveMadeDirectories(record, record->Count, RecordedDirAt, entry, false);
}
