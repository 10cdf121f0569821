#include "tools/setupkit/check_disks.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "core/entries.h"
#include "core/lz_header.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

namespace {

// A file's expanded size: the length in an LZ header, or its own size.
bool ExpandedSize(const std::string &path, uint64_t *size)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    *size = (uint64_t)info.st_size;
    std::unique_ptr<FILE, int (*)(FILE *)> file(fopen(path.c_str(), "rb"), fclose);
    unsigned char header[LzHeaderSize];
    if (file && fread(header, 1, sizeof header, file.get()) == sizeof header &&
        HasLzSignature(header, sizeof header))
        *size = LzExpandedLength(header);
    return true;
}

// The entries of a directory by lower-case name, for lookups in any case.
std::map<std::string, std::string> ListDirectory(const std::string &dir)
{
    std::map<std::string, std::string> names;
    std::unique_ptr<DIR, int (*)(DIR *)> handle(opendir(dir.c_str()), closedir);
    if (!handle) return names;
    while (struct dirent *entry = readdir(handle.get()))
        names.emplace(Lower(entry->d_name), dir + "/" + entry->d_name);
    return names;
}

}  // namespace

bool DiskSources::Find(int disk, const std::string &scriptName, uint64_t *size)
{
    std::string name = codePage_.ToUtf8(scriptName);
    std::string lower = Lower(name);
    for (char &c : lower)
        if (c == '\\') c = '/';
    // A disc keeps every disk section's files in its one folder, disk1.
    std::string own = disksDir_ + "/disk" + std::to_string(disk), disc = disksDir_ + "/disk1";
    struct stat info;
    bool folder = stat(own.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    for (const std::string &dir : {folder ? own : disc, disksDir_}) {
        auto &listing = listings_[dir];
        if (listing.empty()) listing = ListDirectory(dir);
        // Only the last component is looked up in any case.
        size_t slash = lower.rfind('/');
        std::string base = slash == std::string::npos ? lower : lower.substr(slash + 1);
        std::string subdir = slash == std::string::npos ? "" : "/" + name.substr(0, slash);
        auto found = slash == std::string::npos ? listing.find(base) : listing.end();
        if (found != listing.end() && ExpandedSize(found->second, size)) return true;
        if (slash != std::string::npos && ExpandedSize(dir + subdir + "/" + name.substr(slash + 1), size))
            return true;
    }
    return false;
}

SourcesFound DiskSources::FindAll(const std::vector<ScriptFileEntry> &entries)
{
    SourcesFound result;
    for (const ScriptFileEntry &entry : entries) {
        InstallSizeEntry size{entry.Type, entry.Sources[0], entry.Destination, {}};
        const FileEntryRule *rule = FindFileEntryRule(entry.Type);
        if (rule && rule->SourceDir == InSourceDir) {
            std::vector<uint64_t> bytes;
            uint64_t bytesOfOne = 0;
            for (const std::string &source : entry.Sources) {
                if (!Find(entry.Disk, source, &bytesOfOne)) break;
                bytes.push_back(bytesOfOne);
            }
            if (bytes.size() == entry.Sources.size()) {
                ++result.Found;
                size.SourceBytes = bytes;
            } else {
                std::string names;
                for (const std::string &source : entry.Sources)
                    names += (names.empty() ? "" : "' or '") + source;
                result.Missing.push_back({entry.Line, names});
            }
        }
        result.Sized.push_back(size);
    }
    return result;
}

}  // namespace setupkit
