// Files, named by install.log or by the install record, and the
// uninstaller's own files.
#include "removal.h"
#include "record_removal.h"

#include <windows.h>
#include <string.h>

#include "in_use.h"
#include "other_records.h"
#include "remover_paths.h"
#include "report.h"
#include "core/crc32.h"
#include "core/install_record.h"
#include "core/record_rules.h"
#include "core/uninstall_text.h"
#include "core/text.h"
#include "win32/system_dirs.h"

enum { ReadBlockSize = 32768 };

// The last step of both ways: the file is deleted or reported left; a file
// in use is offered Retry or removal at the next start.
Deletion DeleteReported(const char *path, const char *shown)
{
    Deletion deletion = DeleteOrOffer(path);
    if (deletion == Deleted)
        NoteRemoved("File %s", shown);
    else if (deletion == NotDeleted)
        NoteLeft("File %s: could not be deleted (read-only or refused)", shown);
    else
        NoteInUse(shown, deletion);
    return deletion;
}

static FilePlace PlaceOf(const char *path)
{
    char parent[MAX_PATH];
    DirectoryOf(path, parent, sizeof parent);
    // The Windows and system directories first: an install directory may lie
    // in one, and what sits there may serve other programs too.
    if (PathIsInside(path, LongSystemDir) || SamePath(parent, LongWindowsDir)) return PlaceShared;
    if (PathIsInside(path, InstallDir)) return PlaceInstall;
    return PlaceOutside;
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
    case PlaceShared:
        NoteLeft("File %s: shared, in the Windows or system directory", logged);
        return;
    case PlaceOutside:
        NoteLeft("File %s: outside the install directory", logged);
        return;
    default:
        break;
    }
    // Judged as a recorded file is: nothing through a link, nothing another
    // product's record lists.
    if (ReachedThroughLink(path, InstallDir))
        NoteLeft("File %s: %s", logged, FileFateReason(FileKeptLink));
    else if (ListedByOtherRecord(path))
        NoteListedElsewhere("File", logged);
    else
        DeleteReported(path, logged);
}

static bool IsLink(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool ReachedThroughLink(const char *path, const char *base)
{
    size_t baseLength = strlen(base);
    char prefix[MAX_PATH];
    if (!CopyText(prefix, sizeof prefix, path)) return true;
    for (char *at = prefix + baseLength + 1; *at; at = NextChar(at)) {
        if (*at != '\\') continue;
        *at = 0;
        bool link = IsLink(prefix);
        *at = '\\';
        if (link) return true;
    }
    return IsLink(path);
}

static bool ReadSizeAndCrc(const char *path, unsigned long *size, unsigned long *crc)
{
    static unsigned char block[ReadBlockSize];
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned long total = 0, sum = Crc32Start;
    DWORD got = 0;
    bool read;
    while ((read = ReadFile(file, block, sizeof block, &got, 0) != 0) && got > 0) {
        sum = UpdateCrc32(sum, block, got);
        total += got;
    }
    CloseHandle(file);
    *size = total;
    *crc = sum;
    return read;
}

// The Windows and system directories hold what other programs share, unless
// the install directory is one of them (or lies in one).
static bool IsShared(const char *path)
{
    if (PathIsAtOrInside(InstallDir, LongWindowsDir)) return false;
    char parent[MAX_PATH];
    DirectoryOf(path, parent, sizeof parent);
    return PathIsInside(path, LongSystemDir) || SamePath(parent, LongWindowsDir);
}

void LookAtFile(const char *path, const char *base, bool read, FileFound *found)
{
    memset(found, 0, sizeof *found);
    if (!base) return;
    found->ThroughLink = ReachedThroughLink(path, base);
    DWORD attributes = found->ThroughLink ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path);
    found->Exists = attributes != INVALID_FILE_ATTRIBUTES;
    found->IsDirectory = found->Exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (read && found->Exists && !found->IsDirectory)
        found->Read = ReadSizeAndCrc(path, &found->Size, &found->Crc);
}

void RemoveRecordedFile(const RecordEntry *entry, const char *longTemp)
{
    char path[MAX_PATH];
    LongForm(entry->Text, path, sizeof path);
    if (SamePath(path, OriginalPath)) return;  // taken away at the end
    FilePlace place = PlaceOutside;
    const char *base = 0;
    if (IsShared(path)) {
        place = PlaceShared;
    } else if (PathIsInside(path, InstallDir)) {
        place = PlaceInstall;
        base = InstallDir;
    } else if (longTemp[0] && PathIsInside(path, longTemp)) {
        place = PlaceTemp;
        base = longTemp;
    }
    FileFound found;
    LookAtFile(path, base, !entry->Flag, &found);
    FileFate fate = DecideFile(entry, place, &found);
    if (fate == FileGoneAlready) {
        NoteGone("File %s", entry->Text);
    } else if (fate != FileRemove) {
        NoteLeft("File %s: %s", entry->Text, FileFateReason(fate));
    } else if (ListedByOtherRecord(path)) {
        NoteListedElsewhere("File", entry->Text);
    } else {
        DeleteReported(path, entry->Text);
    }
}

// The record, install.log and UNINST.EXE, which the removal needed until
// now. While files in use are left they stay, with the record, for a second
// run. With another product's record in the directory the last two serve it
// too, and stay.
void RemoveOwnFiles()
{
    if (FilesLeftInUse()) {
        NoteLeft("%s, %s and install.log: kept, with the entry in the list of programs, "
                 "until the files in use are gone; then uninstall again to finish",
                 OriginalPath, RecordPath);
        return;
    }
    bool shared = OtherRecordInInstallDir();
    const char *own[] = {RecordPath, LogPath};
    for (const char *path : own) {
        if (!path[0] || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) continue;
        if (path == LogPath && shared)
            NoteListedElsewhere("File", path);
        else if (DeleteFileA(path))
            NoteRemoved("File %s", path);
        else
            NoteLeft("File %s: could not be deleted", path);
    }
    if (SamePath(SelfPath, OriginalPath))
        NoteLeft("File %s: the uninstaller could not run from a copy", OriginalPath);
    else if (shared)
        NoteListedElsewhere("File", OriginalPath);
    else if (DeleteFileA(OriginalPath))
        NoteRemoved("File %s", OriginalPath);
    else if (GetFileAttributesA(OriginalPath) != INVALID_FILE_ATTRIBUTES)
        NoteLeft("File %s: could not be deleted", OriginalPath);
}
