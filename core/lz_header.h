// The header of the platform's compressed files (SZDD), the form that
// LZOpenFile and LZCopy expand: the signature, the method 'A', the last
// character of the name (which the compressed name replaces with '_') and
// the expanded length, little-endian. One definition for SETUP.EXE, which
// checks what the library expands, and setupkit, which writes the files.
#pragma once

#include <stddef.h>

enum {
    LzSignatureSize = 8,
    LzMethodOffset = 8,
    LzReplacedCharOffset = 9,
    LzLengthOffset = 10,
    LzHeaderSize = 14
};

#define LzMethodA 'A'

extern const unsigned char LzSignature[LzSignatureSize];

// Whether data (size bytes) begins with the signature.
bool HasLzSignature(const unsigned char *data, size_t size);
// The expanded length a complete header gives.
unsigned long LzExpandedLength(const unsigned char *header);
// A complete header of the method 'A' into header (LzHeaderSize bytes).
void WriteLzHeader(unsigned char *header, char replacedChar, unsigned long length);
