// Fuzz target for the name check of destinations, staged sources and
// sub-directories: a name it accepts, joined to a directory, names something
// inside that directory whatever the platform makes of dots, blanks,
// slashes and drives, in a single-byte code page and in each double-byte one.
#include <stdint.h>
#include <string.h>

#include "core/names.h"
#include "tests/host/code_pages.h"

// Whether the platform could read the component [begin, end) as "..":
// two dots or more, with blanks, and nothing else.
static bool ReadsAsParent(const char *begin, const char *end)
{
    int dots = 0;
    for (const char *c = begin; c < end; ++c) {
        if (*c == '.') ++dots;
        else if (*c != ' ') return false;
    }
    return dots >= 2;
}

static void Check(const uint8_t *data, size_t size, LeadByteTest test)
{
    char *name = new char[size + 1];
    memcpy(name, data, size);
    name[size] = 0;
    if (IsContainedName(name)) {
        if (!name[0] || name[0] == '\\' || name[0] == '/' || strchr(name, ':')) __builtin_trap();
        const char *begin = name;
        for (const char *c = name;; c += CharBytes(c, test)) {
            if (*c == '\\' || *c == '/' || *c == 0) {
                if (ReadsAsParent(begin, c)) __builtin_trap();
                if (*c == 0) break;
                begin = c + 1;
            }
        }
    }
    delete[] name;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ForEachCodePage([&](LeadByteTest test) { Check(data, size, test); });
    return 0;
}
