// The programs pack puts on the disks, SETUP.EXE and UNINST.EXE: found
// beside setupkit unless an option names them, and a missing one is an
// error that names that option.
#pragma once

#include <string>

#include "fileio.h"

namespace setupkit {

// Throws an Error naming path and option ("--setup-exe") unless path is a
// regular file.
void RequireGivenProgram(const std::string &path, const std::string &option);

// The program's bytes, after RequireGivenProgram.
Bytes ReadGivenProgram(const std::string &path, const std::string &option);

}  // namespace setupkit
