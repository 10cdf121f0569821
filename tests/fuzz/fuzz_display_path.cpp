// Fuzz target for the display form of a path. Input: the path, then a line
// feed and the display name the namer gives every prefix (empty: none).
// The geometry and listing-entry helpers get the same bytes.
#include <stdint.h>
#include <string.h>

#include <string>

#include "core/display_path.h"
#include "tests/host/code_pages.h"

static bool SameName(void *context, const char *prefix, char *name, size_t capacity)
{
    const std::string &shown = *(const std::string *)context;
    if (strlen(prefix) >= DisplayPathSize) __builtin_trap();
    if (shown.empty()) return false;
    snprintf(name, capacity, "%s", shown.c_str());
    return true;
}

static int Check(const uint8_t *data, size_t size)
{
    std::string input((const char *)data, size);
    input = input.substr(0, strnlen(input.c_str(), input.size()));
    size_t split = input.find('\n');
    std::string path = input.substr(0, split), shown;
    if (split != std::string::npos) shown = input.substr(split + 1);
    path = path.substr(0, DisplayPathSize - 1);

    char *buffer = new char[DisplayPathSize];
    memcpy(buffer, path.c_str(), path.size() + 1);
    if (MakeDisplayPathWith(buffer, SameName, &shown)) {
        size_t length = strnlen(buffer, DisplayPathSize);
        if (length >= DisplayPathSize || length < 3 || buffer[0] != path[0] ||
            strncmp(buffer + 1, ":\\", 2) != 0 || buffer[length - 1] != '\\')
            __builtin_trap();
    } else if (path != buffer) {
        __builtin_trap();  // a refused path is left as it was
    }
    delete[] buffer;

    // The root is whole characters, three at most.
    size_t root = DriveRootSize(path.c_str()), at = 0;
    for (int n = 0; n < 3 && at < path.size(); ++n) at += CharBytes(path.c_str() + at, LeadByte);
    if (root != at) __builtin_trap();

    char proposal[250];
    if (FormatProposal(proposal, sizeof proposal, path.c_str(), shown.c_str()) &&
        std::string(proposal) != path + shown)
        __builtin_trap();

    unsigned long geometry[3] = {0, 0, 0};
    memcpy(geometry, data, size < sizeof geometry ? size : sizeof geometry);
    long kb = FreeKbFromGeometry(geometry[0] & 0xFFFFFFFF, geometry[1] & 0xFFFFFFFF,
                                 geometry[2] & 0xFFFFFFFF);
    if (kb < 0 || kb > 0x7FFFFFFF) __builtin_trap();

    char *entry = new char[path.size() + 1];
    memcpy(entry, path.c_str(), path.size() + 1);
    if (DirectoryEntryName(entry) && (entry[0] != '\\' || strlen(entry) + 1 != path.size()))
        __builtin_trap();
    delete[] entry;
    return 0;
}

// Every input in a single-byte code page and in each double-byte one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ForEachCodePage([&](LeadByteTest) { Check(data, size); });
    return 0;
}
