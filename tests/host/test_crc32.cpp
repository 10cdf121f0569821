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
