// Files for the pack tests: reproducible content, written with the folders
// it needs, and read back.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tools/setupkit/fileio.h"
#include "tools/setupkit/pack.h"

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

// A scratch folder for one test, named after it: a product folder, a
// stand-in SETUP.EXE of setupBytes random bytes, and pack's options for an
// authoring text.
struct PackWorkspace {
    std::string Dir;
    PackWorkspace(const std::string &prefix, size_t setupBytes)
        : Dir(testing::TempDir() + prefix + std::to_string(getpid()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir + "/product");
        Write(Dir + "/SETUP.EXE", Random(setupBytes, 1));
    }
    ~PackWorkspace() { std::filesystem::remove_all(Dir); }
    setupkit::PackOptions Options(const std::string &authoring, const std::string &size = "1.44M")
    {
        Write(Dir + "/setup.auth", authoring);
        setupkit::PackOptions options;
        options.AuthoringPath = Dir + "/setup.auth";
        options.ProductDir = Dir + "/product";
        options.OutDir = Dir + "/out";
        options.DiskSize = size;
        options.SetupExe = Dir + "/SETUP.EXE";
        options.FixedTime = 1000000000;
        return options;
    }
};

}  // namespace pack_files
