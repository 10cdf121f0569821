// FAT12 floppies: the geometry of each disk size, the root-directory entries
// a name takes, and the making of a floppy image (with mtools).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setupkit {

enum { SectorBytes = 512, DirectoryEntryBytes = 32 };

// What a FAT12 floppy of one size holds: whole clusters of its data area
// and a root directory of a fixed number of 32-byte entries.
struct DiskGeometry {
    uint64_t TotalSectors = 0;  // of 512 bytes
    int SectorsPerCluster = 1;
    int RootEntries = 0;
    int FatSectors = 0;
    uint64_t Clusters = 0;
    std::string MformatSize;  // "1440" for the standard sizes; empty for a custom size

    int RootSectors() const { return RootEntries * DirectoryEntryBytes / SectorBytes; }
    uint64_t ClusterBytes() const { return (uint64_t)SectorBytes * SectorsPerCluster; }
    uint64_t Capacity() const { return Clusters * ClusterBytes(); }
    uint64_t ClustersFor(uint64_t bytes) const
    {
        return (bytes + ClusterBytes() - 1) / ClusterBytes();
    }
};

// "360K", "720K", "1.2M", "1.44M", "2.88M" (the DOS formats), or a number of
// bytes (a custom format: 512-byte sectors, 224 root entries, the smallest
// cluster that keeps FAT12's 4084 clusters). Throws an Error otherwise.
DiskGeometry ParseDiskSize(const std::string &text);

// A character an 8.3 name on FAT may hold as it is: A-Z, 0-9 and !#$%&'()-@^_`{}~.
bool IsShortNameChar(char c);
// An upper-case 8.3 name of those characters, one that needs no long-name entries.
bool IsShortName(const std::string &name);

// Root-directory entries a name takes on FAT: one for an upper-case 8.3
// name, plus the long-name entries (13 characters each) for any other.
int DirectoryEntries(const std::string &name);

// What goes into a floppy image besides its geometry.
struct FloppyContents {
    std::string Label;               // the volume label
    uint32_t Serial = 0;             // the volume serial number
    std::vector<std::string> Files;  // host paths, copied into the root in this order
    int64_t Time = 0;                // seconds since 1970: every time in the image and of it
};

// The volume serial of disk number disk, derived from seed (the script's
// text) so that the same input gives the same image.
uint32_t VolumeSerial(const std::string &seed, int disk);

// Writes a formatted image of geometry at imagePath holding contents; throws
// an Error when mtools is missing or fails.
void WriteFloppyImage(const std::string &imagePath, const DiskGeometry &geometry,
                      const FloppyContents &contents);

}  // namespace setupkit
