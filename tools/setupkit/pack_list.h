// The list that pack leaves in its output folder: every file and folder it
// made there. An existing output folder is replaced only when it holds
// nothing the list does not name, so that a mistyped -o never deletes the
// vendor's own files.
#pragma once

#include <string>
#include <vector>

#include "posix.h"

namespace setupkit {

inline constexpr const char PackListName[] = "pack-list.txt";

// The list's text for a folder's entries (the list itself among them):
// comment lines (note, when given, among them), then one path a line,
// folders ending in '/'.
std::string FormatPackList(const std::vector<TreeEntry> &entries, const std::string &note = "");

// The first of entries that list (a pack list's text, empty when there is
// none) does not name, as "path" or "path/"; empty when there is none.
// A link or other special file is never pack's.
std::string FirstForeignEntry(const std::vector<TreeEntry> &entries, const std::string &list);

// Throws an Error unless dir is absent, an empty folder, or a folder that
// holds only what its pack list names. A link in dir's place, an unreadable
// folder anywhere below it and a foreign file (named in the message) are
// refused.
void CheckReplaceable(const std::string &dir);

// Writes dir's pack list, naming everything dir holds and the list itself,
// with note as a comment.
void WritePackList(const std::string &dir, const std::string &note = "");

}  // namespace setupkit
