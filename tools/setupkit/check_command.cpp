// setupkit check on the command line: reads a script and prints what
// CheckScript finds, with the disks looked up beside it, or an authoring
// file and what CheckAuthoring finds.
#include <cstdio>

#include "tools/setupkit/check.h"
#include "tools/setupkit/check_authoring.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"

namespace setupkit {

std::string FormatDiagnostic(const std::string &file, const Diagnostic &diagnostic)
{
    return file + ":" + std::to_string(diagnostic.Line) +
           (diagnostic.IsError ? ": error: " : ": warning: ") + diagnostic.Message;
}

int RunCheck(const Arguments &given)
{
    if (given.size() == 1 && (given[0] == "--help" || given[0] == "-h")) {
        printf("usage: setupkit check [--codepage N] SCRIPT\n"
               "       setupkit check [--codepage N] AUTHORING [PRODUCT_DIR]\n\n"
               "Reports what SETUP.EXE cannot handle well in a setup script, as\n"
               "file:line: error|warning: message. When the disks (disk<n>/ folders or the\n"
               "compressed files) are beside the script, SizeInst is checked against them.\n"
               "An authoring file (one with a [Files] section) is judged as pack would judge\n"
               "it; with PRODUCT_DIR its folders and patterns are expanded and every product\n"
               "path must name a file there. Exit status 1 when there is an error.\n"
               "  --codepage N  the code page the script is in, or an authoring file's\n"
               "                script would be written in (default 1252); names are\n"
               "                judged character by character and shown in UTF-8\n");
        return 0;
    }
    const char usage[] =
        "usage: setupkit check [--codepage N] SCRIPT | setupkit check [--codepage N] AUTHORING "
        "[PRODUCT_DIR]";
    CodePage codePage;
    Arguments args;
    for (size_t i = 0; i < given.size(); ++i) {
        const std::string &arg = given[i];
        if (arg == "--codepage") {
            if (i + 1 == given.size()) throw Error("--codepage needs a value\n" + std::string(usage));
            codePage = CodePage::Parse(given[++i]);
        } else if (arg.empty() || arg[0] == '-') {
            throw Error("unknown option '" + arg + "'\n" + usage);
        } else {
            args.push_back(arg);
        }
    }
    if (args.empty()) throw Error(std::string("the script or authoring file to check is missing\n") + usage);
    if (args.size() > 2) throw Error("too many arguments: '" + args[2] + "'\n" + usage);
    const std::string &path = args[0];
    Bytes data = ReadFileBytes(path);
    std::string text(data.begin(), data.end());
    std::vector<Diagnostic> found;
    if (LooksLikeAuthoring(text)) {
        found = CheckAuthoring(text, path, args.size() == 2 ? args[1] : "", codePage);
    } else {
        if (args.size() == 2)
            throw Error(path + " is a setup script (no [Files] section); a product folder goes "
                        "only with an authoring file\n" + usage);
        size_t slash = path.rfind('/');
        std::string dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
        found = CheckScript(text, dir, codePage);
    }
    bool errors = false;
    for (const Diagnostic &diagnostic : found) {
        fprintf(stdout, "%s\n", FormatDiagnostic(path, diagnostic).c_str());
        errors |= diagnostic.IsError;
    }
    return errors ? 1 : 0;
}

}  // namespace setupkit
