#include "commands.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "core/group_commands.h"
#include "core/text.h"

size_t NextCommandLine(const char *text, size_t length, size_t at, char *line,
                       size_t capacity)
{
    size_t end = at;
    while (end < length && text[end] != '\n') ++end;
    size_t next = end < length ? end + 1 : end;
    if (end > at && text[end - 1] == '\r') --end;
    size_t size = end - at;
    if (size >= capacity) {
        strcpy(line, "?");
        return next;
    }
    memcpy(line, text + at, size);
    line[size] = 0;
    return next;
}

// Copies [begin, begin + size) into dest; false when it does not fit.
static bool CopyPart(char *dest, size_t capacity, const char *begin, size_t size)
{
    if (size >= capacity) return false;
    memcpy(dest, begin, size);
    dest[size] = 0;
    return true;
}

// A text between double quotes loses them; any other text is kept whole.
static bool CopyUnquoted(char *dest, size_t capacity, const char *begin, size_t size)
{
    if (size >= 2 && begin[0] == '"' && begin[size - 1] == '"') {
        ++begin;
        size -= 2;
    }
    return CopyPart(dest, capacity, begin, size);
}

// The last occurrence of pattern in [begin, begin + size), or null.
static const char *FindLast(const char *begin, size_t size, const char *pattern)
{
    size_t patternSize = strlen(pattern);
    for (size_t i = size; i >= patternSize; --i)
        if (memcmp(begin + i - patternSize, pattern, patternSize) == 0)
            return begin + i - patternSize;
    return 0;
}

static const char *FindFirst(const char *begin, size_t size, const char *pattern)
{
    size_t patternSize = strlen(pattern);
    for (size_t i = 0; i + patternSize <= size; ++i)
        if (memcmp(begin + i, pattern, patternSize) == 0) return begin + i;
    return 0;
}

static bool NameIs(const char *begin, size_t size, const char *name)
{
    if (strlen(name) != size) return false;
    for (size_t i = 0; i < size; ++i)
        if (tolower((unsigned char)begin[i]) != tolower((unsigned char)name[i])) return false;
    return true;
}

static bool ParseShowGroup(const char *args, size_t size, GroupCommand *command)
{
    // The name is quoted and may hold commas: the show command follows the
    // last one.
    const char *comma = FindLast(args, size, ",");
    if (!comma) {
        command->Show = 1;
        return CopyUnquoted(command->Name, sizeof command->Name, args, size);
    }
    size_t nameSize = (size_t)(comma - args);
    const char *digits = comma + 1;
    size_t digitsSize = size - nameSize - 1;
    if (digitsSize == 0 || digitsSize > 4) return false;
    for (size_t i = 0; i < digitsSize; ++i)
        if (!isdigit((unsigned char)digits[i])) return false;
    command->Show = atoi(digits);
    return CopyUnquoted(command->Name, sizeof command->Name, args, nameSize);
}

// The item name of an AddItem without one: the command's file name without
// its extension.
static void NameFromCommand(const char *target, char *name, size_t capacity)
{
    const char *base = FindLastChar(target, '\\');
    base = base ? base + 1 : target;
    size_t size = strlen(base);
    const char *dot = strrchr(base, '.');
    if (dot) size = (size_t)(dot - base);
    CopyPart(name, capacity, base, size < capacity ? size : capacity - 1);
}

static bool ParseAddItem(const char *args, size_t size, GroupCommand *command)
{
    // The command has no quote-comma in it; the name runs from the first
    // ,"  to the closing quote.
    const char *split = FindFirst(args, size, ",\"");
    if (split && size >= 2 && args[size - 1] == '"' && split + 1 < args + size - 1) {
        size_t targetSize = (size_t)(split - args);
        const char *name = split + 2;
        return CopyUnquoted(command->Target, sizeof command->Target, args, targetSize) &&
               CopyPart(command->Name, sizeof command->Name, name,
                        (size_t)(args + size - 1 - name));
    }
    if (!CopyUnquoted(command->Target, sizeof command->Target, args, size)) return false;
    NameFromCommand(command->Target, command->Name, sizeof command->Name);
    return command->Target[0] != 0;
}

// A group or item name: the whole quoted text, or an unquoted one up to a
// comma (which may precede further arguments).
static bool ParseName(const char *args, size_t size, GroupCommand *command)
{
    if (size >= 2 && args[0] == '"' && args[size - 1] == '"')
        return CopyUnquoted(command->Name, sizeof command->Name, args, size);
    const char *comma = FindFirst(args, size, ",");
    return CopyPart(command->Name, sizeof command->Name, args, comma ? (size_t)(comma - args) : size);
}

bool ParseGroupCommand(const char *line, GroupCommand *command)
{
    memset(command, 0, sizeof *command);
    size_t size = strlen(line);
    if (size < 4 || line[0] != '[' || line[size - 2] != ')' || line[size - 1] != ']')
        return false;
    const char *open = strchr(line, '(');
    if (!open) return false;
    const char *name = line + 1;
    size_t nameSize = (size_t)(open - name);
    const char *args = open + 1;
    size_t argsSize = (size_t)(line + size - 2 - args);

    if (NameIs(name, nameSize, GroupCommandCreateGroup)) {
        command->Kind = CommandCreateGroup;
        return ParseName(args, argsSize, command);
    }
    // The two removals name what they remove; an empty name names nothing.
    if (NameIs(name, nameSize, GroupCommandDeleteGroup)) {
        command->Kind = CommandDeleteGroup;
        return ParseName(args, argsSize, command) && command->Name[0];
    }
    if (NameIs(name, nameSize, GroupCommandDeleteItem)) {
        command->Kind = CommandDeleteItem;
        return ParseName(args, argsSize, command) && command->Name[0];
    }
    if (NameIs(name, nameSize, GroupCommandShowGroup)) {
        command->Kind = CommandShowGroup;
        return ParseShowGroup(args, argsSize, command);
    }
    if (NameIs(name, nameSize, GroupCommandAddItem)) {
        command->Kind = CommandAddItem;
        return ParseAddItem(args, argsSize, command);
    }
    if (NameIs(name, nameSize, GroupCommandExitServer)) {
        command->Kind = CommandExitServer;
        return argsSize == 0;
    }
    return false;
}

bool MakeFileName(const char *name, char *dest, size_t capacity)
{
    size_t size = strlen(name);
    if (size == 0 || size >= capacity) return false;
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = (unsigned char)name[i];
        dest[i] = (c < 0x20 || strchr("\\/:*?\"<>|", c)) ? '_' : (char)c;
        // A double-byte character stays whole, whatever its second byte.
        if (IsLeadByte(name[i]) && i + 1 < size) {
            ++i;
            dest[i] = name[i];
        }
    }
    dest[size] = 0;
    // The file system drops a trailing dot or blank, which would change the
    // name silently.
    for (size_t i = size; i > 0 && (dest[i - 1] == '.' || dest[i - 1] == ' '); --i)
        dest[i - 1] = '_';
    if (IsDeviceName(dest)) dest[0] = '_';
    return true;
}

bool ItemWorkingDirectory(const char *command, char *workDir, size_t capacity)
{
    if (capacity == 0) return false;
    workDir[0] = 0;
    size_t size = strlen(command);
    if (size >= capacity) return false;
    const char *backslash = FindLastChar(command, '\\');
    if (backslash) CopyPart(workDir, capacity, command, (size_t)(backslash - command));
    return true;
}
