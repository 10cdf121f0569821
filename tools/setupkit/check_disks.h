// check's lookup of a script's sources on the disks beside it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/setupkit/codepage.h"
#include "tools/setupkit/install_size.h"

namespace setupkit {

// A file entry of the script as check read it.
struct ScriptFileEntry {
    int Line = 0, Type = 0, Disk = 0;
    std::vector<std::string> Sources;  // type 6: the one for locale 419 first
    std::string Destination;
};

// What the disks hold of the entries' sources.
struct SourcesFound {
    int Found = 0;  // entries whose sources are all there
    std::vector<InstallSizeEntry> Sized;  // every entry, with the sizes of its sources when found
    std::vector<std::pair<int, std::string>> Missing;  // line, and the names looked for
};

class DiskSources {
public:
    // The script's names are in codePage, those of the folders UTF-8.
    explicit DiskSources(const std::string &disksDir, const CodePage &codePage = CodePage())
        : disksDir_(disksDir), codePage_(codePage)
    {
    }

    // Finds a source of a disk: disk<n>/name (disk1/name when there is no
    // folder disk<n>, as on a disc), or name beside the script, the last
    // component in any case. size receives its expanded size: the
    // length in its LZ header, or its own size.
    bool Find(int disk, const std::string &name, uint64_t *size);

    // Looks up the sources each entry reads from its disk; a source in the
    // temporary directory is not looked for.
    SourcesFound FindAll(const std::vector<ScriptFileEntry> &entries);

private:
    std::string disksDir_;
    CodePage codePage_;
    // The entries of each folder looked in, by lower-case name.
    std::map<std::string, std::map<std::string, std::string>> listings_;
};

}  // namespace setupkit
