// CRC-32 (the polynomial of ZIP and PNG, reflected, 0xEDB88320): a pure
// function over buffers, built for the host too. Feed a file in pieces by
// passing the previous result back in; start from Crc32Start.
#pragma once

#include <stddef.h>

enum { Crc32Start = 0 };

unsigned long UpdateCrc32(unsigned long crc, const void *data, size_t size);
