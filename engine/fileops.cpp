#include "fileops.h"

#include <windows.h>
#include <lzexpand.h>
#include <stdlib.h>
#include <string.h>

#include "copy_pipeline.h"
#include "replace_file.h"
#include "staging.h"
#include "core/crc32.h"
#include "core/lz_header.h"
#include "core/paths.h"
#include "core/text.h"
#include "win32/platform.h"

static bool IsLongPath(const char *path) { return strlen(path) >= OFS_MAXPATHNAME; }

// Others may read and write the files we read; on the NT family they may also
// delete or rename them. The Windows 95 family refuses FILE_SHARE_DELETE.
static DWORD ShareAll()
{
    return FILE_SHARE_READ | FILE_SHARE_WRITE | (IsWindows95Family() ? 0 : FILE_SHARE_DELETE);
}

bool FileIsPresent(const char *path)
{
    if (IsLongPath(path)) {
        // As OpenFile: a directory of that name is no file.
        DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    OFSTRUCT record;
    return OpenFile(path, &record, OF_EXIST) != HFILE_ERROR;
}

bool DirectoryIsPresent(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteFileAt(const char *path)
{
    if (IsLongPath(path)) {
        DeleteFileA(path);
        return;
    }
    OFSTRUCT record;
    OpenFile(path, &record, OF_DELETE);
}

static bool SameIdentity(const BY_HANDLE_FILE_INFORMATION &a, const BY_HANDLE_FILE_INFORMATION &b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

static bool FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    // Directories open only with backup semantics, which the 95 family lacks.
    DWORD flags = IsWindows95Family() ? 0 : FILE_FLAG_BACKUP_SEMANTICS;
    HANDLE file = CreateFileA(path, 0, ShareAll(), 0, OPEN_EXISTING, flags, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool got = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return got;
}

bool IsSameFile(const char *first, const char *second)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    return FileIdentity(first, &a) && FileIdentity(second, &b) && SameIdentity(a, b);
}

// One level: true when it is a directory now, *made when this call made it.
static bool MakeOneLevel(const char *level, bool *made, DWORD *error)
{
    SECURITY_ATTRIBUTES attributes;  // filled field by field: an initialiser list costs a copy in .data
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = 0;
    attributes.bInheritHandle = TRUE;
    *made = CreateDirectoryA(level, &attributes) != 0;
    if (*made) return true;
    *error = GetLastError();
    if (DirectoryIsPresent(level)) return true;
    if (*error == ERROR_ALREADY_EXISTS) *error = ERROR_FILE_EXISTS;  // a file, not a directory
    return false;
}

// Calls hook with each level of path from the one that ends at first down.
static void ReportMadeLevels(char *path, size_t first, MadeLevelHook hook)
{
    for (size_t end = first; end && hook; end = NextDirectoryLevel(path, end)) {
        char kept = path[end];
        path[end] = 0;
        hook(path);
        path[end] = kept;
    }
}

// Removes, deepest first, the levels of path that end from first to before last.
static void RemoveMadeLevels(char *path, size_t first, size_t last)
{
    while (first && first < last) {
        size_t deepest = first;
        for (size_t end = first; end && end < last; end = NextDirectoryLevel(path, end))
            deepest = end;
        char kept = path[deepest];
        path[deepest] = 0;
        RemoveDirectoryA(path);
        path[deepest] = kept;
        last = deepest;
    }
}

bool MakeDirectoryLevels(const char *path, MadeLevelHook hook, bool *created,
                         unsigned long *failure)
{
    bool made = false;
    DWORD error = ERROR_PATH_NOT_FOUND;
    // Mostly the parent is there: one call. Otherwise each level from the top.
    bool present = MakeOneLevel(path, &made, &error);
    if (present) {
        if (made && hook) hook(path);
    } else if (error != ERROR_FILE_EXISTS) {
        char levels[MAX_PATH];
        size_t firstMade = 0, end = 0;
        if (CopyText(levels, sizeof levels, path)) end = NextDirectoryLevel(levels, 0);
        for (; end; end = NextDirectoryLevel(levels, end)) {
            char kept = levels[end];
            levels[end] = 0;
            present = MakeOneLevel(levels, &made, &error);
            levels[end] = kept;
            if (made && !firstMade) firstMade = end;
            if (!present) break;
        }
        // Below a level made now every level is new: the made ones are the
        // last ones. On a failure they go again, so nothing is left half made.
        if (present) ReportMadeLevels(levels, firstMade, hook);
        else RemoveMadeLevels(levels, firstMade, end);
    }
    if (created) *created = present && made;
    if (!present && failure) *failure = error;
    return present;
}

bool MakeDirectory(const char *path, bool *created, MadeLevelHook made, unsigned long *failure)
{
    if (!MakeDirectoryLevels(path, made, created, failure)) return false;
    if (SetCurrentDirectoryA(path)) return true;
    if (failure) *failure = GetLastError();
    return false;
}

static SourceOpenedHook SourceHook;

void SetSourceOpenedHook(SourceOpenedHook hook) { SourceHook = hook; }

// What the standing destination is, read from its name alone: no handle is
// opened and no volume is asked (on Wine each identity query is a round trip
// to the mount manager, which cost more than the file's own writing).
struct StandingFile {
    DWORD Attributes;
    DWORD SizeLow, SizeHigh;
    FILETIME Written;
};

typedef BOOL(WINAPI *AttributesExFunction)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);

// GetFileAttributesExA is missing from Windows 95 and NT 3.51: used on the
// NT family where it is there; FindFirstFileA stands in for it on the 95
// family and wherever it is missing.
static AttributesExFunction AttributesEx()
{
    static KernelFunction attributesEx;
    return (AttributesExFunction)NtKernelFunction(&attributesEx, "GetFileAttributesExA");
}

static bool ReadStanding(const char *path, StandingFile *standing)
{
    AttributesExFunction attributesEx = AttributesEx();
    if (attributesEx) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!attributesEx(path, GetFileExInfoStandard, &data)) return false;
        standing->Attributes = data.dwFileAttributes;
        standing->SizeLow = data.nFileSizeLow;
        standing->SizeHigh = data.nFileSizeHigh;
        standing->Written = data.ftLastWriteTime;
        return true;
    }
    // A name with wildcards would find other files.
    if (FindChar(path, '*') || FindChar(path, '?')) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    standing->Attributes = found.dwFileAttributes;
    standing->SizeLow = found.nFileSizeLow;
    standing->SizeHigh = found.nFileSizeHigh;
    standing->Written = found.ftLastWriteTime;
    return true;
}

unsigned long long FileSizeOf(const char *path)
{
    StandingFile standing;
    if (!ReadStanding(path, &standing) || (standing.Attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return ((unsigned long long)standing.SizeHigh << 32) | standing.SizeLow;
}

// One file seen through two names has one size and one time of last
// writing: only where both agree are the identities compared.
static bool MayBeSource(HANDLE source, const StandingFile &standing)
{
    DWORD sizeHigh = 0;
    DWORD sizeLow = GetFileSize(source, &sizeHigh);
    FILETIME written;
    if (!GetFileTime(source, 0, 0, &written)) return true;
    return sizeLow == standing.SizeLow && sizeHigh == standing.SizeHigh &&
           CompareFileTime(&written, &standing.Written) == 0;
}

static bool IsSource(HANDLE source, const char *destination)
{
    BY_HANDLE_FILE_INFORMATION ours, theirs;
    return GetFileInformationByHandle(source, &ours) && FileIdentity(destination, &theirs) &&
           SameIdentity(ours, theirs);
}

// Whether the last destination had a file standing: over an installation
// nearly all have, in a fresh one none. Only then is a checked destination
// read before the source is opened, as a look for a missing name reads the
// whole directory under Wine and on FAT drives.
static bool DestinationsStand;
// Set while one file is placed whose destination was just opened and read:
// it stands, so the attempt to make it anew is left out.
static bool DestinationKnownStanding;

// True when the file at path has check's size and CRC-32. A file that
// cannot be opened or read does not. *stands (where given) is set when the
// file could be opened: a file, not a directory, stands there.
static bool HoldsContent(const char *path, const FileCheck &check, bool *stands = 0)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, ShareAll(), 0, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    DestinationsStand = true;
    if (stands) *stands = true;
    DWORD sizeHigh = 0;
    bool same = GetFileSize(file, &sizeHigh) == check.Size && sizeHigh == 0;
    char *buffer = same ? (char *)malloc(CopyBlockSize) : 0;
    unsigned long crc = Crc32Start, size = 0;
    for (DWORD got = 1; buffer && got;) {
        if (!ReadFile(file, buffer, CopyBlockSize, &got, 0)) break;
        crc = UpdateCrc32(crc, buffer, got);
        size += got;
    }
    same = buffer && size == check.Size && crc == check.Crc32;
    free(buffer);
    CloseHandle(file);
    return same;
}

// A file stands at the destination. FileSkipped when it is the source
// itself (in any spelling, also when read-only), FileInPlace when it holds
// the checked content, FileDenied when it is read-only or a directory: the
// platform refuses to replace such a file, and Wine run as root would not.
// Whether it is in use is left to the rename at the end, which fails
// exactly then, with the old file untouched.
static FileResult CheckStanding(const SourceReader &reader, const char *destination)
{
    StandingFile standing;
    if (!ReadStanding(destination, &standing)) return IsSource(reader.File, destination) ? FileSkipped : FileDenied;
    if (MayBeSource(reader.File, standing) && IsSource(reader.File, destination)) return FileSkipped;
    const FileCheck *check = reader.Check;
    if (check && !standing.SizeHigh && standing.SizeLow == check->Size &&
        HoldsContent(destination, *check))
        return FileInPlace;
    if (standing.Attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return FileDenied;
    return FileWritten;
}

// Nothing written: the file in place is recorded as a file written.
static FileResult LeftInPlace(FilePlaced *placed, const FileCheck &check)
{
    placed->Replaced = true;
    placed->Size = check.Size;
    placed->Crc32 = check.Crc32;
    return FileInPlace;
}

static bool StageNew;

void StageNewFiles(bool staged) { StageNew = staged; }

// A new file written under its staging name and renamed into place only
// when whole, never over a file: a crash leaves no part of it at its name.
static FileResult PlaceStaged(const SourceReader &reader, const char *destination,
                              FilePlaced *placed)
{
    char staging[MAX_PATH];
    FileResult result = FileDenied;
    HANDLE output = CreateStagingFile(destination, GENERIC_WRITE, staging, &result);
    if (output == INVALID_HANDLE_VALUE) return result;
    result = CloseWritten(output, CopyOut(reader, output, placed));
    if (result == FileWritten && !MoveFileA(staging, destination)) result = MakeFailure(GetLastError());
    if (result != FileWritten) DeleteFileA(staging);
    return result;
}

// Writes the source to the destination, whole or not at all. Nothing at the
// destination: the file is made under its own name and removed again on
// failure. A file there: it is replaced only once the new one is complete.
static FileResult Place(const SourceReader &reader, const char *destination, FilePlaced *placed)
{
    if (StageNew) return PlaceStaged(reader, destination, placed);
    HANDLE output = DestinationKnownStanding
                        ? INVALID_HANDLE_VALUE
                        : CreateFileA(destination, GENERIC_WRITE, 0, 0, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, 0);
    DestinationsStand = output == INVALID_HANDLE_VALUE;
    if (output != INVALID_HANDLE_VALUE) {
        FileResult result = CloseWritten(output, CopyOut(reader, output, placed));
        if (result != FileWritten) DeleteFileA(destination);
        return result;
    }
    if (!DestinationKnownStanding) {
        DWORD error = GetLastError();
        if (!IsExistsError(error)) return MakeFailure(error);
    }
    placed->Replaced = true;
    FileResult result = CheckStanding(reader, destination);
    if (result == FileInPlace) return LeftInPlace(placed, *reader.Check);
    if (result != FileWritten) return result;
    return Replace(reader, destination, placed);
}

static void StartPlaced(FilePlaced *placed)
{
    placed->Replaced = false;
    placed->Size = 0;
    placed->Crc32 = Crc32Start;
}

// Opens the source once, for everything that follows. A source that cannot
// be opened leaves the destination alone, so a missing optional file costs
// nothing.
static HANDLE OpenSource(const char *path, FileResult *failure)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, ShareAll(), 0, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) *failure = FileIsPresent(path) ? FileDamaged : FileNoSource;
    return file;
}

static void ReportSource(HANDLE file, unsigned long length, bool known)
{
    if (!SourceHook) return;
    SourceHook(known ? length : GetFileSize(file, 0));
}

// What both operations begin with: placed (or own, when none is given)
// emptied, and the source opened.
static HANDLE StartPlacing(const char *source, FilePlaced **placed, FilePlaced *own,
                           FileResult *result)
{
    if (!*placed) *placed = own;
    StartPlaced(*placed);
    *result = FileWritten;
    return OpenSource(source, result);
}

static FileResult ExpandSource(const char *source, const char *destination, FilePlaced *placed,
                               const FileCheck *check)
{
    FilePlaced own;
    FileResult result;
    HANDLE file = StartPlacing(source, &placed, &own, &result);
    if (file == INVALID_HANDLE_VALUE) return result;
    // The header is read here, from the one handle, before the library sees it.
    unsigned char header[LzHeaderSize];
    DWORD got = 0;
    if (!ReadFile(file, header, sizeof header, &got, 0)) {
        CloseHandle(file);
        return FileDamaged;
    }
    if (!HasLzSignature(header, got)) {
        // Not compressed: copied as it is, beginning with the bytes read.
        ReportSource(file, 0, false);
        SourceReader reader = {file, -1, header, got, 0, check};
        result = Place(reader, destination, placed);
        CloseHandle(file);
        return result;
    }
    // The library would copy a file it cannot expand (a cut header, an
    // unknown method) as it is: with the signature it must expand.
    if (got < LzHeaderSize || header[LzMethodOffset] != LzMethodA) {
        CloseHandle(file);
        return FileDamaged;
    }
    INT expanding = LZInit((HFILE)(INT_PTR)file);
    if (expanding < 0) {
        CloseHandle(file);
        return expanding == LZERROR_GLOBALLOC ? FileNoRoom : FileDamaged;
    }
    unsigned long length = LzExpandedLength(header);
    ReportSource(file, length, true);
    SourceReader reader = {file, expanding, 0, 0, length, check};
    result = Place(reader, destination, placed);
    LZClose(expanding);  // closes the file too
    return result;
}

// A file of the checked content needs no source: it is left in place
// whether the destination is read first or after the source is opened, and
// whether the source is there or not.
FileResult ExpandFile(const char *source, const char *destination, FilePlaced *placed,
                      const FileCheck *check)
{
    FilePlaced own;
    if (!placed) placed = &own;
    if (check && DestinationsStand) {
        bool stands = false;
        if (HoldsContent(destination, *check, &stands)) return LeftInPlace(placed, *check);
        DestinationKnownStanding = stands;
        check = 0;  // read already: a file that differs is replaced without a second look
    }
    FileResult result = ExpandSource(source, destination, placed, check);
    DestinationKnownStanding = false;
    if (check && (result == FileNoSource || result == FileDamaged) &&
        HoldsContent(destination, *check))
        return LeftInPlace(placed, *check);
    return result;
}

FileResult CopyRawFile(const char *source, const char *destination, FilePlaced *placed)
{
    FilePlaced own;
    FileResult result;
    HANDLE file = StartPlacing(source, &placed, &own, &result);
    if (file == INVALID_HANDLE_VALUE) return result;
    ReportSource(file, 0, false);
    SourceReader reader = {file, -1, 0, 0, 0, 0};
    result = Place(reader, destination, placed);
    CloseHandle(file);
    return result;
}
