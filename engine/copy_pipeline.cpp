#include "copy_pipeline.h"

#include <lzexpand.h>
#include <stdlib.h>

#include "core/crc32.h"

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

FileResult MakeFailure(DWORD error) { return IsRoomError(error) ? FileNoRoom : FileDenied; }

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

FileResult CopyOut(const SourceReader &reader, HANDLE output, FilePlaced *placed)
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

FileResult CloseWritten(HANDLE file, FileResult result)
{
    if (!CloseHandle(file) && result == FileWritten) result = WriteFailure(GetLastError());
    return result;
}
