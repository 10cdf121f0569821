// setupkit check: finds what SETUP.EXE cannot handle well in a setup script,
// judging every entry with the program's own splits and read limits.
#pragma once

#include <string>
#include <vector>

#include "tools/setupkit/codepage.h"

namespace setupkit {

struct Diagnostic {
    int Line = 0;  // 1-based, always a line of the script
    bool IsError = false;
    std::string Message;
};

// Checks the text of a script written in codePage, whose names it judges
// character by character. With disksDir set, the sources are looked up
// there (in disk<n>/ folders or beside the script) and SizeInst is compared
// with their expanded sizes; with it empty no file is touched. The messages
// are UTF-8.
std::vector<Diagnostic> CheckScript(const std::string &text, const std::string &disksDir = "",
                                    const CodePage &codePage = CodePage());

// "file:line: error: message"
std::string FormatDiagnostic(const std::string &file, const Diagnostic &diagnostic);

}  // namespace setupkit
