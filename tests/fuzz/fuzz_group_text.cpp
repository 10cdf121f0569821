// Fuzz target for the group's command text. Input: the group name, then the
// item texts, one per line; the first byte also sets the block's capacity.
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/group_text.h"

struct Items {
    std::vector<std::string> Texts;
    int Added;
};

static void ReadItem(void *context, int n, char *text)
{
    const Items &items = *(const Items *)context;
    if (n >= 1 && (size_t)n <= items.Texts.size())
        snprintf(text, ItemLimit, "%s", items.Texts[n - 1].c_str());
}

static void CountAdded(void *context, const char *, const ItemEntry &)
{
    ++((Items *)context)->Added;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input((const char *)data, size);
    input = input.substr(0, strnlen(input.c_str(), input.size()));
    std::vector<std::string> lines;
    size_t at = 0;
    for (;;) {
        size_t end = input.find('\n', at);
        lines.push_back(input.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    std::string group = lines[0].substr(0, 249);  // as the group page reads it
    Items items;
    items.Texts.assign(lines.begin() + 1, lines.end());
    items.Added = 0;
    int count = (int)items.Texts.size();
    if (size && data[0] == '-') count = -count;
    size_t capacity = size && data[0] % 4 == 0 ? 64 + size % 512 : GroupCommandTextSize;

    // What the group page accepts, and a name made sendable, the shell can
    // carry (when not empty).
    std::string name = group;
    MakeSendableName(&name[0]);
    if (!name.empty() && !IsSendableGroupName(name.c_str())) __builtin_trap();
    if (!group.empty() && IsGroupFolderName(group.c_str()) &&
        !IsSendableGroupName(group.c_str()))
        __builtin_trap();

    char *block = new char[capacity];
    BuildGroupText(block, capacity, group.c_str(), "C:\\PROGRA~1\\PRODUCT", count, ReadItem,
                   CountAdded, &items);
    size_t length = strnlen(block, capacity);
    if (length >= capacity) __builtin_trap();
    // Every line fits in 255 characters and ends in a line feed (a block
    // too small for the three group lines may cut the last); one AddItem
    // per reported item; the closing ShowGroup last when there was room.
    bool mayCut = capacity < 3 * GroupCommandLineSize;
    int addItems = 0;
    std::string text(block, length);
    for (size_t from = 0; from < text.size();) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) {
            if (!mayCut) __builtin_trap();
            break;
        }
        if (end - from + 1 > GroupCommandLineSize - 1) __builtin_trap();
        if (text.compare(from, 9, "[AddItem(") == 0) ++addItems;
        // One command a line: the names stay between their two quotes, and
        // nothing before them can close the command.
        std::string line = text.substr(from, end - from);
        size_t quote = line.find('"');
        if (std::count(line.begin(), line.end(), '"') != 2 || line.find(')') < quote ||
            std::any_of(line.begin(), line.end(), [](char c) { return (unsigned char)c < ' '; }))
            __builtin_trap();
        from = end + 1;
    }
    if (addItems != items.Added) __builtin_trap();
    if (capacity == GroupCommandTextSize &&
        text.rfind("[ShowGroup(\"") == std::string::npos)
        __builtin_trap();
    delete[] block;
    return 0;
}
