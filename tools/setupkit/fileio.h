// Whole-file reads and writes. A write goes to a temporary name beside the
// target and is renamed over it only when complete, so a failed command
// leaves nothing half-written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setupkit {

using Bytes = std::vector<uint8_t>;

Bytes ReadFileBytes(const std::string &path);
void WriteFileAtomic(const std::string &path, const Bytes &data);

}  // namespace setupkit
