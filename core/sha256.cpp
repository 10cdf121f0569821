#include "sha256.h"

#include <string.h>

namespace {

// Word-aligned: the compiler would pad a table this large to 32 bytes.
const unsigned int RoundConstants[64] __attribute__((aligned(4))) = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

const unsigned int InitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline unsigned int Rotate(unsigned int x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(Sha256 *hash)
{
    unsigned int w[64], v[8];
    for (int i = 0; i < 16; ++i) {
        const unsigned char *p = hash->Block + 4 * i;
        w[i] = (unsigned int)p[0] << 24 | (unsigned int)p[1] << 16 | (unsigned int)p[2] << 8 | p[3];
    }
    for (int i = 16; i < 64; ++i) {
        unsigned int s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        unsigned int s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    memcpy(v, hash->State, sizeof v);
    for (int i = 0; i < 64; ++i) {
        unsigned int e = v[4], a = v[0];
        unsigned int t1 = v[7] + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) +
                          ((e & v[5]) ^ (~e & v[6])) + RoundConstants[i] + w[i];
        unsigned int t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) +
                          ((a & v[1]) ^ (a & v[2]) ^ (v[1] & v[2]));
        memmove(v + 1, v, 7 * sizeof *v);
        v[4] += t1;
        v[0] = t1 + t2;
    }
    for (int i = 0; i < 8; ++i) hash->State[i] += v[i];
}

}  // namespace

void StartSha256(Sha256 *hash)
{
    memcpy(hash->State, InitialState, sizeof InitialState);
    hash->Bytes[0] = hash->Bytes[1] = 0;
}

void UpdateSha256(Sha256 *hash, const void *data, size_t size)
{
    const unsigned char *bytes = (const unsigned char *)data;
    for (size_t i = 0; i < size; ++i) {
        hash->Block[hash->Bytes[0] % 64] = bytes[i];
        if (++hash->Bytes[0] == 0) ++hash->Bytes[1];
        if (hash->Bytes[0] % 64 == 0) Compress(hash);
    }
}

void FinishSha256Hex(Sha256 *hash, char hex[Sha256HexSize])
{
    // The length in bits, big-endian, taken before the padding changes it.
    unsigned char length[8];
    unsigned long long bits = ((unsigned long long)hash->Bytes[1] << 32 | hash->Bytes[0]) << 3;
    for (int i = 0; i < 8; ++i) length[i] = (unsigned char)(bits >> (8 * (7 - i)));
    static const unsigned char pad = 0x80, zero = 0;
    UpdateSha256(hash, &pad, 1);
    while (hash->Bytes[0] % 64 != 56) UpdateSha256(hash, &zero, 1);
    UpdateSha256(hash, length, sizeof length);
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < Sha256Size; ++i) {
        unsigned int word = hash->State[i / 4] >> (8 * (3 - i % 4));
        hex[2 * i] = digits[(word >> 4) & 15];
        hex[2 * i + 1] = digits[word & 15];
    }
    hex[2 * Sha256Size] = 0;
}
