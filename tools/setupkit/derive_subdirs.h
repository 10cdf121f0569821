// [SubDir] follows from [Files]: SETUP.EXE makes only the last component of
// each Dir<n>, in order, so every level a destination in the install
// directory names is listed, parents first.
#pragma once

#include "authoring.h"
#include "codepage.h"

namespace setupkit {

// Rewrites authoring.SubDirs: the authored ones first, each after its
// parents, then every directory level of the install-directory
// destinations, once each (any case), with backslashes. A derived level
// keeps the line that named it. Throws a LocatedError at that line for a
// level longer than a Dir<n> value SETUP.EXE holds, counted in the bytes
// of codePage.
void DeriveSubDirs(Authoring &authoring, const CodePage &codePage = CodePage());

}  // namespace setupkit
