#include "payload.h"

#include "core/crc32.h"

namespace {

const unsigned long CopyBufferSize = 32768;
const unsigned long TailBytes = DownloadTrailerSize + DownloadAlignment - 1;

unsigned char Buffer[CopyBufferSize];

const char SetupProgramName[] = "SETUP.EXE";

bool ReadAt(HANDLE file, unsigned long offset, void *data, unsigned long size)
{
    DWORD got;
    return SetFilePointer(file, (LONG)offset, 0, FILE_BEGIN) == offset &&
           ReadFile(file, data, size, &got, 0) && got == size;
}

bool ReadNext(HANDLE file, void *data, unsigned long size)
{
    DWORD got;
    return ReadFile(file, data, size, &got, 0) && got == size;
}

bool SameText(const char *a, const char *b)
{
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// Walks the entries from the payload's start: checks each header against
// the payload's bounds and, with a folder, writes the data there.
PayloadResult WalkEntries(const Payload *payload, const char *folder)
{
    const DownloadTrailer &trailer = payload->Trailer;
    unsigned long position = trailer.PayloadOffset;
    const unsigned long end = trailer.PayloadOffset + trailer.PayloadLength;
    bool setupFound = false;
    if (SetFilePointer(payload->File, (LONG)position, 0, FILE_BEGIN) != position) return PayloadDamaged;
    for (unsigned long n = 0; n < trailer.FileCount; ++n) {
        unsigned char header[DownloadEntryHeaderSize];
        char name[DownloadNameMax + 1];
        if (end - position < DownloadEntryHeaderSize || !ReadNext(payload->File, header, sizeof header))
            return PayloadDamaged;
        position += DownloadEntryHeaderSize;
        unsigned long size = ReadLittle32(header);
        unsigned long nameLength = header[4];
        if (nameLength > DownloadNameMax || end - position < nameLength ||
            !ReadNext(payload->File, name, nameLength) || !IsDownloadName(name, nameLength))
            return PayloadDamaged;
        name[nameLength] = 0;
        position += nameLength;
        if (end - position < size) return PayloadDamaged;
        if (SameText(name, SetupProgramName)) setupFound = true;
        if (!folder) {
            position += size;
            if (SetFilePointer(payload->File, (LONG)position, 0, FILE_BEGIN) != position)
                return PayloadDamaged;
            continue;
        }
        char path[MAX_PATH];
        if (lstrlenA(folder) + 1 + nameLength >= sizeof path) return PayloadWriteFailed;
        wsprintfA(path, "%s\\%s", folder, name);
        HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        if (out == INVALID_HANDLE_VALUE) return PayloadWriteFailed;
        for (unsigned long left = size; left;) {
            unsigned long piece = left < sizeof Buffer ? left : sizeof Buffer;
            DWORD written;
            if (!ReadNext(payload->File, Buffer, piece)) {
                CloseHandle(out);
                return PayloadDamaged;
            }
            if (!WriteFile(out, Buffer, piece, &written, 0) || written != piece) {
                CloseHandle(out);
                return PayloadWriteFailed;
            }
            left -= piece;
        }
        if (!CloseHandle(out)) return PayloadWriteFailed;
        position += size;
    }
    if (end - position >= DownloadAlignment || !setupFound) return PayloadDamaged;
    return PayloadOk;
}

}  // namespace

PayloadResult OpenPayload(const char *path, Payload *payload)
{
    payload->File = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (payload->File == INVALID_HANDLE_VALUE) return PayloadDamaged;
    DWORD high = 0;
    unsigned long size = GetFileSize(payload->File, &high);
    if (size == INVALID_FILE_SIZE || high) return PayloadDamaged;
    unsigned long headerBytes = size < (unsigned long)DownloadHeaderBytes ? size : (unsigned long)DownloadHeaderBytes;
    unsigned long end;
    if (!ReadAt(payload->File, 0, Buffer, headerBytes) ||
        !SignedContentEnd(Buffer, headerBytes, size, &end))
        return PayloadDamaged;
    unsigned long tailBytes = end < TailBytes ? end : TailBytes;
    if (!ReadAt(payload->File, end - tailBytes, Buffer, tailBytes)) return PayloadDamaged;
    long at = FindDownloadTrailer(Buffer, tailBytes);
    if (at < 0 || !ReadDownloadTrailer(Buffer + at, &payload->Trailer)) return PayloadDamaged;
    const DownloadTrailer &trailer = payload->Trailer;
    unsigned long trailerStart = end - tailBytes + (unsigned long)at;
    if (trailer.PayloadOffset < headerBytes || trailer.PayloadOffset > trailerStart ||
        trailerStart - trailer.PayloadOffset != trailer.PayloadLength)
        return PayloadDamaged;
    return PayloadOk;
}

PayloadResult CheckPayload(const Payload *payload)
{
    const DownloadTrailer &trailer = payload->Trailer;
    unsigned long crc = Crc32Start;
    if (SetFilePointer(payload->File, (LONG)trailer.PayloadOffset, 0, FILE_BEGIN) != trailer.PayloadOffset)
        return PayloadDamaged;
    for (unsigned long left = trailer.PayloadLength; left;) {
        unsigned long piece = left < sizeof Buffer ? left : sizeof Buffer;
        if (!ReadNext(payload->File, Buffer, piece)) return PayloadDamaged;
        crc = UpdateCrc32(crc, Buffer, piece);
        left -= piece;
    }
    unsigned char trailerBytes[DownloadTrailerSize];
    if (!ReadNext(payload->File, trailerBytes, sizeof trailerBytes) ||
        DownloadTrailerCrc(crc, trailerBytes) != trailer.Crc)
        return PayloadDamaged;
    return WalkEntries(payload, 0);
}

PayloadResult UnpackPayload(const Payload *payload, const char *folder)
{
    return WalkEntries(payload, folder);
}

void ClosePayload(Payload *payload)
{
    if (payload->File != INVALID_HANDLE_VALUE) CloseHandle(payload->File);
    payload->File = INVALID_HANDLE_VALUE;
}
