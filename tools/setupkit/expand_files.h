// Folders and wildcards in [Files]: "3,docs/,docs\" takes the folder docs
// and everything below it, "3,bin/*.dll,bin\" the matching files of bin
// (not below it). Each becomes one single-file line per file, at the line
// that named them, the destination directory joined with the file's path.
#pragma once

#include <string>
#include <vector>

#include "authoring.h"

namespace setupkit {

// True when a product path names many files: it ends in a separator (a
// folder) or holds '*' or '?' (a pattern; only its last component may).
bool NamesManyFiles(const std::string &productPath);

// The destination of a file found below a folder or pattern line: the
// line's destination directory (empty, or ending in '\') and the file's
// path relative to the folder, with backslashes.
std::string DestinationBelow(const std::string &directory, const std::string &relative);

// The files one line names, as single-file lines (the line itself when it
// names one file). Names in byte order, those starting with '.' left out.
// Throws a LocatedError at the line for a folder or pattern that matches
// nothing, a wildcard before the last component, or type-6 sources that
// do not hold the same relative names.
std::vector<AuthoredFile> ExpandFileLine(const AuthoredFile &line, const std::string &productDir,
                                         const std::string &authoringName);

// Every line of authoring's [Files] expanded in place.
void ExpandFileLines(Authoring &authoring, const std::string &productDir);

}  // namespace setupkit
