// setupkit pack: an authoring file and a product folder become finished
// distribution disks (disk1/, disk2/, ..., the plain setup.inf, optionally a
// FAT12 image per disk), or one CD-ROM (disk1/ with AUTORUN.INF, optionally
// its ISO 9660 image), or one download (the disc's files in one program,
// download.h). The parts: fat12.h (floppies), cdrom.h (the disc),
// layout.h (the files and their disks), script_writer.h (setup.inf),
// signing.h (the programs' signatures), pack_list.h (what pack made),
// posix.h (the file system).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "codepage.h"
#include "signing.h"

namespace setupkit {

struct PackOptions {
    std::string AuthoringPath;  // UTF-8
    std::string ProductDir;
    std::string OutDir;
    enum MediaKind { Floppy, Cd, Web };
    MediaKind Media = Floppy;
    std::string DiskSize;  // empty: 1.44M floppies, or a 74-minute CD
    uint64_t MarginKb = 0;
    int CodePage = DefaultCodePage;  // of setup.inf and AUTORUN.INF
    bool Images = false;
    bool Uninstaller = false;
    std::string SetupExe;
    std::string UninstExe;
    std::string StubExe;       // Web: WEBSTUB.EXE
    std::string DownloadName;  // Web: the program's name; empty: from the title
    int64_t FixedTime = -1;  // seconds since 1970 for every file time; -1: the sources' newest
    SigningOptions Signing;  // signs SETUP.EXE and UNINST.EXE when enabled
    int64_t Now = -1;        // for the certificate's validity; -1: the clock
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
    std::string DiskSize;  // the size used, "1.44M" or "74min"...; empty for a download
    std::string Download;  // Web: the program's file name in OutDir
    uint64_t DownloadBytes = 0;
};

// Builds everything in a temporary directory beside OutDir and renames it
// into place at the end; throws an Error, leaving nothing behind, on failure.
// An existing OutDir is replaced only when it holds nothing but what its
// pack list names.
PackResult Pack(const PackOptions &options);

}  // namespace setupkit
