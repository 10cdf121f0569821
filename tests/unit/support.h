// Shared helpers of the unit tests: scratch files under the Wine prefix's
// temporary directory, and whole-file reads and writes.
#pragma once

#include <string>

// A fresh, empty directory for one test (removed and made again).
std::string ScratchDir(const char *name);
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &content);
bool FileExists(const std::string &path);
