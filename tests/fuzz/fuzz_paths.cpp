// Fuzz target for the bootstrap's directory derivations, the placeholder
// substitution, the directory levels, the status line and the log header. Input: a value, a line
// feed, a directory (the substitution); the same bytes serve the others, in
// a single-byte code page and in each double-byte one.
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/log_header.h"
#include "core/paths.h"
#include "core/progress_text.h"
#include "tests/host/code_pages.h"

// The offsets of the characters of text, and its end.
static std::vector<size_t> CharStarts(const std::string &text, LeadByteTest test)
{
    std::vector<size_t> starts;
    size_t at = 0;
    for (; at < text.size(); at += CharBytes(text.c_str() + at, test)) starts.push_back(at);
    starts.push_back(at);
    return starts;
}

// What the substitution must give: every "#s\" replaced (its backslash
// kept unless the directory ends in a backslash of its own, as a drive root
// does), then cut to 255.
static std::string Substituted(const std::string &value, const std::string &directory,
                               LeadByteTest test)
{
    std::vector<size_t> starts = CharStarts(directory, test);
    bool ownBackslash = starts.size() > 1 && directory[starts[starts.size() - 2]] == '\\';
    std::string result;
    size_t at = 0, found;
    while ((found = value.find("#s\\", at)) != std::string::npos) {
        result += value.substr(at, found - at) + directory;
        at = found + (ownBackslash ? 3 : 2);
    }
    result += value.substr(at);
    return result;
}

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

static void Check(const uint8_t *data, size_t size, LeadByteTest test)
{
    std::string input((const char *)data, size);
    input = input.substr(0, strnlen(input.c_str(), input.size()));  // no inner terminator
    size_t split = input.find('\n');
    std::string value = input.substr(0, split), directory;
    if (split != std::string::npos) directory = input.substr(split + 1);
    value = value.substr(0, SubstitutedValueSize - 1);
    directory = directory.substr(0, 300);

    // Exactly the value's buffer on the heap, so that a write past it is caught.
    char *buffer = new char[SubstitutedValueSize];
    memcpy(buffer, value.c_str(), value.size() + 1);
    SubstituteInstallDir(buffer, directory.c_str());
    // Cut at 255 bytes, or one less where a double-byte character would be
    // cut in half.
    std::string substituted = Substituted(value, directory, test);
    size_t kept = strlen(buffer);
    if (substituted.compare(0, kept, buffer) != 0 ||
        (kept < SubstitutedValueSize - 1 && kept != substituted.size() &&
         !(test && kept == SubstitutedValueSize - 2)))
        __builtin_trap();
    delete[] buffer;

    // The module name as GetModuleFileNameA leaves it in a 150-character buffer.
    char *module = new char[150];
    std::string name = input.substr(0, 149);
    memcpy(module, name.c_str(), name.size() + 1);
    DeriveSourceDir(module);
    size_t cut = std::string::npos;
    for (size_t at : CharStarts(name, test))
        if (at < name.size() && name[at] == '\\') cut = at;
    if (cut == std::string::npos ? strcmp(module, ".") != 0 : name.substr(0, cut) != module)
        __builtin_trap();
    delete[] module;

    // Whatever GetTempPathA claims to have returned.
    unsigned returned = size ? data[0] * (size > 1 ? data[1] + 1u : 1u) : 0;
    char *temp = new char[150];
    memcpy(temp, name.c_str(), name.size() + 1);
    DeriveTempDir(temp, 150, returned, "C:\\WINDOWS");
    if (strnlen(temp, 150) >= 150) __builtin_trap();
    delete[] temp;

    // Each level ends at a separator or the end, after the root and after the
    // level before it; the last one is the whole path without its trailing
    // separators.
    // Levels end where a character starts, never after a separator.
    const char *path = input.c_str();
    std::vector<size_t> starts = CharStarts(input, test);
    size_t root = DirectoryRootLength(path), previous = 0;
    if (root > input.size()) __builtin_trap();
    for (size_t end = NextDirectoryLevel(path, 0); end; end = NextDirectoryLevel(path, end)) {
        if (end <= previous || end <= root || end > input.size()) __builtin_trap();
        size_t index = (size_t)(std::lower_bound(starts.begin(), starts.end(), end) - starts.begin());
        if (index == starts.size() || starts[index] != end) __builtin_trap();
        if (path[end] && !IsSeparator(path[end])) __builtin_trap();
        if (IsSeparator(path[starts[index - 1]])) __builtin_trap();
        previous = end;
    }
    // The last level ends after the last character that is no separator.
    size_t last = 0;
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        if (!IsSeparator(path[starts[i]])) last = starts[i + 1];
    bool levels = last > root;
    if (previous != (levels ? last : 0)) __builtin_trap();

    size_t capacity = size ? data[size - 1] % 64 + 1 : 1;
    char *line = new char[capacity];
    FormatStatusLine(line, capacity, input.c_str());
    if (strlen(line) >= capacity) __builtin_trap();
    delete[] line;

    long entries = 0;
    memcpy(&entries, data, size < sizeof entries ? size : sizeof entries);
    unsigned long bound = ProgressUpperBound(entries);
    if (bound < 10 || bound > 0x7FFFFFFFul || bound % 10) __builtin_trap();

    struct tm start;
    memset(&start, 0, sizeof start);
    if (size >= 6) {
        start.tm_year = data[0] * 2;
        start.tm_mon = data[1] % 12;
        start.tm_mday = data[2] % 31 + 1;
        start.tm_hour = data[3] % 24;
        start.tm_min = data[4] % 60;
    }
    char *header = new char[capacity];
    if (FormatLogHeader(header, capacity, &start) != (strlen(header) > 0) ||
        strlen(header) >= capacity)
        __builtin_trap();
    delete[] header;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ForEachCodePage([&](LeadByteTest test) { Check(data, size, test); });
    return 0;
}
