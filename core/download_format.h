// The download form of a product: the stub program WEBSTUB.EXE, the disc's
// files appended after it, and a trailer that finds them. One definition for
// setupkit, which writes it, and the stub, which checks and unpacks it
// (docs/download-format.md).
//
//   stub | entries | zero padding | trailer | Authenticode table (when signed)
//
// An entry is the file's size (4 bytes), its name's length (1 byte), the
// name and the data. The padding makes the file up to the trailer's end a
// multiple of 8, so a signer adds no padding of its own and the signature
// covers everything before its table. Numbers are little-endian.
#pragma once

#include <stddef.h>

enum {
    DownloadMagicSize = 8,
    DownloadTrailerSize = 24,
    DownloadCheckedTrailerBytes = 20,  // all but the CRC field
    DownloadAlignment = 8,
    DownloadEntryHeaderSize = 5,
    DownloadNameMax = 12,  // 8.3
    DownloadHeaderBytes = 4096  // where the stub reads its own PE headers from
};

extern const unsigned char DownloadMagic[DownloadMagicSize];

struct DownloadTrailer {
    unsigned long PayloadOffset;  // the first entry, right after the stub
    unsigned long PayloadLength;  // the entries and the padding
    unsigned long FileCount;
    unsigned long Crc;  // CRC-32 of the payload, then of the trailer's other fields
};

void WriteDownloadTrailer(const DownloadTrailer *trailer, unsigned char *bytes);
// False when bytes (DownloadTrailerSize) do not start with the magic.
bool ReadDownloadTrailer(const unsigned char *bytes, DownloadTrailer *trailer);
// The trailer's CRC, given the payload's CRC and the trailer's bytes.
unsigned long DownloadTrailerCrc(unsigned long payloadCrc, const unsigned char *trailerBytes);

// Where the trailer starts in the tail, the size bytes before the end of
// the signed content: at size - DownloadTrailerSize, or up to
// DownloadAlignment - 1 zero bytes earlier (a signer's padding); -1 when
// it is in neither place.
long FindDownloadTrailer(const unsigned char *tail, size_t size);

// The end of what an Authenticode signature covers: the offset of the
// certificate table that the PE headers (the file's first headerBytes) name,
// or fileSize when there is none. False when the headers are no PE image or
// the table does not fit in the file (a cut download).
bool SignedContentEnd(const unsigned char *headers, size_t headerBytes, unsigned long fileSize,
                      unsigned long *end);

// An entry's name: an ISO 9660 level-1 name (A-Z, 0-9, _; 8.3), never a
// device name by the rule of names.h (CON, NUL.TXT, COM0 to COM9...), which
// would not make a file.
bool IsDownloadName(const char *name, size_t length);

// Little-endian numbers in the format.
unsigned long ReadLittle32(const unsigned char *bytes);
void WriteLittle32(unsigned char *bytes, unsigned long value);
