// Fuzz target for the WININIT.INI editing: whatever the text, the result
// starts with the text up to the insertion point, ends with the rest of it,
// holds the deletion, and a second edit changes nothing.
#include <stdint.h>
#include <string.h>

#include <string>

#include "core/wininit_text.h"
#include "tests/host/code_pages.h"

static int Check(const uint8_t *data, size_t size)
{
    // The first line of the input is the path, the rest the file's text.
    const char *bytes = (const char *)data;
    const char *split = (const char *)memchr(bytes, '\n', size);
    if (!split) return 0;
    std::string path(bytes, (size_t)(split - bytes));
    if (memchr(path.data(), 0, path.size())) return 0;
    const char *text = split + 1;
    size_t textSize = size - (size_t)(text - bytes);

    size_t capacity = textSize + WininitDeletionGrowth(path.c_str()) + 1;
    std::string dest(capacity, 'x');
    size_t length = AddWininitDeletion(text, textSize, path.c_str(), &dest[0], capacity);
    if (length == 0) {
        bool refused = path.empty() || path.size() >= WininitPathLimit ||
                       strpbrk(path.c_str(), "\r\n") || path[0] == ' ' || path[0] == '\t' ||
                       path.back() == ' ' || path.back() == '\t';
        if (!refused) __builtin_trap();
        return 0;
    }
    if (length < textSize || dest[length] != 0) __builtin_trap();
    // Everything that was there is still there, in order, around one insertion.
    size_t head = 0;
    while (head < textSize && dest[head] == text[head]) ++head;
    size_t tail = 0;
    while (tail < textSize - head && dest[length - 1 - tail] == text[textSize - 1 - tail]) ++tail;
    if (head + tail < textSize) __builtin_trap();
    if (!WininitHasDeletion(dest.data(), length, path.c_str())) __builtin_trap();
    std::string again(length + WininitDeletionGrowth(path.c_str()) + 1, 'x');
    size_t againLength = AddWininitDeletion(dest.data(), length, path.c_str(), &again[0],
                                            again.size());
    if (againLength != length || memcmp(again.data(), dest.data(), length) != 0) __builtin_trap();
    return 0;
}

// Every input in a single-byte code page and in each double-byte one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ForEachCodePage([&](LeadByteTest) { Check(data, size); });
    return 0;
}
