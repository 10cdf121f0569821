// The disk layout of setupkit pack: the product files an authoring file
// lists, the names they take on the disks, which disk each goes on, and the
// room they need once installed (SizeInst).
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "authoring.h"
#include "fat12.h"
#include "fileio.h"

namespace setupkit {

// One file of the product as it goes on a disk.
struct DiskFile {
    std::string SourcePath;  // in the product folder
    std::string ProductPath;  // as the authoring file gives it
    bool Loaded = false;      // Stored already holds the file (a signed program)
    std::string PlainName;   // upper case, before the compressed name is made
    std::string DiskName;
    bool Compressed = false;  // cleared when compression does not make it smaller
    char LastChar = '_';  // of the original name, kept in the LZ header
    Bytes Stored;         // filled in by compression
    uint64_t ExpandedSize = 0;
    uint32_t ExpandedCrc = 0;  // CRC-32 of the expanded bytes
};

// One entry of the file list, with its disk files (two for type 6, none for 5).
struct PackEntry {
    AuthoredFile File;
    std::vector<DiskFile> Parts;
    int Disk = 0;
};

// How names on the disks are made: FAT keeps long names (with their
// long-name entries); a CD takes ISO 9660 level-1 names (IsoLevel1Name).
enum class DiskNameRule { Fat, IsoLevel1 };

// The name a product file is stored under before compression: plain ASCII
// and 8.3 whatever its own name is (SETUP.EXE finds it by this name and
// writes it under its destination). An ASCII 8.3 name stays, in upper case;
// a longer ASCII name is shortened (LONGNA~1.TXT; on a CD its level-1 form,
// LONGNAME.TXT); a name with any other character takes eight hex digits of
// a CRC-32 of its product path, so that it stays the same from pack to
// pack, and keeps an ASCII extension (привет.txt: 7252B56D.TXT).
std::string PlainDiskName(const std::string &productPath, DiskNameRule rule);

// Names for files on one set of disks: unique whatever their case, and
// never one of the names pack writes itself (SETUP.EXE, setup.in_,
// setup.inf, Disk<n>; AUTORUN.INF on a CD) or a device name (COM1.TX_). A taken README.TX_ becomes
// README~1.TX_, then ~2... (on a CD README_1.TX_, as '~' is no level-1
// character).
class DiskNames {
public:
    explicit DiskNames(DiskNameRule rule = DiskNameRule::Fat) : rule_(rule) {}
    std::string Unique(const std::string &wanted);

private:
    DiskNameRule rule_;
    std::set<std::string> used_;  // upper case
};

inline constexpr size_t NoUninstaller = static_cast<size_t>(-1);

// The entries of authoring's file list with their disk files, product paths
// joined to productDir. The entry at uninstallerIndex (the one --uninstaller
// added) names its file by a path of its own. A type-4 file is compressed
// only when a later type-5 entry expands it. Throws an Error at the
// authoring line of a product path that leaves the product folder.
std::vector<PackEntry> CollectEntries(const Authoring &authoring, const std::string &productDir,
                                      size_t uninstallerIndex = NoUninstaller,
                                      DiskNameRule rule = DiskNameRule::Fat);

// Gives every disk file its unique name on the disks, in list order: the
// compressed name (README.TX_) or, for a file stored as it is, its own.
void NameDiskFiles(std::vector<PackEntry> &entries, DiskNameRule rule);

// One thing to put on the disks, in list order; its files stay together.
struct LayoutItem {
    std::string Label;                 // for messages
    std::vector<uint64_t> FileSizes;   // bytes on the disk
    std::vector<std::string> FileNames;
    bool NewDisk = false;  // starts the next disk whatever room is left
    std::string TooBigHint;  // ends the message when no disk holds it
};

// Fills disks in order without splitting an item: item i goes on disk
// result[i] (1-based). firstDiskFiles are the sizes and names that disk 1
// carries besides the items (SETUP.EXE, setup.in_, Disk1). Every disk also
// holds its volume label and its tag Disk<n>. Throws an Error naming an
// item that no disk can hold.
std::vector<int> LayOutDisks(const std::vector<LayoutItem> &items,
                             const LayoutItem &firstDiskFiles, const DiskGeometry &geometry);

// LayOutDisks over the entries' stored files: sets each entry's Disk and
// returns the number of disks. An entry no disk holds is named by its
// authoring line (authoringName:line:) and tooBigHint ends the message.
int AssignDisks(std::vector<PackEntry> &entries, const LayoutItem &firstDiskFiles,
                const DiskGeometry &geometry, const std::string &authoringName = "",
                const std::string &tooBigHint = "");

// Gives the entries of one disc to disk sections of at most perDisk entries
// each, in list order, as SETUP.EXE reads no more of one disk: the files all
// stay in the disc's one folder, which carries the tag of every section.
// Returns the number of sections.
int SpreadOverSections(std::vector<PackEntry> &entries, int perDisk);

struct SizeInst {
    uint64_t Kilobytes = 0;
    int Line = 0;  // the authoring line that gave it; 0 when computed
};

// The expanded bytes the entries put in the install directory: type 3, the
// larger source of type 6, and for type 5 the type-4 file it expands.
uint64_t InstallBytes(const std::vector<PackEntry> &entries);

// The SizeInst for the entries: the [Title] value when the authoring gives
// one (an Error at its line when smaller than the files need), else their
// kilobytes plus marginKb.
SizeInst DecideSizeInst(const std::vector<PackEntry> &entries, const Authoring &authoring,
                        uint64_t marginKb);

}  // namespace setupkit
