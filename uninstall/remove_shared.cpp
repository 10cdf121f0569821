// Shared files: a file whose reference count under SharedDLLs the
// installation raised goes only when the count comes down to zero and the
// file is still what the installation wrote. Also the index that finds a
// path's File and Shared entries in the record.
#include "record_removal.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "in_use.h"
#include "remover_paths.h"
#include "removal.h"
#include "report.h"
#include "core/shared_count.h"
#include "core/text.h"
#include "core/uninstall_text.h"
#include "win32/record_digest.h"
#include "win32/system_dirs.h"

// Open addressing by the folded path: entry index + 1, 0 empty.
static unsigned long *Slots;
static unsigned long SlotMask;

static unsigned long PathHash(const char *path)
{
    unsigned long hash = 2166136261UL;
    for (; *path; ++path) hash = (hash ^ (unsigned char)FoldCase(*path)) * 16777619UL & 0xFFFFFFFFUL;
    return hash;
}

static bool IsPathKind(int kind) { return kind == RecordFile || kind == RecordShared; }

static RecordEntry Indexed;

bool IndexRecordPaths(const RecordText *record)
{
    unsigned long count = 2;
    while (count < 2 * record->Count) count *= 2;
    Slots = (unsigned long *)calloc(count, sizeof *Slots);
    if (!Slots) return false;
    SlotMask = count - 1;
    for (unsigned long i = 0; i < record->Count; ++i) {
        EntryAt(record, i, &Indexed);
        if (!IsPathKind(Indexed.Kind)) continue;
        unsigned long slot = PathHash(Indexed.Text) & SlotMask;
        while (Slots[slot]) slot = (slot + 1) & SlotMask;
        Slots[slot] = i + 1;
    }
    return true;
}

void FreeRecordPaths()
{
    free(Slots);
    Slots = 0;
}

long FindRecordedPath(const RecordText *record, int kind, const char *path, RecordEntry *found)
{
    if (!Slots) return -1;
    for (unsigned long slot = PathHash(path) & SlotMask; Slots[slot]; slot = (slot + 1) & SlotMask) {
        EntryAt(record, Slots[slot] - 1, found);
        if (found->Kind == kind && SameFolded(found->Text, path)) return (long)Slots[slot] - 1;
    }
    return -1;
}

static RecordEntry File;

void RemoveRecordedShared(const RecordText *record, const RecordEntry *entry)
{
    // The count is the machine's: lowered only on its own word.
    if (RecordTrust != RecordVouchMachine) {
        NoteUntrustedSetting("Shared count", SharedCountKey, entry->Text);
        return;
    }
    char path[MAX_PATH];
    LongForm(entry->Text, path, sizeof path);
    if (SamePath(path, OriginalPath)) return;  // taken away at the end
    const char *base = PathIsInside(path, LongWindowsDir)  ? LongWindowsDir
                       : PathIsInside(path, LongSystemDir) ? LongSystemDir
                       : PathIsInside(path, InstallDir)    ? InstallDir
                                                           : 0;
    if (!base) {
        NoteLeft("File %s: %s", entry->Text, FileFateReason(FileKeptOutside));
        return;
    }
    long fileIndex = FindRecordedPath(record, RecordFile, entry->Text, &File);
    const RecordEntry *file = fileIndex >= 0 ? &File : 0;
    HKEY key;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SharedCountKey, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) {
        NoteLeft("File %s: %s", entry->Text, FileFateReason(FileKeptCountUnchanged));
        return;
    }
    DWORD type = 0, count = 0, size = sizeof count;
    bool hasCount = opened == ERROR_SUCCESS &&
                    RegQueryValueExA(key, entry->Text, 0, &type, (BYTE *)&count, &size) ==
                        ERROR_SUCCESS &&
                    size == sizeof count && (type == REG_DWORD || type == REG_BINARY);
    FileFound found;
    LookAtFile(path, base, file && !file->Flag, &found);
    unsigned long left;
    FileFate fate = DecideSharedFile(hasCount, count, entry->Size, file, &found, &left);
    Deletion deletion = fate == FileRemove ? DeleteReported(path, entry->Text) : Deleted;
    if (deletion == InUseQueued || deletion == InUseLeft) {
        // The count stays until the file is gone: a second run lowers it.
        if (fileIndex >= 0) KeepInRecord((unsigned long)fileIndex);
    } else if (hasCount) {
        DWORD value = left;
        if (left)
            RegSetValueExA(key, entry->Text, 0, REG_DWORD, (const BYTE *)&value, sizeof value);
        else
            RegDeleteValueA(key, entry->Text);
    }
    if (opened == ERROR_SUCCESS) RegCloseKey(key);
    // A file removed was reported as it was deleted.
    if (fate == FileGoneAlready)
        NoteGone("File %s", entry->Text);
    else if (fate == FileKeptStillUsed)
        NoteLeft("File %s: %s (count %lu)", entry->Text, FileFateReason(fate), left);
    else if (fate != FileRemove)
        NoteLeft("File %s: %s", entry->Text, FileFateReason(fate));
}
