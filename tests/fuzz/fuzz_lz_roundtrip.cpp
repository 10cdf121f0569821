// Fuzz target for the LZ coder: any input compresses to a file that
// libmspack expands back to it, and any bytes given to the expander are
// expanded or refused with an Error, never a crash (run under the sanitizers).
#include <stdint.h>

#include "tools/setupkit/error.h"
#include "tools/setupkit/lz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    setupkit::Bytes input(data, data + size);
    setupkit::Bytes compressed = setupkit::CompressLz(input, 'X');
    setupkit::ExpandedLz back = setupkit::ExpandLz(compressed, "fuzz");
    if (back.Data != input || back.ReplacedChar != 'X') __builtin_trap();

    try {
        setupkit::ExpandedLz any = setupkit::ExpandLz(input, "fuzz");
        // What is accepted has exactly the length its header gives.
        uint32_t length = input[10] | input[11] << 8 | input[12] << 16 | (uint32_t)input[13] << 24;
        if (any.Data.size() != length) __builtin_trap();
    } catch (const setupkit::Error &) {
    }
    return 0;
}
