// FAT12 floppies: the geometry of each size, root entries of names, and
// images that mtools reads back with the capacity the geometry promises.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/setupkit/error.h"
#include "tools/setupkit/fat12.h"

using namespace setupkit;
namespace fs = std::filesystem;

TEST(Fat12, CapacityOfTheFormats)
{
    // The free bytes mformat's floppies report, and their root directories.
    struct {
        const char *Size;
        uint64_t Bytes;
        int RootEntries;
    } cases[] = {{"360K", 362496, 112},    {"720K", 730112, 112},   {"1.2M", 1213952, 224},
                 {"1.44M", 1457664, 224},  {"2.88M", 2931712, 240}, {"1024000", 1010176, 224}};
    for (const auto &c : cases) {
        DiskGeometry geometry = ParseDiskSize(c.Size);
        EXPECT_EQ(geometry.Capacity(), c.Bytes) << c.Size;
        EXPECT_EQ(geometry.RootEntries, c.RootEntries) << c.Size;
    }
    for (const char *bad : {"", "1.44", "12x", "100"}) EXPECT_THROW(ParseDiskSize(bad), Error) << bad;
}

TEST(Fat12, CustomSizesKeepTheFormatsLimits)
{
    // The cluster grows only where one sector a cluster would give more than
    // FAT12's 4084 clusters; too small or too large is an error.
    struct {
        const char *Size;
        int SectorsPerCluster;  // 0: refused
    } cases[] = {{"9215", 0},       {"9216", 1},       {"1024000", 1},     {"2112000", 1},
                 {"2112512", 2},    {"20000000", 16},   {"130000000", 64}, {"134217728", 0}};
    for (const auto &c : cases) {
        if (!c.SectorsPerCluster) {
            EXPECT_THROW(ParseDiskSize(c.Size), Error) << c.Size;
            continue;
        }
        DiskGeometry g = ParseDiskSize(c.Size);
        EXPECT_EQ(g.SectorsPerCluster, c.SectorsPerCluster) << c.Size;
        EXPECT_EQ(g.TotalSectors, std::stoull(c.Size) / SectorBytes) << c.Size;
        EXPECT_TRUE(g.MformatSize.empty()) << c.Size;
        EXPECT_GE(g.Clusters, 1u) << c.Size;
        EXPECT_LE(g.Clusters, 4084u) << c.Size;
        // The FAT maps every cluster (12 bits each, two reserved entries) ...
        EXPECT_LE((g.Clusters + 2) * 3 / 2, (uint64_t)g.FatSectors * SectorBytes) << c.Size;
        // ... and boot sector, two FATs, root and clusters fit the disk.
        EXPECT_LE(1 + 2 * (uint64_t)g.FatSectors + g.RootSectors() + g.Clusters * g.SectorsPerCluster,
                  g.TotalSectors)
            << c.Size;
    }
}

TEST(Fat12, EntriesOfLongNames)
{
    struct {
        const char *Name;
        int Entries;
    } cases[] = {{"README.TX_", 1}, {"A", 1},       {"Disk1", 2},       {"setup.in_", 2},
                 {"ABCDEFGHI", 2},  {"A.B.C", 2},   {"LONGER-NAME-OF-FILE.TX_", 3}};
    for (const auto &c : cases) EXPECT_EQ(DirectoryEntries(c.Name), c.Entries) << c.Name;
}

// mtools formats each geometry as it is described: an image's free space is
// exactly the capacity less the clusters of what it holds.
TEST(Fat12, ImagesHaveTheCapacityOfTheirGeometry)
{
    if (system("command -v mformat >/dev/null 2>&1") != 0) GTEST_SKIP() << "no mtools";
    std::string dir = testing::TempDir() + "fat12-" + std::to_string(getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string file = dir + "/DATA.BIN";
    {
        FILE *out = fopen(file.c_str(), "wb");
        ASSERT_TRUE(out);
        for (int i = 0; i < 3000; ++i) fputc(i & 0xFF, out);
        fclose(out);
    }
    for (const char *size : {"360K", "1.2M", "2.88M", "9216", "1024000", "2112512", "20000000"}) {
        DiskGeometry geometry = ParseDiskSize(size);
        FloppyContents contents;
        contents.Label = "DISK1";
        contents.Serial = VolumeSerial("text", 1);
        contents.Time = 1000000000;
        if (geometry.Capacity() >= 3000) contents.Files = {file};
        std::string image = dir + "/disk.img";
        fs::remove(image);
        WriteFloppyImage(image, geometry, contents);
        EXPECT_EQ(fs::file_size(image), geometry.TotalSectors * SectorBytes) << size;
        std::string listing;
        FILE *pipe = popen(("MTOOLS_SKIP_CHECK=1 mdir -i '" + image + "' ::").c_str(), "r");
        char buffer[256];
        while (pipe && fgets(buffer, sizeof buffer, pipe)) listing += buffer;
        if (pipe) pclose(pipe);
        size_t at = listing.find(" bytes free");
        ASSERT_NE(at, std::string::npos) << size << "\n" << listing;
        size_t start = listing.find_last_not_of("0123456789 ", at - 1) + 1;
        std::string digits;
        for (char c : listing.substr(start, at - start))
            if (c != ' ') digits += c;
        uint64_t used = contents.Files.empty() ? 0 : geometry.ClustersFor(3000);
        EXPECT_EQ(std::stoull(digits), geometry.Capacity() - used * geometry.ClusterBytes())
            << size << "\n" << listing;
    }
    fs::remove_all(dir);
}
