// Fuzz target for the shell server's reading of a command text: every line
// split, parsed and its names made file names, without reading or writing
// outside the buffers; a file name made is never a device or refused name.
#include <stdint.h>
#include <string.h>

#include "tools/shelldde/commands.h"

static void CheckFileName(const char *name)
{
    char safe[260];
    if (!MakeFileName(name, safe, sizeof safe)) return;
    size_t length = strlen(safe);
    if (length != strlen(name) || IsDeviceName(safe)) __builtin_trap();
    for (size_t i = 0; i < length; ++i)
        if ((unsigned char)safe[i] < 0x20 || strchr("\\/:*?\"<>|", safe[i])) __builtin_trap();
    if (safe[length - 1] == '.' || safe[length - 1] == ' ') __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The execute request's block: its text runs to the first terminator.
    char *text = new char[size];
    memcpy(text, data, size);
    size_t length = strnlen(text, size);
    size_t at = 0;
    while (at < length) {
        char line[CommandLineSize];
        size_t next = NextCommandLine(text, length, at, line, sizeof line);
        if (next <= at || next > length || strlen(line) >= sizeof line) __builtin_trap();
        at = next;
        GroupCommand command;
        if (!ParseGroupCommand(line, &command)) continue;
        if (command.Kind < CommandCreateGroup || command.Kind > CommandExitServer ||
            strlen(command.Name) >= strlen(line) || strlen(command.Target) >= strlen(line))
            __builtin_trap();
        CheckFileName(command.Name);
        char dir[260];
        if (ItemWorkingDirectory(command.Target, dir, sizeof dir) &&
            strncmp(dir, command.Target, strlen(dir)) != 0)
            __builtin_trap();
    }
    delete[] text;
    return 0;
}
