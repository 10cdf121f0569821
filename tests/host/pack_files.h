// Files for the pack tests: reproducible content, written with the folders
// it needs, and read back.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "tools/setupkit/fileio.h"

namespace pack_files {

inline setupkit::Bytes Random(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    setupkit::Bytes data(size);
    for (uint8_t &byte : data) byte = (uint8_t)random();
    return data;
}

inline void Write(const std::string &path, const setupkit::Bytes &data)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    setupkit::WriteFileAtomic(path, data);
}

inline void Write(const std::string &path, const std::string &text)
{
    Write(path, setupkit::Bytes(text.begin(), text.end()));
}

inline std::string Read(const std::string &path)
{
    setupkit::Bytes data = setupkit::ReadFileBytes(path);
    return std::string(data.begin(), data.end());
}

}  // namespace pack_files
