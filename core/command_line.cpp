#include "command_line.h"

const char *CommandLineArguments(const char *line)
{
    bool quoted = false;
    while ((unsigned char)*line > ' ' || (*line && quoted)) {
        if (*line == '"') quoted = !quoted;
        ++line;
    }
    while (*line && (unsigned char)*line <= ' ') ++line;
    return line;
}
