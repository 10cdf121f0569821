// The download form of pack: WEBSTUB.EXE with the disc's files appended as
// core/download_format.h lays them out (docs/download-format.md), one
// program that checks, unpacks and runs them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fileio.h"

namespace setupkit {

// The stub reads its file with 32-bit offsets and lengths that fit a LONG.
inline constexpr uint64_t DownloadLimit = 0x7FFFFFFF;

struct DownloadFile {
    std::string Name;  // as on the disc: ISO 9660 level 1
    const Bytes *Data = nullptr;
};

// stub, the entries, zero padding to DownloadAlignment and the trailer.
// Throws an Error for a name the stub refuses or a download over the limit.
Bytes BuildDownload(const Bytes &stub, const std::vector<DownloadFile> &files);

// The download's file name: given (".exe" added when it lacks it) or, when
// given is empty, the title in plain ASCII (letters, digits, '.', '-', '_';
// any other run as one '_'). Throws an Error for a given name that is no
// plain Windows file name.
std::string DownloadFileName(const std::string &title, const std::string &given);

}  // namespace setupkit
