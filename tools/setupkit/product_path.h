// The rule for the product paths of an authoring file: paths on this
// machine, relative to the product folder, which pack reads the files from.
// Not the rule for names SETUP.EXE joins to a directory (IsContainedName).
#pragma once

#include <string>

namespace setupkit {

// True when a product path (separators '/' or '\\') stays inside the
// product folder: not empty, no leading separator, no colon, and no
// component that is empty or "..", blanks around it ignored.
bool ProductPathStaysInside(const std::string &path);

}  // namespace setupkit
