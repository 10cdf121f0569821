// setupkit: turns a product folder and an authoring file into distribution
// disks for SETUP.EXE. The work is in the library; this is the front.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "error.h"

namespace {

struct Subcommand {
    const char *Name;
    int (*Run)(const setupkit::Arguments &);
    const char *Summary;
};

const Subcommand Subcommands[] = {
    {"compress", setupkit::RunCompress, "LZ-compress files (README.TXT -> README.TX_)"},
    {"expand", setupkit::RunExpand, "expand LZ-compressed files"},
    {"pack", setupkit::RunPack, "make the disks, CD or download of a product"},
    {"check", setupkit::RunCheck, "find what SETUP.EXE cannot handle in a script or authoring file"},
    {"sign", setupkit::RunSign, "sign programs with Authenticode (osslsigncode)"},
};

void Usage(FILE *out)
{
    fprintf(out, "usage: setupkit COMMAND [ARGS...]   (setupkit COMMAND --help)\n"
                 "       setupkit --version\n\n");
    for (const Subcommand &command : Subcommands)
        fprintf(out, "  %-9s %s\n", command.Name, command.Summary);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || !strcmp(argv[1], "--help") || !strcmp(argv[1], "-h")) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (!strcmp(argv[1], "--version")) {
        printf("setupkit %s\n", SETUPKIT_VERSION);
        return 0;
    }
    for (const Subcommand &command : Subcommands) {
        if (strcmp(argv[1], command.Name) != 0) continue;
        try {
            return command.Run(setupkit::Arguments(argv + 2, argv + argc));
        } catch (const setupkit::Error &error) {
            fprintf(stderr, "setupkit %s: %s\n", command.Name, error.what());
            return 1;
        } catch (const std::exception &error) {
            fprintf(stderr, "setupkit %s: %s\n", command.Name, error.what());
            return 1;
        }
    }
    fprintf(stderr, "setupkit: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
