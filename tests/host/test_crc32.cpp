// CRC-32 against the check values every implementation of it agrees on.
#include <gtest/gtest.h>

#include <string>

#include "core/crc32.h"

TEST(Crc32, KnownValues)
{
    struct Case {
        const char *What;
        std::string Data;
        unsigned long Expected;
    } cases[] = {
        {"empty", "", 0x00000000ul},
        {"check string", "123456789", 0xCBF43926ul},
        {"one zero byte", std::string(1, '\0'), 0xD202EF8Dul},
        {"pangram", "The quick brown fox jumps over the lazy dog", 0x414FA339ul},
    };
    for (const Case &c : cases)
        EXPECT_EQ(UpdateCrc32(Crc32Start, c.Data.data(), c.Data.size()), c.Expected) << c.What;
}

TEST(Crc32, PiecesGiveTheWhole)
{
    const std::string data = "The quick brown fox jumps over the lazy dog";
    for (size_t cut = 0; cut <= data.size(); ++cut) {
        unsigned long crc = UpdateCrc32(Crc32Start, data.data(), cut);
        crc = UpdateCrc32(crc, data.data() + cut, data.size() - cut);
        EXPECT_EQ(crc, 0x414FA339ul) << "cut at " << cut;
    }
}

// The four-byte steps agree with the definition, bit by bit, for every
// length around them, at every alignment, and for bytes with the top bit set.
unsigned long BitwiseCrc32(const unsigned char *data, size_t size)
{
    unsigned long c = 0xFFFFFFFFul;
    for (size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320ul ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFul;
}

TEST(Crc32, EveryLengthAndAlignmentAgreesWithTheDefinition)
{
    unsigned char buffer[80];
    for (size_t i = 0; i < sizeof buffer; ++i) buffer[i] = (unsigned char)(i * 151 + 77);
    for (size_t offset = 0; offset < 4; ++offset)
        for (size_t size = 0; offset + size <= sizeof buffer && size <= 70; ++size)
            EXPECT_EQ(UpdateCrc32(Crc32Start, buffer + offset, size), BitwiseCrc32(buffer + offset, size))
                << "offset " << offset << ", " << size << " bytes";
}
