// What pack and check warn about in an authoring file: things SETUP.EXE
// accepts but that are likely mistakes. pack still succeeds.
#pragma once

#include <vector>

#include "authoring.h"
#include "check.h"

namespace setupkit {

// At the authoring lines: a group item whose command file no entry
// installs, a destination written by a second entry, a "#s" not followed by
// a backslash (not replaced), a [Title] value holding ';' (part of the
// value, not a comment). Folder and pattern lines still unexpanded count as
// installing whatever lies in their destination directory.
std::vector<Diagnostic> AuthoringWarnings(const Authoring &authoring);

}  // namespace setupkit
