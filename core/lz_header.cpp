#include "lz_header.h"

#include <string.h>

const unsigned char LzSignature[LzSignatureSize] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

bool HasLzSignature(const unsigned char *data, size_t size)
{
    return size >= LzSignatureSize && memcmp(data, LzSignature, LzSignatureSize) == 0;
}

unsigned long LzExpandedLength(const unsigned char *header)
{
    const unsigned char *length = header + LzLengthOffset;
    return length[0] | (length[1] << 8) | ((unsigned long)length[2] << 16) |
           ((unsigned long)length[3] << 24);
}

void WriteLzHeader(unsigned char *header, char replacedChar, unsigned long length)
{
    memcpy(header, LzSignature, LzSignatureSize);
    header[LzMethodOffset] = LzMethodA;
    header[LzReplacedCharOffset] = (unsigned char)replacedChar;
    for (int i = 0; i < 4; ++i) header[LzLengthOffset + i] = (unsigned char)(length >> (8 * i));
}
