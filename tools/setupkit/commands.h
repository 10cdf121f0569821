// The subcommands of setupkit. Each takes its arguments (without the
// subcommand's name) and returns the exit status; errors are thrown as
// setupkit::Error.
#pragma once

#include <string>
#include <vector>

namespace setupkit {

using Arguments = std::vector<std::string>;

int RunCompress(const Arguments &args);
int RunExpand(const Arguments &args);
int RunPack(const Arguments &args);
int RunCheck(const Arguments &args);
int RunSign(const Arguments &args);

}  // namespace setupkit
