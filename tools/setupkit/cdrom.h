// CD-ROM media of setupkit pack: one disc whose files carry ISO 9660 level 1
// names (8.3, upper case, as every Windows from 95 on reads them), an
// AUTORUN.INF that starts SETUP.EXE, and the ISO image made with xorriso.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fat12.h"

namespace setupkit {

enum { CdSectorBytes = 2048 };

// A disc of sectors of 2048 bytes: "74min" (333000, 681984000 bytes) or
// "80min" (360000, 737280000 bytes). Throws an Error for anything else.
uint64_t ParseCdSize(const std::string &text);

// What LayOutDisks may fill on a disc of sectors that holds fileCount files
// in its root: whole 2048-byte sectors, less the system area, the volume
// descriptors, the path tables, the root directory and the image's padding.
DiskGeometry CdGeometry(uint64_t sectors, size_t fileCount);

// The level-1 form of a file name: upper case, characters other than A-Z,
// 0-9 and '_' as '_', at most 8 before the last dot and 3 after it.
std::string IsoLevel1Name(const std::string &name);

// The volume label for a product title: its level-1 characters, at most 32;
// "SETUP" when nothing is left.
std::string IsoVolumeLabel(const std::string &title);

// AUTORUN.INF: opens SETUP.EXE, shows its icon, and names the disc after the
// title (when there is one). CR LF line ends.
std::string AutorunText(const std::string &title);

// Writes the ISO 9660 level-1 image of folder (its files in the root) to
// imagePath: no Rock Ridge or Joliet, volume label, every date time, so that
// the same folder gives the same bytes. Throws an Error when xorriso is
// missing or fails.
void WriteIsoImage(const std::string &imagePath, const std::string &folder,
                   const std::string &label, int64_t time);

}  // namespace setupkit
