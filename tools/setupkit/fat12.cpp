#include "fat12.h"

#include <algorithm>
#include <cstring>

#include "error.h"
#include "posix.h"

namespace setupkit {

namespace {

enum {
    Fat12MaxClusters = 4084,
    CustomRootEntries = 224,
    MaxSectorsPerCluster = 64,
    MaxSectorsPerTrack = 63,
    BootSectors = 1,
    FatCopies = 2
};

DiskGeometry StandardGeometry(uint64_t sectors, int perCluster, int rootEntries, int fatSectors,
                              const char *mformatSize)
{
    DiskGeometry geometry;
    geometry.TotalSectors = sectors;
    geometry.SectorsPerCluster = perCluster;
    geometry.RootEntries = rootEntries;
    geometry.FatSectors = fatSectors;
    uint64_t dataSectors = sectors - BootSectors - FatCopies * (uint64_t)fatSectors -
                           geometry.RootSectors();
    geometry.Clusters = dataSectors / perCluster;
    geometry.MformatSize = mformatSize;
    return geometry;
}

uint32_t Fnv1a(const std::string &text, uint32_t hash)
{
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace

bool IsShortNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || (c && strchr("!#$%&'()-@^_`{}~", c));
}

bool IsShortName(const std::string &name)
{
    size_t dot = name.find('.');
    std::string stem = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (stem.empty() || stem.size() > 8 || ext.size() > 3 || ext.find('.') != std::string::npos)
        return false;
    if (dot != std::string::npos && ext.empty()) return false;
    return std::all_of(stem.begin(), stem.end(), IsShortNameChar) &&
           std::all_of(ext.begin(), ext.end(), IsShortNameChar);
}

DiskGeometry ParseDiskSize(const std::string &text)
{
    // The DOS boot sectors of the standard formats.
    if (text == "360K") return StandardGeometry(720, 2, 112, 2, "360");
    if (text == "720K") return StandardGeometry(1440, 2, 112, 3, "720");
    if (text == "1.2M") return StandardGeometry(2400, 1, 224, 7, "1200");
    if (text == "1.44M") return StandardGeometry(2880, 1, 224, 9, "1440");
    if (text == "2.88M") return StandardGeometry(5760, 2, 240, 9, "2880");
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Error("--disk-size: expected 360K, 720K, 1.2M, 1.44M, 2.88M or a number of bytes, "
                    "not '" + text + "'");
    DiskGeometry geometry;
    geometry.TotalSectors = std::stoull(text) / SectorBytes;
    geometry.RootEntries = CustomRootEntries;
    const uint64_t sectors = geometry.TotalSectors;
    const int rootSectors = geometry.RootSectors();
    for (int perCluster = 1; perCluster <= MaxSectorsPerCluster; perCluster *= 2) {
        auto tooSmall = [&](int fatSectors) {
            return sectors < (uint64_t)(BootSectors + rootSectors + FatCopies * fatSectors + perCluster);
        };
        auto clusters = [&](int fatSectors) {
            return (sectors - BootSectors - rootSectors - FatCopies * fatSectors) / perCluster;
        };
        // The FAT grows with the clusters it maps: settle its size first.
        int fatSectors = 1;
        for (int round = 0; round < 8; ++round) {
            if (tooSmall(fatSectors)) break;
            // 12 bits an entry, two reserved entries before the first cluster
            int needed = (int)(((clusters(fatSectors) + 2) * 3 / 2 + SectorBytes - 1) / SectorBytes);
            if (needed <= fatSectors) break;
            fatSectors = needed;
        }
        if (tooSmall(fatSectors)) break;
        geometry.SectorsPerCluster = perCluster;
        geometry.FatSectors = fatSectors;
        geometry.Clusters = clusters(fatSectors);
        if (geometry.Clusters <= Fat12MaxClusters) return geometry;
    }
    throw Error("--disk-size " + text + ": no FAT12 floppy of that size (at least 16K, at most "
                "about 130M)");
}

int DirectoryEntries(const std::string &name)
{
    return IsShortName(name) ? 1 : 1 + (int)((name.size() + 12) / 13);
}

uint32_t VolumeSerial(const std::string &seed, int disk)
{
    const uint32_t fnvOffsetBasis = 2166136261u;
    return Fnv1a(seed, fnvOffsetBasis ^ (uint32_t)disk);
}

void WriteFloppyImage(const std::string &imagePath, const DiskGeometry &geometry,
                      const FloppyContents &contents)
{
    std::vector<std::string> env = {"SOURCE_DATE_EPOCH=" + std::to_string(contents.Time),
                                    "MTOOLS_SKIP_CHECK=1", "MTOOLS_LOWER_CASE=0"};
    char serial[16];
    snprintf(serial, sizeof serial, "%08x", contents.Serial);
    std::vector<std::string> format = {"mformat", "-C", "-i", imagePath, "-v", contents.Label,
                                       "-N", serial};
    if (!geometry.MformatSize.empty()) {
        format.insert(format.end(), {"-f", geometry.MformatSize});
    } else {
        format.insert(format.end(),
                      {"-T", std::to_string(geometry.TotalSectors), "-h", "1", "-s",
                       std::to_string(std::min<uint64_t>(geometry.TotalSectors, MaxSectorsPerTrack)),
                       "-c", std::to_string(geometry.SectorsPerCluster), "-r",
                       std::to_string(geometry.RootSectors()), "-L",
                       std::to_string(geometry.FatSectors)});
    }
    format.push_back("::");
    RunProgram(format, env, "mtools");
    std::vector<std::string> copy = {"mcopy", "-m", "-i", imagePath};
    copy.insert(copy.end(), contents.Files.begin(), contents.Files.end());
    copy.push_back("::/");
    RunProgram(copy, env, "mtools");
    SetFileTime(imagePath, contents.Time);
}

}  // namespace setupkit
