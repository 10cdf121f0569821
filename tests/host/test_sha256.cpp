// SHA-256 against the FIPS 180-2 examples, and the record's digest.
#include <gtest/gtest.h>

#include <string>

#include "core/record_name.h"
#include "core/sha256.h"

namespace {

std::string Digest(const std::string &data, size_t piece)
{
    Sha256 hash;
    StartSha256(&hash);
    for (size_t at = 0; at < data.size(); at += piece)
        UpdateSha256(&hash, data.data() + at, std::min(piece, data.size() - at));
    char hex[Sha256HexSize];
    FinishSha256Hex(&hash, hex);
    return hex;
}

}  // namespace

TEST(Sha256, PublishedVectors)
{
    struct Case {
        const char *What;
        std::string Data;
        const char *Expected;
    } cases[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // The padding's edges: 55 bytes leave room for the length in one
        // block, 56 and 63 do not; 64 and 119/120 the same a block later
        // (values from the host's OpenSSL).
        {"55 bytes", std::string(55, 'x'),
         "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {"56 bytes", std::string(56, 'x'),
         "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {"63 bytes", std::string(63, 'x'),
         "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2"},
        {"64 bytes", std::string(64, 'x'),
         "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
        {"119 bytes", std::string(119, 'x'),
         "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
        {"120 bytes", std::string(120, 'x'),
         "13f05a0b594787f5ecd315edc96141bd3243203d1b7d4f0836f37308b276ba98"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.Expected, Digest(c.Data, c.Data.size() ? c.Data.size() : 1)) << c.What;
        EXPECT_EQ(c.Expected, Digest(c.Data, 7)) << c.What << " in pieces of 7";
    }
}

TEST(Sha256, RecordDigestIsTheWholeText)
{
    char hex[Sha256HexSize];
    RecordDigest("abc", 3, hex);
    EXPECT_STREQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", hex);
    const std::string record = "InstallRecord 1\r\nEnd 0 00000000\r\n";
    char changed[Sha256HexSize];
    RecordDigest(record.data(), record.size(), hex);
    std::string edited = record;
    edited[edited.size() - 3] = '1';
    RecordDigest(edited.data(), edited.size(), changed);
    EXPECT_STRNE(hex, changed) << "one byte changed";
    RecordDigest(record.data(), record.size() - 1, changed);
    EXPECT_STRNE(hex, changed) << "the last byte cut";
}
