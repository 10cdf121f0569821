#include "download_format.h"

#include "crc32.h"
#include "names.h"

const unsigned char DownloadMagic[DownloadMagicSize] = {'S', 'K', 'W', 'E', 'B', 0x1A, 1, 0};

namespace {

enum {
    TrailerOffsetField = 8,
    TrailerLengthField = 12,
    TrailerCountField = 16,
    TrailerCrcField = 20,
    DosNewHeaderField = 0x3C,
    PeSignatureSize = 4,
    FileHeaderSize = 20,
    OptionalMagicPe32 = 0x10B,
    OptionalMagicPe32Plus = 0x20B,
    DirectoryCountPe32 = 92,  // within the optional header
    DirectoryCountPe32Plus = 108,
    DirectoriesPe32 = 96,
    DirectoriesPe32Plus = 112,
    DirectorySize = 8,
    SecurityDirectory = 4,
    BaseNameMax = 8,
    ExtensionMax = 3
};

unsigned int ReadLittle16(const unsigned char *bytes)
{
    return bytes[0] | (unsigned int)bytes[1] << 8;
}

}  // namespace

unsigned long ReadLittle32(const unsigned char *bytes)
{
    return bytes[0] | (unsigned long)bytes[1] << 8 | (unsigned long)bytes[2] << 16 |
           (unsigned long)bytes[3] << 24;
}

void WriteLittle32(unsigned char *bytes, unsigned long value)
{
    for (int i = 0; i < 4; ++i) bytes[i] = (unsigned char)(value >> (8 * i));
}

void WriteDownloadTrailer(const DownloadTrailer *trailer, unsigned char *bytes)
{
    for (int i = 0; i < DownloadMagicSize; ++i) bytes[i] = DownloadMagic[i];
    WriteLittle32(bytes + TrailerOffsetField, trailer->PayloadOffset);
    WriteLittle32(bytes + TrailerLengthField, trailer->PayloadLength);
    WriteLittle32(bytes + TrailerCountField, trailer->FileCount);
    WriteLittle32(bytes + TrailerCrcField, trailer->Crc);
}

bool ReadDownloadTrailer(const unsigned char *bytes, DownloadTrailer *trailer)
{
    for (int i = 0; i < DownloadMagicSize; ++i)
        if (bytes[i] != DownloadMagic[i]) return false;
    trailer->PayloadOffset = ReadLittle32(bytes + TrailerOffsetField);
    trailer->PayloadLength = ReadLittle32(bytes + TrailerLengthField);
    trailer->FileCount = ReadLittle32(bytes + TrailerCountField);
    trailer->Crc = ReadLittle32(bytes + TrailerCrcField);
    return true;
}

unsigned long DownloadTrailerCrc(unsigned long payloadCrc, const unsigned char *trailerBytes)
{
    return UpdateCrc32(payloadCrc, trailerBytes, DownloadCheckedTrailerBytes);
}

long FindDownloadTrailer(const unsigned char *tail, size_t size)
{
    for (size_t padding = 0; padding < DownloadAlignment; ++padding) {
        if (size < DownloadTrailerSize + padding) return -1;
        if (padding && tail[size - padding] != 0) return -1;
        const unsigned char *start = tail + size - padding - DownloadTrailerSize;
        DownloadTrailer trailer;
        if (ReadDownloadTrailer(start, &trailer)) return (long)(start - tail);
    }
    return -1;
}

bool SignedContentEnd(const unsigned char *headers, size_t headerBytes, unsigned long fileSize,
                      unsigned long *end)
{
    if (headerBytes < DosNewHeaderField + 4 || headers[0] != 'M' || headers[1] != 'Z') return false;
    unsigned long pe = ReadLittle32(headers + DosNewHeaderField);
    unsigned long optional = pe + PeSignatureSize + FileHeaderSize;
    if (pe > headerBytes || headerBytes - pe < PeSignatureSize + FileHeaderSize + 2) return false;
    if (headers[pe] != 'P' || headers[pe + 1] != 'E' || headers[pe + 2] || headers[pe + 3]) return false;
    unsigned int magic = ReadLittle16(headers + optional);
    unsigned long countField, directories;
    if (magic == OptionalMagicPe32) {
        countField = optional + DirectoryCountPe32;
        directories = optional + DirectoriesPe32;
    } else if (magic == OptionalMagicPe32Plus) {
        countField = optional + DirectoryCountPe32Plus;
        directories = optional + DirectoriesPe32Plus;
    } else {
        return false;
    }
    unsigned long security = directories + SecurityDirectory * DirectorySize;
    if (security + DirectorySize > headerBytes) return false;
    if (ReadLittle32(headers + countField) <= SecurityDirectory) {
        *end = fileSize;
        return true;
    }
    unsigned long tableOffset = ReadLittle32(headers + security);
    unsigned long tableSize = ReadLittle32(headers + security + 4);
    if (tableSize == 0) {
        *end = fileSize;
        return true;
    }
    if (tableOffset > fileSize || tableSize > fileSize - tableOffset) return false;
    *end = tableOffset;
    return true;
}

bool IsDownloadName(const char *name, size_t length)
{
    size_t base = 0, extension = 0;
    bool dot = false;
    for (size_t i = 0; i < length; ++i) {
        char c = name[i];
        if (c == '.' && !dot && base) {
            dot = true;
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
            if (dot ? ++extension > ExtensionMax : ++base > BaseNameMax) return false;
        } else {
            return false;
        }
    }
    if (!base || (dot && !extension)) return false;  // "NAME." would be made "NAME"
    return !IsDeviceNameRange(name, length);
}
