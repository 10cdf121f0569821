// SHA-256 (FIPS 180-2): a pure function over buffers, built for the host too.
// Kept small (one round loop, the constants in one table): the programs use it
// only over an install record, once or twice a run.
#pragma once

#include <stddef.h>

enum { Sha256Size = 32, Sha256HexSize = 2 * Sha256Size + 1 };

struct Sha256 {
    unsigned int State[8];
    unsigned int Bytes[2];  // message length in bytes: low and high word
    unsigned char Block[64];
};

void StartSha256(Sha256 *hash);
void UpdateSha256(Sha256 *hash, const void *data, size_t size);
// The digest as 64 lower-case hex digits and a terminator.
void FinishSha256Hex(Sha256 *hash, char hex[Sha256HexSize]);
