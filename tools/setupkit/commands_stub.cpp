// Subcommands not built yet.
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"

namespace setupkit {

int RunPack(const Arguments &) { throw Error("not built yet"); }
int RunCheck(const Arguments &) { throw Error("not built yet"); }

}  // namespace setupkit
