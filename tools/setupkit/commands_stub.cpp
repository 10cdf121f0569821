// Subcommands not built yet.
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"

namespace setupkit {

int RunCompress(const Arguments &) { throw Error("not built yet"); }
int RunExpand(const Arguments &) { throw Error("not built yet"); }

}  // namespace setupkit
