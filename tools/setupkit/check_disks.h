// check's lookup of a script's sources on the disks beside it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace setupkit {

class DiskSources {
public:
    explicit DiskSources(const std::string &disksDir) : disksDir_(disksDir) {}

    // Finds a source of a disk: disk<n>/name, or name beside the script, the
    // last component in any case. size receives its expanded size: the
    // length in its LZ header, or its own size.
    bool Find(int disk, const std::string &name, uint64_t *size);

private:
    std::string disksDir_;
    // The entries of each folder looked in, by lower-case name.
    std::map<std::string, std::map<std::string, std::string>> listings_;
};

}  // namespace setupkit
