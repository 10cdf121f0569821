// setupkit check on the command line: reads the script and prints what
// CheckScript finds, with the disks looked up beside it.
#include <cstdio>

#include "tools/setupkit/check.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"

namespace setupkit {

std::string FormatDiagnostic(const std::string &file, const Diagnostic &diagnostic)
{
    return file + ":" + std::to_string(diagnostic.Line) +
           (diagnostic.IsError ? ": error: " : ": warning: ") + diagnostic.Message;
}

int RunCheck(const Arguments &args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printf("usage: setupkit check SCRIPT\n\n"
               "Reports what SETUP.EXE cannot handle well in a setup script, as\n"
               "file:line: error|warning: message. When the disks (disk<n>/ folders or the\n"
               "compressed files) are beside the script, SizeInst is checked against them.\n"
               "Exit status 1 when there is an error.\n");
        return 0;
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
        throw Error("usage: setupkit check SCRIPT");
    const std::string &path = args[0];
    Bytes data = ReadFileBytes(path);
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
    bool errors = false;
    for (const Diagnostic &diagnostic :
         CheckScript(std::string(data.begin(), data.end()), dir)) {
        fprintf(stdout, "%s\n", FormatDiagnostic(path, diagnostic).c_str());
        errors |= diagnostic.IsError;
    }
    return errors ? 1 : 0;
}

}  // namespace setupkit
