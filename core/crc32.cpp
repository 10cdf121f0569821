#include "crc32.h"

namespace {

enum { Crc32Polynomial = 0xEDB88320u, ByteValues = 256, Slices = 4 };

// Four tables: Entry[0] is the classic one, and Entry[s] advances a byte by
// s more zero bytes, so that four bytes are taken in one step ("slicing by
// four"). Every file the program writes goes through here, and a byte at a
// time cost a tenth of the time of a bare expansion. Made at the first use,
// not at start-up and not as constants (4 KB of the program's file).
struct Crc32Table {
    unsigned int Entry[Slices][ByteValues];
};

Crc32Table MakeTable()
{
    Crc32Table table;
    for (unsigned int n = 0; n < ByteValues; ++n) {
        unsigned int c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? Crc32Polynomial ^ (c >> 1) : c >> 1;
        table.Entry[0][n] = c;
    }
    for (unsigned int n = 0; n < ByteValues; ++n)
        for (unsigned int s = 1; s < Slices; ++s)
            table.Entry[s][n] = (table.Entry[s - 1][n] >> 8) ^ table.Entry[0][table.Entry[s - 1][n] & 0xFF];
    return table;
}

const Crc32Table &Table()
{
    static const Crc32Table table = MakeTable();
    return table;
}

}  // namespace

unsigned long UpdateCrc32(unsigned long crc, const void *data, size_t size)
{
    const Crc32Table &table = Table();
    const unsigned char *byte = (const unsigned char *)data;
    unsigned int c = (unsigned int)(crc ^ 0xFFFFFFFFul);
    // Bytes are assembled one by one: any alignment, either byte order.
    for (; size >= Slices; size -= Slices, byte += Slices) {
        c ^= (unsigned int)byte[0] | (unsigned int)byte[1] << 8 | (unsigned int)byte[2] << 16 |
             (unsigned int)byte[3] << 24;
        c = table.Entry[3][c & 0xFF] ^ table.Entry[2][(c >> 8) & 0xFF] ^
            table.Entry[1][(c >> 16) & 0xFF] ^ table.Entry[0][c >> 24];
    }
    for (; size; --size, ++byte) c = table.Entry[0][(c ^ *byte) & 0xFF] ^ (c >> 8);
    return (unsigned long)(c ^ 0xFFFFFFFFu);
}
