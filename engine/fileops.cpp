#include "fileops.h"

#include <windows.h>
#include <lzexpand.h>
#include <stdlib.h>
#include <string.h>

#include "core/crc32.h"
#include "core/lz_header.h"
#include "core/text.h"

static bool IsLongPath(const char *path) { return strlen(path) >= OFS_MAXPATHNAME; }

// A file handle as OpenFile gives one, for a path OpenFile refuses.
static HFILE OpenLongPath(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    return file == INVALID_HANDLE_VALUE ? HFILE_ERROR : (HFILE)(INT_PTR)file;
}

static INT OpenLzSource(const char *path, OFSTRUCT *record)
{
    if (!IsLongPath(path)) return LZOpenFileA((LPSTR)path, record, OF_READ);
    HFILE file = OpenLongPath(path);
    if (file == HFILE_ERROR) return -1;
    // As the library's own open does: a source it cannot take as compressed
    // is read as it is.
    INT expanded = LZInit(file);
    return expanded > 0 ? expanded : file;
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

void DeleteFileAt(const char *path)
{
    if (IsLongPath(path)) {
        DeleteFileA(path);
        return;
    }
    OFSTRUCT record;
    OpenFile(path, &record, OF_DELETE);
}

static bool FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool got = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return got;
}

bool IsSameFile(const char *first, const char *second)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!FileIdentity(first, &a) || !FileIdentity(second, &b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

unsigned long long FileSizeOf(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
    return ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool MakeDirectory(const char *path, bool *created)
{
    SECURITY_ATTRIBUTES attributes = {12, 0, TRUE};
    bool made = CreateDirectoryA(path, &attributes) != 0;
    if (created) *created = made;
    return SetCurrentDirectoryA(path) != 0;
}

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

// Writes one block and counts it into placed.
static FileResult WriteBlock(HANDLE output, const char *data, DWORD size, FilePlaced *placed)
{
    DWORD written = 0;
    if (!WriteFile(output, data, size, &written, 0)) return WriteFailure(GetLastError());
    if (written != size) return FileNoRoom;
    placed->Size += size;
    placed->Crc32 = UpdateCrc32(placed->Crc32, data, size);
    return FileWritten;
}

static void StartPlaced(FilePlaced *placed, bool replaced)
{
    placed->Replaced = replaced;
    placed->Size = 0;
    placed->Crc32 = Crc32Start;
}

// An existing destination must be replaceable: no directory, not read-only,
// not held open by a program that forbids its deletion (which a rename over
// it needs).
static FileResult CheckReplaceable(const char *destination)
{
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileWritten;  // absent: made anew
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return FileDenied;
    HANDLE file = CreateFileA(destination, GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return FileDenied;
    CloseHandle(file);
    return FileWritten;
}

// The temporary file beside the destination: its name with ".~NN" added,
// created new so that no other file is overwritten. The name fits MAX_PATH
// for every destination that fits the path buffers.
enum { StagingTries = 100 };

// failure is set only when no file could be made.
static HANDLE CreateStagingFile(const char *destination, char *staging, FileResult *failure)
{
    for (int n = 0; n < StagingTries; ++n) {
        if (!FormatText(staging, MAX_PATH, "%s.~%02d", destination, n)) break;
        HANDLE file = CreateFileA(staging, GENERIC_WRITE, 0, 0, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, 0);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            *failure = MakeFailure(error);
            return INVALID_HANDLE_VALUE;
        }
    }
    *failure = FileDenied;
    return INVALID_HANDLE_VALUE;
}

// Closes the temporary file and, when everything so far went well, puts it
// in place of the destination; otherwise removes it.
static FileResult FinishStaging(HANDLE file, const char *staging, const char *destination,
                                FileResult result)
{
    if (!CloseHandle(file) && result == FileWritten) result = WriteFailure(GetLastError());
    if (result == FileWritten && !MoveFileExA(staging, destination, MOVEFILE_REPLACE_EXISTING))
        result = MakeFailure(GetLastError());
    if (result != FileWritten) DeleteFileA(staging);
    return result;
}

// The library reads a file it cannot expand (a cut header, an unknown
// method) as a plain one and would copy it as it is. A file that carries the
// compressed format's signature must expand to the length its header gives.
static bool SignatureWithoutExpansion(const char *path, LONG length)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char header[LzHeaderSize];
    DWORD got = 0;
    BOOL read = ReadFile(file, header, sizeof header, &got, 0);
    CloseHandle(file);
    if (!read || !HasLzSignature(header, got)) return false;
    if (got < LzHeaderSize || header[LzMethodOffset] != LzMethodA) return true;
    return LzExpandedLength(header) != (unsigned long)length;
}

static FileResult ExpandInto(INT source, const char *sourcePath, const char *destination,
                             FilePlaced *placed)
{
    // The length the header promises (the file's size for a plain source);
    // LZCopy reports no error for a truncated source, only a shorter count.
    LONG length = LZSeek(source, 0, 2);
    if (length < 0 || LZSeek(source, 0, 0) != 0) return FileDamaged;
    if (SignatureWithoutExpansion(sourcePath, length)) return FileDamaged;
    placed->Replaced = GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES;
    FileResult result = CheckReplaceable(destination);
    if (result != FileWritten) return result;
    char *buffer = (char *)malloc(CopyBlockSize);
    if (!buffer) return FileNoRoom;
    char staging[MAX_PATH];
    HANDLE output = CreateStagingFile(destination, staging, &result);
    if (output == INVALID_HANDLE_VALUE) {
        free(buffer);
        return result;
    }
    // Expanded block by block so the CRC is taken from the bytes written.
    for (;;) {
        INT got = LZRead(source, buffer, CopyBlockSize);
        if (got < 0) {
            result = FileDamaged;
            break;
        }
        if (got == 0) break;
        result = WriteBlock(output, buffer, (DWORD)got, placed);
        if (result != FileWritten) break;
    }
    free(buffer);
    // A read error, or fewer bytes than the header promised.
    if (result == FileWritten && placed->Size != (unsigned long)length) result = FileDamaged;
    return FinishStaging(output, staging, destination, result);
}

FileResult ExpandFile(const char *source, const char *destination, FilePlaced *placed)
{
    FilePlaced own;
    if (!placed) placed = &own;
    StartPlaced(placed, false);
    OFSTRUCT record;
    // The source first: a source that cannot be read leaves the destination
    // alone, so a missing optional file costs nothing.
    INT sourceFile = OpenLzSource(source, &record);
    if (sourceFile < 0) return FileIsPresent(source) ? FileDamaged : FileNoSource;
    // Writing a file over itself would empty it before it is read.
    FileResult result = IsSameFile(source, destination) ? FileSkipped
                                                        : ExpandInto(sourceFile, source, destination, placed);
    LZClose(sourceFile);
    return result;
}

static FileResult CopyInto(HANDLE input, const char *destination, FilePlaced *placed)
{
    placed->Replaced = GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES;
    FileResult result = CheckReplaceable(destination);
    if (result != FileWritten) return result;
    char *buffer = (char *)malloc(CopyBlockSize);
    if (!buffer) return FileNoRoom;
    char staging[MAX_PATH];
    HANDLE output = CreateStagingFile(destination, staging, &result);
    if (output == INVALID_HANDLE_VALUE) {
        free(buffer);
        return result;
    }
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer, CopyBlockSize, &got, 0)) {
            result = FileDamaged;
            break;
        }
        if (got == 0) break;
        result = WriteBlock(output, buffer, got, placed);
        if (result != FileWritten) break;
    }
    free(buffer);
    return FinishStaging(output, staging, destination, result);
}

FileResult CopyRawFile(const char *source, const char *destination, FilePlaced *placed)
{
    FilePlaced own;
    if (!placed) placed = &own;
    StartPlaced(placed, false);
    HANDLE input = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (input == INVALID_HANDLE_VALUE)
        return FileIsPresent(source) ? FileDamaged : FileNoSource;
    FileResult result = IsSameFile(source, destination) ? FileSkipped : CopyInto(input, destination, placed);
    CloseHandle(input);
    return result;
}
