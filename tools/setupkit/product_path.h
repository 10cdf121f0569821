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

// The real path of a folder (links resolved); throws an Error naming it.
std::string RealFolder(const std::string &dir);

// A product file as pack reads it: its real path, or why it cannot be read.
struct ProductFile {
    std::string RealPath;
    std::string Problem;  // empty when the file may be read
};

// Resolves path (productDir joined with a product path) and judges it:
// missing, not a regular file (a folder, a pipe, a device), or a real path
// outside realProductDir (a link out of the product folder) is a problem.
ProductFile ResolveProductFile(const std::string &realProductDir, const std::string &path);

}  // namespace setupkit
