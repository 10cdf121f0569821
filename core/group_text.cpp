#include "group_text.h"

#include <string.h>

#include "group_commands.h"
#include "text.h"

enum {
    // The longest group command, "[ShowGroup(\"\",1)]\n", has 20 characters
    // around the name; a longer name is cut so that every group line fits.
    GroupNameFit = GroupCommandLineSize - 1 - 20
};

void BuildGroupText(char *dest, size_t capacity, const char *groupName,
                    const char *shortInstallDir, int count, GroupItemReader read,
                    GroupItemAdded added, void *context)
{
    if (capacity == 0) return;
    dest[0] = 0;
    char name[GroupNameFit + 1];
    CopyText(name, sizeof name, groupName);

    char line[GroupCommandLineSize], last[GroupCommandLineSize];
    FormatText(last, sizeof last, ShowGroupFormat, name, GroupShowMinimized);
    size_t used = 0;
    if (count != 0) {
        FormatText(line, sizeof line, CreateGroupFormat, name);
        AppendText(dest, capacity, line);
        FormatText(line, sizeof line, ShowGroupFormat, name, GroupShowNormal);
        AppendText(dest, capacity, line);
        used = BoundedLength(dest, capacity);
    }
    size_t reserved = strlen(last);
    for (int n = 1; n <= count; ++n) {
        char text[ItemLimit];
        text[0] = 0;
        read(context, n, text);
        text[ItemLimit - 1] = 0;
        ItemEntry item;
        if (!ParseItem(text, &item)) continue;
        if (!FormatText(line, sizeof line, AddItemFormat, shortInstallDir, item.CommandFile,
                        item.Name))
            continue;
        size_t length = strlen(line);
        if (used + length + reserved >= capacity) continue;
        memcpy(dest + used, line, length + 1);
        used += length;
        if (added) added(context, name, item);
    }
    AppendText(dest, capacity, last);
}

bool IsSendableGroupName(const char *name)
{
    if (!name[0]) return false;
    for (const unsigned char *at = (const unsigned char *)name; *at; ++at)
        if (*at == '"' || *at < ' ' || *at == 0x7F) return false;
    return true;
}
