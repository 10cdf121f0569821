#include "group_text.h"

#include <string.h>

#include "group_commands.h"
#include "text.h"

enum {
    // The longest group command, "[ShowGroup(\"\",1)]\n", has 20 characters
    // around the name; a longer name is cut so that every group line fits.
    GroupNameFit = GroupCommandLineSize - 1 - 20
};

static bool IsControl(unsigned char c) { return c < ' ' || c == 0x7F; }

// Whether an argument that stands without quotes holds a character that
// could end it, or the command, early. None of these is the second byte of
// a double-byte character.
static bool EndsCommandArgument(const char *text)
{
    for (const unsigned char *at = (const unsigned char *)text; *at; ++at)
        if (*at == '"' || *at == ')' || IsControl(*at)) return true;
    return false;
}

void BuildGroupText(char *dest, size_t capacity, const char *groupName,
                    const char *shortInstallDir, int count, GroupItemReader read,
                    GroupItemAdded added, void *context)
{
    if (capacity == 0) return;
    dest[0] = 0;
    char name[GroupNameFit + 1];
    CopyText(name, sizeof name, groupName);
    MakeSendableName(name);
    bool plainDir = !EndsCommandArgument(shortInstallDir);

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
        if (!plainDir || !ParseItem(text, &item) || EndsCommandArgument(item.CommandFile))
            continue;
        MakeSendableName(item.Name);
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
        if (*at == '"' || IsControl(*at)) return false;
    return true;
}

void MakeSendableName(char *name)
{
    for (unsigned char *at = (unsigned char *)name; *at; ++at)
        if (*at == '"')
            *at = '\'';
        else if (IsControl(*at))
            *at = ' ';
}

bool IsGroupFolderName(const char *name)
{
    for (const unsigned char *at = (const unsigned char *)name; *at; ++at) {
        // Second bytes are 0x40 and above: a quote or a control character
        // after a lead byte is one of its own.
        if (IsLeadByte(*at) && at[1] >= 0x40) {
            ++at;
            continue;
        }
        if (IsControl(*at) || strchr("\\/:*?\"<>|", *at)) return false;
    }
    return true;
}
