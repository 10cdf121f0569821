// setupkit pack: an authoring file and a product folder become finished
// distribution disks (disk1/, disk2/, ..., the plain setup.inf, optionally a
// FAT12 image per disk). The parts: fat12.h (floppies), layout.h (the files
// and their disks), script_writer.h (setup.inf), posix.h (the file system).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace setupkit {

struct PackOptions {
    std::string AuthoringPath;
    std::string ProductDir;
    std::string OutDir;
    std::string DiskSize = "1.44M";
    uint64_t MarginKb = 0;
    bool Images = false;
    bool Uninstaller = false;
    std::string SetupExe;
    std::string UninstExe;
    int64_t FixedTime = -1;  // seconds since 1970 for every file time; -1: the sources' newest
    FILE *Progress = nullptr;  // a terminal for the progress line, or null
};

struct PackedDisk {
    std::vector<std::string> Files;
    uint64_t Bytes = 0;
    uint64_t FreeBytes = 0;
};

struct PackResult {
    std::vector<PackedDisk> Disks;
    std::vector<std::string> Warnings;  // check's warnings on the written script
    uint64_t SizeInst = 0;
};

// Builds everything in a temporary directory beside OutDir and renames it
// into place at the end; throws an Error, leaving nothing behind, on failure.
PackResult Pack(const PackOptions &options);

}  // namespace setupkit
