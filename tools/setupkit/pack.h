// setupkit pack: an authoring file and a product folder become finished
// distribution disks (disk1/, disk2/, ..., the plain setup.inf, optionally a
// FAT12 image per disk).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace setupkit {

// What a FAT12 floppy of one size holds: whole clusters of its data area
// and a root directory of a fixed number of 32-byte entries.
struct DiskGeometry {
    uint64_t TotalSectors = 0;  // of 512 bytes
    int SectorsPerCluster = 1;
    int RootEntries = 0;
    int FatSectors = 0;
    uint64_t Clusters = 0;
    std::string MformatSize;  // "1440" for the standard sizes; empty for a custom size

    uint64_t ClusterBytes() const { return 512u * (uint64_t)SectorsPerCluster; }
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

// Root-directory entries a name takes on FAT: one for an upper-case 8.3
// name, plus the long-name entries (13 characters each) for any other.
int DirectoryEntries(const std::string &name);

// One thing to put on the disks, in list order; its files stay together.
struct LayoutItem {
    std::string Label;                 // for messages
    std::vector<uint64_t> FileSizes;   // bytes on the disk
    std::vector<std::string> FileNames;
    bool NewDisk = false;  // starts the next disk whatever room is left
};

// Fills disks in order without splitting an item: item i goes on disk
// result[i] (1-based). firstDiskFiles are the sizes and names that disk 1
// carries besides the items (SETUP.EXE, setup.in_, Disk1). Every disk also
// holds its volume label and its tag Disk<n>. Throws an Error naming an
// item that no disk can hold.
std::vector<int> LayOutDisks(const std::vector<LayoutItem> &items,
                             const LayoutItem &firstDiskFiles, const DiskGeometry &geometry);

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
