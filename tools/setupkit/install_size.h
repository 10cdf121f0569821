// SizeInst: the room the files of a script take in the install directory.
// One rule for pack, which writes the value, and check, which judges it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setupkit {

// A file entry as far as SizeInst goes.
struct InstallSizeEntry {
    int Type = 0;
    std::string Source;       // read from the temporary directory: the staged name
    std::string Destination;  // written to the temporary directory: the staged name
    std::vector<uint64_t> SourceBytes;  // each source's expanded size; empty when not all are known
};

// The expanded bytes the entries put in the install directory: those of the
// types that count toward SizeInst, the larger source when there are two,
// and for a source in the temporary directory the file staged there under
// that name (any case) by the latest entry before it whose size is known.
uint64_t InstallBytes(const std::vector<InstallSizeEntry> &entries);

// The SizeInst that files of these expanded bytes need: rounded up to
// kilobytes, plus the margin.
uint64_t RequiredKilobytes(uint64_t bytes, uint64_t marginKb = 0);

// The SizeInst the entries need: their install bytes in kilobytes, plus the margin.
uint64_t RequiredSizeInst(const std::vector<InstallSizeEntry> &entries, uint64_t marginKb = 0);

}  // namespace setupkit
