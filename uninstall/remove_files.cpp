// Files and directories, and the uninstaller's own two files.
#include "removal.h"

#include <windows.h>
#include <stdlib.h>

#include "remover_paths.h"
#include "report.h"
#include "core/uninstall_text.h"
#include "core/install_record.h"
#include "core/text.h"

enum FilePlace { FileInside, FileShared, FileOutside };

static FilePlace PlaceOf(const char *path)
{
    char parent[MAX_PATH];
    DirectoryOf(path, parent, sizeof parent);
    // The Windows and system directories first: an install directory may lie
    // in one, and what sits there may serve other programs too.
    if (PathIsInside(path, LongSystemDir) || SamePath(parent, LongWindowsDir)) return FileShared;
    if (PathIsInside(path, InstallDir)) return FileInside;
    return FileOutside;
}

void RemoveFile(const char *logged)
{
    char path[MAX_PATH];
    LongForm(logged, path, sizeof path);
    if (SamePath(path, OriginalPath)) return;  // taken away at the end
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        NoteGone("File %s", logged);
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        NoteLeft("%s: a directory now, not the file installed", logged);
        return;
    }
    switch (PlaceOf(path)) {
    case FileShared:
        NoteLeft("File %s: shared, in the Windows or system directory", logged);
        return;
    case FileOutside:
        NoteLeft("File %s: outside the install directory", logged);
        return;
    case FileInside:
        break;
    }
    if (DeleteFileA(path))
        NoteRemoved("File %s", logged);
    else
        NoteLeft("File %s: could not be deleted (in use or read-only)", logged);
}

struct MadeDir {
    int Index;  // of its record
    int Depth;
};

static int CompareDepth(const void *a, const void *b)
{
    const MadeDir *left = (const MadeDir *)a, *right = (const MadeDir *)b;
    if (left->Depth != right->Depth) return right->Depth - left->Depth;
    return right->Index - left->Index;  // later made, sooner removed
}

static void RemoveDirectoryEntry(const char *logged)
{
    char path[MAX_PATH];
    LongForm(logged, path, sizeof path);
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        NoteGone("Directory %s", logged);
        return;
    }
    if (!PathIsAtOrInside(path, InstallDir)) {
        NoteLeft("Directory %s: outside the install directory", logged);
        return;
    }
    if (RemoveDirectoryA(path))
        NoteRemoved("Directory %s", logged);
    else
        NoteLeft("Directory %s: not empty (it holds files that the setup did not install)",
                 logged);
}

void RemoveDirectories(const LogText *log, LogRecord *record)
{
    MadeDir *dirs = (MadeDir *)malloc(sizeof(MadeDir) * (log->Count ? log->Count : 1));
    if (!dirs) return;
    int count = 0;
    for (int i = 0; i < log->Count; ++i) {
        RecordAt(log, i, record);
        if (record->Kind != LogRecordMadeDir) continue;
        dirs[count].Index = i;
        dirs[count].Depth = PathDepth(record->Text);
        ++count;
    }
    qsort(dirs, (size_t)count, sizeof *dirs, CompareDepth);
    for (int i = 0; i < count; ++i) {
        RecordAt(log, dirs[i].Index, record);
        RemoveDirectoryEntry(record->Text);
        StepProgress();
    }
    free(dirs);
}

// install.log and UNINST.EXE, which the removal needed until now.
void RemoveOwnFiles()
{
    char record[MAX_PATH] = "";
    JoinPath(record, sizeof record, InstallDir, InstallRecordName);
    const char *own[] = {LogPath, record};
    for (const char *path : own) {
        if (!path[0] || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) continue;
        if (DeleteFileA(path))
            NoteRemoved("File %s", path);
        else
            NoteLeft("File %s: could not be deleted", path);
    }
    if (SamePath(SelfPath, OriginalPath))
        NoteLeft("File %s: the uninstaller could not run from a copy", OriginalPath);
    else if (DeleteFileA(OriginalPath))
        NoteRemoved("File %s", OriginalPath);
    else if (GetFileAttributesA(OriginalPath) != INVALID_FILE_ATTRIBUTES)
        NoteLeft("File %s: could not be deleted", OriginalPath);
}
