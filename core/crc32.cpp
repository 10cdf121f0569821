#include "crc32.h"

namespace {

enum { Crc32Polynomial = 0xEDB88320u, ByteValues = 256 };

struct Crc32Table {
    unsigned long Entry[ByteValues];
    Crc32Table()
    {
        for (unsigned long n = 0; n < ByteValues; ++n) {
            unsigned long c = n;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? Crc32Polynomial ^ (c >> 1) : c >> 1;
            Entry[n] = c;
        }
    }
};

const Crc32Table Table;

}  // namespace

unsigned long UpdateCrc32(unsigned long crc, const void *data, size_t size)
{
    const unsigned char *byte = (const unsigned char *)data;
    unsigned long c = (crc ^ 0xFFFFFFFFul) & 0xFFFFFFFFul;
    for (size_t i = 0; i < size; ++i) c = Table.Entry[(c ^ byte[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFul;
}
