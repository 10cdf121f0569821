#include "fileops.h"

#include <windows.h>
#include <lzexpand.h>
#include <stdlib.h>
#include <string.h>

#include "core/crc32.h"
#include "core/lz_header.h"
#include "core/text.h"
#include "win32/platform.h"

static bool IsLongPath(const char *path) { return strlen(path) >= OFS_MAXPATHNAME; }

// Others may read and write the files we read; on the NT family they may also
// delete or rename them. The Windows 95 family refuses FILE_SHARE_DELETE.
static DWORD ShareAll()
{
    return FILE_SHARE_READ | FILE_SHARE_WRITE | (IsWindows95Family() ? 0 : FILE_SHARE_DELETE);
}

static bool IsExistsError(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
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

bool MakeDirectory(const char *path, bool *created)
{
    SECURITY_ATTRIBUTES attributes = {12, 0, TRUE};
    bool made = CreateDirectoryA(path, &attributes) != 0;
    if (created) *created = made;
    return SetCurrentDirectoryA(path) != 0;
}

static SourceOpenedHook SourceHook;

void SetSourceOpenedHook(SourceOpenedHook hook) { SourceHook = hook; }

static bool IsRoomError(DWORD error)
{
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ||
           error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY;
}

static bool IsAccessError(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_WRITE_PROTECT;
}

// A write that failed for anything but access ran out of room (a full drive,
// or a file-size limit, which the platform reports in several ways).
static FileResult WriteFailure(DWORD error) { return IsAccessError(error) ? FileDenied : FileNoRoom; }

// A file that could not be made or renamed: access, a missing directory or an
// unusable name, unless the drive is full.
static FileResult MakeFailure(DWORD error) { return IsRoomError(error) ? FileNoRoom : FileDenied; }

// The set-aside name of a replaced file on the Windows 95 family: its name
// with ".~oNN" added (the staging file has ".~NN").
#define SetAsideFormat "%s.~o%02d"
#define SetAsideSuffix ".~o"
#define StagingFormat "%s.~%02d"
#define StagingMarker ".~"
// Room for the ".~NN" a staging name adds.
enum { SetAsideDigits = 2, StagingSuffixLength = 4, NameTries = 100 };

// Renames path to a fresh set-aside name beside it. 1 when set aside, 0 when
// no file was there, -1 on failure (the error left in GetLastError).
static int SetAside(const char *path, char *aside)
{
    for (int n = 0; n < NameTries; ++n) {
        if (!FormatText(aside, MAX_PATH, SetAsideFormat, path, n)) break;
        if (MoveFileA(path, aside)) return 1;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return 0;
        if (!IsExistsError(error)) return -1;
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return -1;
}

bool MoveReplacing(const char *from, const char *to)
{
    if (!IsWindows95Family())
        return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    // No MoveFileExA on the 95 family: the old file is renamed aside, the new
    // one into place, then the old one deleted; a failed second rename puts
    // the old one back.
    char aside[MAX_PATH];
    int setAside = SetAside(to, aside);
    if (setAside < 0) return false;
    if (!MoveFileA(from, to)) {
        DWORD error = GetLastError();
        if (setAside) MoveFileA(aside, to);
        SetLastError(error);
        return false;
    }
    if (setAside) DeleteFileA(aside);
    return true;
}

// The length of name without a suffix of marker and two digits ("%s.~oNN",
// "%s.~NN"), or 0 when name has no such suffix.
static size_t LengthBeforeNumberedSuffix(const char *name, const char *marker)
{
    size_t length = strlen(name), markerLength = strlen(marker);
    size_t suffix = markerLength + SetAsideDigits;
    if (length <= suffix) return 0;
    const char *tail = name + length - suffix;
    if (strncmp(tail, marker, markerLength) != 0) return 0;
    for (int i = 0; i < SetAsideDigits; ++i) {
        char digit = tail[markerLength + i];
        if (digit < '0' || digit > '9') return 0;
    }
    return length - suffix;
}

bool SetAsideTarget(const char *name, char *original, size_t capacity)
{
    size_t length = LengthBeforeNumberedSuffix(name, SetAsideSuffix);
    if (!length || length >= capacity) return false;
    memcpy(original, name, length);
    original[length] = 0;
    return true;
}

int RecoverSetAsideFiles(const char *directory)
{
    char pattern[MAX_PATH];
    if (!FormatText(pattern, sizeof pattern, "%s\\*" SetAsideSuffix "??", directory)) return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int handled = 0;
    do {
        char name[MAX_PATH], aside[MAX_PATH], original[MAX_PATH];
        // The pattern also matches short names: the long name decides.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !SetAsideTarget(found.cFileName, name, sizeof name) ||
            !JoinPath(aside, sizeof aside, directory, found.cFileName) ||
            !JoinPath(original, sizeof original, directory, name))
            continue;
        // Missing: the crash came between the renames, the old file goes
        // back. Present: the new file was in place, the old one is dropped.
        bool restored = GetFileAttributesA(original) == INVALID_FILE_ATTRIBUTES
                            ? MoveFileA(aside, original) != 0
                            : DeleteFileA(aside) != 0;
        if (restored) ++handled;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return handled;
}

// Where the bytes come from: the LZ library's handle while expanding, or the
// plain file, whose first bytes may have been read already.
struct SourceReader {
    HANDLE File;
    INT Lz;                      // the library's handle, or -1 for a plain copy
    const unsigned char *Head;   // bytes read before, written first
    DWORD HeadSize;
    unsigned long Expected;      // what an expansion must yield
};

// Writes one block and counts it into placed.
static FileResult WriteBlock(HANDLE output, const void *data, DWORD size, FilePlaced *placed)
{
    DWORD written = 0;
    if (!WriteFile(output, data, size, &written, 0)) return WriteFailure(GetLastError());
    if (written != size) return FileNoRoom;
    placed->Size += size;
    placed->Crc32 = UpdateCrc32(placed->Crc32, data, size);
    return FileWritten;
}

static FileResult CopyOut(const SourceReader &reader, HANDLE output, FilePlaced *placed)
{
    char *buffer = (char *)malloc(CopyBlockSize);
    if (!buffer) return FileNoRoom;
    FileResult result = FileWritten;
    if (reader.HeadSize) result = WriteBlock(output, reader.Head, reader.HeadSize, placed);
    while (result == FileWritten) {
        DWORD got = 0;
        if (reader.Lz >= 0) {
            INT read = LZRead(reader.Lz, buffer, CopyBlockSize);
            if (read < 0) {
                result = FileDamaged;
                break;
            }
            got = (DWORD)read;
        } else if (!ReadFile(reader.File, buffer, CopyBlockSize, &got, 0)) {
            result = FileDamaged;
            break;
        }
        if (got == 0) break;
        result = WriteBlock(output, buffer, got, placed);
    }
    free(buffer);
    // The library reports a cut source only by yielding fewer bytes.
    if (result == FileWritten && reader.Lz >= 0 && placed->Size != reader.Expected)
        result = FileDamaged;
    return result;
}

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
    static KernelFunction attributesEx = {"GetFileAttributesExA", false, 0};
    return (AttributesExFunction)NtKernelFunction(&attributesEx);
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
    if (strpbrk(path, "*?")) return false;
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

// A file stands at the destination. FileSkipped when it is the source
// itself (in any spelling, also when read-only), FileDenied when it is
// read-only or a directory: the platform refuses to replace such a file,
// and Wine run as root would not. Whether it is in use is left to the
// rename at the end, which fails exactly then, with the old file untouched.
static FileResult CheckStanding(HANDLE source, const char *destination)
{
    StandingFile standing;
    if (!ReadStanding(destination, &standing)) return IsSource(source, destination) ? FileSkipped : FileDenied;
    if (MayBeSource(source, standing) && IsSource(source, destination)) return FileSkipped;
    if (standing.Attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return FileDenied;
    return FileWritten;
}

// The temporary file for a destination: base with ".~NN" added, created new
// so that no other file is overwritten. failure is set only when no file
// could be made.
static HANDLE CreateStagingFile(const char *base, DWORD access, char *staging,
                                FileResult *failure)
{
    for (int n = 0; n < NameTries; ++n) {
        if (!FormatText(staging, MAX_PATH, StagingFormat, base, n)) break;
        HANDLE file = CreateFileA(staging, access, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if (!IsExistsError(error)) {
            *failure = MakeFailure(error);
            return INVALID_HANDLE_VALUE;
        }
    }
    *failure = FileDenied;
    return INVALID_HANDLE_VALUE;
}

// During the transfer, files that replace others are staged in a directory
// of their own inside the destination's directory. Making a name that does
// not exist yet means reading the whole directory on a FAT drive and under
// Wine, which in a directory of a thousand files costs more than writing
// the file; in the staging directory nothing else stands. It is on the same
// drive, so the staged file is still renamed into place.
#define StagingDirectoryName "~STAGING.TMP"
enum { StagingDirectorySlots = 16 };

static bool StagingInDirectories;
static int StagingDirectoryCount;
static char StagingDirectories[StagingDirectorySlots][MAX_PATH];

// A staged file's name: any name with ".~NN" added.
static bool IsStagedName(const char *name) { return LengthBeforeNumberedSuffix(name, StagingMarker) != 0; }

// Deletes the staged files a crashed run may have left in a staging
// directory. Nothing else is touched: a directory of that name that someone
// else made keeps its files, and then stays.
static void EmptyStagingDirectory(const char *directory)
{
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, sizeof pattern, directory, "*")) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        char path[MAX_PATH];
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsStagedName(found.cFileName) &&
            JoinPath(path, sizeof path, directory, found.cFileName))
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void BeginStagingDirectories()
{
    StagingInDirectories = true;
    StagingDirectoryCount = 0;
}

void EndStagingDirectories()
{
    for (int i = 0; i < StagingDirectoryCount; ++i) {
        EmptyStagingDirectory(StagingDirectories[i]);
        RemoveDirectoryA(StagingDirectories[i]);
    }
    StagingDirectoryCount = 0;
    StagingInDirectories = false;
}

bool RemoveStagingLeftovers(const char *directory)
{
    char staging[MAX_PATH];
    if (!JoinPath(staging, sizeof staging, directory, StagingDirectoryName) ||
        !DirectoryIsPresent(staging))
        return false;
    EmptyStagingDirectory(staging);
    return RemoveDirectoryA(staging) != 0;
}

// The staging directory of directory, made on first use in this transfer
// (or taken over from a run that crashed, emptied); false when there is none
// to be had: outside the transfer, once all slots are taken, or when the
// name is another file's.
static bool StagingDirectoryOf(const char *directory, char *staging)
{
    if (!StagingInDirectories || !JoinPath(staging, MAX_PATH, directory, StagingDirectoryName))
        return false;
    for (int slot = 0; slot < StagingDirectoryCount; ++slot)
        if (lstrcmpiA(StagingDirectories[slot], staging) == 0) return true;
    if (StagingDirectoryCount == StagingDirectorySlots) return false;
    if (!CreateDirectoryA(staging, 0)) {
        if (!DirectoryIsPresent(staging)) return false;
        EmptyStagingDirectory(staging);
    }
    CopyText(StagingDirectories[StagingDirectoryCount++], MAX_PATH, staging);
    return true;
}

// The name to stage destination under, without the ".~NN": in the staging
// directory of its directory where there is one, else beside it.
static void StagingBase(const char *destination, char *base)
{
    CopyText(base, MAX_PATH, destination);
    const char *slash = strrchr(destination, '\\');
    if (!slash || slash == destination) return;
    char directory[MAX_PATH], staging[MAX_PATH], name[MAX_PATH];
    size_t parent = (size_t)(slash - destination);
    if (parent >= sizeof directory) return;
    memcpy(directory, destination, parent);
    directory[parent] = 0;
    if (StagingDirectoryOf(directory, staging) &&
        JoinPath(name, sizeof name - StagingSuffixLength, staging, slash + 1))
        CopyText(base, MAX_PATH, name);
}

// Closes a written file; a failed close of a complete file is a failed write.
static FileResult CloseWritten(HANDLE file, FileResult result)
{
    if (!CloseHandle(file) && result == FileWritten) result = WriteFailure(GetLastError());
    return result;
}

// SetFileInformationByHandle (Windows Vista and later) renames a file through
// the handle it was written with: one call, where MoveFileExA opens the file
// once more by name. Looked up once; without it the staged file is closed and
// moved.
typedef BOOL(WINAPI *SetInformationFunction)(HANDLE, int, LPVOID, DWORD);
enum { FileRenameInfoClass = 3 };  // FileRenameInfo of FILE_INFO_BY_HANDLE_CLASS

// FILE_RENAME_INFO with room for a path.
struct RenameInformation {
    union {
        BOOLEAN ReplaceIfExists;
        DWORD Flags;
    };
    HANDLE RootDirectory;
    DWORD FileNameLength;  // in bytes, without the terminator
    WCHAR FileName[MAX_PATH];
};

static bool HandleRenameAllowed = true;

void UseRenameThroughHandle(bool allowed) { HandleRenameAllowed = allowed; }

static SetInformationFunction HandleRename()
{
    static KernelFunction setInformation = {"SetFileInformationByHandle", false, 0};
    if (!HandleRenameAllowed) return 0;
    return (SetInformationFunction)NtKernelFunction(&setInformation);
}

// Renames the open file to destination, replacing the file there. The name
// is converted as CreateFileA converts it.
static bool RenameOpenFile(SetInformationFunction setInformation, HANDLE file,
                           const char *destination)
{
    RenameInformation rename;
    memset(&rename, 0, sizeof rename);
    rename.ReplaceIfExists = TRUE;
    int length = MultiByteToWideChar(CP_ACP, 0, destination, -1, rename.FileName, MAX_PATH);
    if (length <= 0) return false;
    rename.FileNameLength = (DWORD)(length - 1) * sizeof(WCHAR);
    return setInformation(file, FileRenameInfoClass, &rename, sizeof rename) != 0;
}

// Writes the new content to a staging file and puts it in place only
// once complete: on any failure the staged file is removed and the standing
// one is untouched. A standing file that is in use, or cannot be replaced for
// any other reason, fails the rename.
static FileResult Replace(const SourceReader &reader, const char *destination, FilePlaced *placed)
{
    SetInformationFunction renameOpen = HandleRename();
    char base[MAX_PATH], staging[MAX_PATH];
    StagingBase(destination, base);
    FileResult result = FileWritten;
    HANDLE output = CreateStagingFile(base, GENERIC_WRITE | (renameOpen ? DELETE : 0), staging,
                                      &result);
    if (output == INVALID_HANDLE_VALUE) return result;
    result = CopyOut(reader, output, placed);
    if (renameOpen) {
        // Every byte is written before the rename; a close that fails after
        // it leaves the whole new file in place and is reported all the same.
        if (result == FileWritten && !RenameOpenFile(renameOpen, output, destination))
            result = MakeFailure(GetLastError());
        result = CloseWritten(output, result);
    } else {
        result = CloseWritten(output, result);
        if (result == FileWritten && !MoveReplacing(staging, destination))
            result = MakeFailure(GetLastError());
    }
    if (result != FileWritten) DeleteFileA(staging);
    return result;
}

// Writes the source to the destination, whole or not at all. Nothing at the
// destination: the file is made under its own name and removed again on
// failure. A file there: it is replaced only once the new one is complete.
static FileResult Place(const SourceReader &reader, const char *destination, FilePlaced *placed)
{
    HANDLE output = CreateFileA(destination, GENERIC_WRITE, 0, 0, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, 0);
    if (output != INVALID_HANDLE_VALUE) {
        FileResult result = CloseWritten(output, CopyOut(reader, output, placed));
        if (result != FileWritten) DeleteFileA(destination);
        return result;
    }
    DWORD error = GetLastError();
    if (!IsExistsError(error)) return MakeFailure(error);
    placed->Replaced = true;
    FileResult result = CheckStanding(reader.File, destination);
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

FileResult ExpandFile(const char *source, const char *destination, FilePlaced *placed)
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
        SourceReader reader = {file, -1, header, got, 0};
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
    SourceReader reader = {file, expanding, 0, 0, length};
    result = Place(reader, destination, placed);
    LZClose(expanding);  // closes the file too
    return result;
}

FileResult CopyRawFile(const char *source, const char *destination, FilePlaced *placed)
{
    FilePlaced own;
    FileResult result;
    HANDLE file = StartPlacing(source, &placed, &own, &result);
    if (file == INVALID_HANDLE_VALUE) return result;
    ReportSource(file, 0, false);
    SourceReader reader = {file, -1, 0, 0, 0};
    result = Place(reader, destination, placed);
    CloseHandle(file);
    return result;
}
