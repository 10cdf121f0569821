// The part of a program's command line that WinMain gets: what follows the
// program's name and the blanks after it. A name in double quotes may hold
// blanks.
#pragma once

const char *CommandLineArguments(const char *line);
