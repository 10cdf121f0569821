// The LZ compressor and expander: round trips checked by libmspack and by
// Debian's msexpand, mscompress output read back, damaged files refused with
// nothing written, the names, and the compress/expand commands.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/lz.h"

namespace fs = std::filesystem;
using namespace setupkit;

namespace {

struct TempDir {
    fs::path Path;
    TempDir()
    {
        char name[] = "/tmp/test_lz.XXXXXX";
        Path = mkdtemp(name);
    }
    ~TempDir() { fs::remove_all(Path); }
    std::string operator/(const std::string &name) const { return (Path / name).string(); }
    size_t Entries() const { return (size_t)std::distance(fs::directory_iterator(Path), {}); }
};

bool Have(const char *tool) { return system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0; }

// msexpand as a black box: the expansion of compressed, or nothing on failure.
Bytes MsExpand(const Bytes &compressed, const TempDir &dir)
{
    WriteFileAtomic(dir / "in", compressed);
    std::string command = "msexpand <" + dir / "in" + " >" + dir / "out" + " 2>/dev/null";
    if (system(command.c_str()) != 0) return {};
    return ReadFileBytes(dir / "out");
}

Bytes Random(size_t size, uint32_t seed, int alphabet = 256)
{
    std::mt19937 generator(seed);
    Bytes data(size);
    for (uint8_t &byte : data) byte = (uint8_t)(generator() % alphabet);
    return data;
}

std::vector<std::pair<std::string, Bytes>> RoundTripInputs()
{
    std::vector<std::pair<std::string, Bytes>> inputs;
    for (size_t size = 0; size <= 20; ++size) inputs.push_back({"random " + std::to_string(size), Random(size, (uint32_t)size)});
    inputs.push_back({"15 spaces", Bytes(15, ' ')});
    for (size_t size : {4095, 4096, 4097}) inputs.push_back({"text-like " + std::to_string(size), Random(size, 7, 4)});
    inputs.push_back({"a megabyte of one byte", Bytes(1 << 20, 0xAB)});
    inputs.push_back({"random 300000", Random(300000, 1)});
    Bytes mixed = Random(100000, 2, 3);
    for (size_t i = 0; i < mixed.size(); i += 1000) mixed[i] = ' ';
    inputs.push_back({"small alphabet with spaces", mixed});
    for (const char *path : {"/usr/lib/x86_64-linux-gnu/libmspack.so.0", "/usr/bin/msexpand",
                             "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/kernel32.dll"})
        if (fs::exists(path)) inputs.push_back({path, ReadFileBytes(path)});
    return inputs;
}

}  // namespace

TEST(Lz, RoundTripsThroughLibmspackAndMsexpand)
{
    TempDir dir;
    bool msexpand = Have("msexpand");
    for (const auto &[label, data] : RoundTripInputs()) {
        SCOPED_TRACE(label);
        Bytes compressed = CompressLzChecked(data, 'T', label);
        ExpandedLz back = ExpandLz(compressed, label);
        EXPECT_EQ(back.Data, data);
        EXPECT_EQ(back.ReplacedChar, 'T');
        // Nine bits a literal at worst, plus the header and one flag byte.
        EXPECT_LE(compressed.size(), LzHeaderSize + data.size() + (data.size() + 7) / 8);
        if (msexpand) EXPECT_EQ(MsExpand(compressed, dir), data);
    }
}

TEST(Lz, MatchesReachIntoTheInitialSpacesAndOverlap)
{
    // 18 spaces at the start come from the initial window as one match; a
    // run of one byte is one literal and overlapping matches.
    Bytes spaces(18, ' ');
    EXPECT_EQ(CompressLz(spaces, 'X').size(), (size_t)LzHeaderSize + 1 + 2);
    Bytes run(1 + 18 * 3, 'z');
    EXPECT_EQ(CompressLz(run, 'X').size(), (size_t)LzHeaderSize + 1 + 1 + 2 * 3);
}

TEST(Lz, BeatsMscompressOnRealFiles)
{
    const char *path = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/kernel32.dll";
    if (!Have("mscompress") || !fs::exists(path)) GTEST_SKIP() << "no mscompress or sample";
    TempDir dir;
    fs::copy_file(path, dir / "f");
    ASSERT_EQ(system(("cd " + dir.Path.string() + " && mscompress f >/dev/null 2>&1").c_str()), 0);
    Bytes theirs = ReadFileBytes(dir / "f_");
    Bytes ours = CompressLz(ReadFileBytes(path), 'l');
    EXPECT_LE(ours.size() * 1000, theirs.size() * 965);
    // And their output is read by setupkit expand, the name from mscompress's
    // header (no character kept) losing the '_'.
    ASSERT_EQ(RunExpand({dir / "f_", "-o", dir / "x"}), 0);
    EXPECT_EQ(ReadFileBytes(dir / "x"), ReadFileBytes(path));
    fs::remove(dir / "f");
    ASSERT_EQ(RunExpand({dir / "f_"}), 0);
    EXPECT_EQ(ReadFileBytes(dir / "f"), ReadFileBytes(path));
}

TEST(Lz, DamagedFilesAreErrorsWithNothingWritten)
{
    Bytes good = CompressLz(Random(5000, 3, 8), 'T');
    auto with = [&](size_t at, uint8_t byte) { Bytes b = good; b[at] = byte; return b; };
    const std::vector<std::pair<const char *, Bytes>> cases = {
        {"empty", {}},
        {"header cut", Bytes(good.begin(), good.begin() + 10)},
        {"stream cut", Bytes(good.begin(), good.begin() + good.size() / 2)},
        {"last byte gone", Bytes(good.begin(), good.end() - 1)},
        {"bad magic", with(0, 'X')},
        {"mode not A", with(8, 'B')},
        {"length too large", with(13, 0x7F)},
        {"length too small", with(11, 0)},
    };
    for (const auto &[label, bytes] : cases) {
        SCOPED_TRACE(label);
        TempDir dir;
        WriteFileAtomic(dir / "BAD.TX_", bytes);
        EXPECT_THROW(ExpandLz(bytes, "BAD.TX_"), Error);
        EXPECT_THROW(RunExpand({dir / "BAD.TX_", "-o", dir / "out"}), Error);
        EXPECT_THROW(RunExpand({dir / "BAD.TX_"}), Error);
        EXPECT_EQ(dir.Entries(), 1u) << "something was written";
    }
    try {
        ExpandLz(cases[2].second, "dir/BAD.TX_");
        FAIL();
    } catch (const Error &error) {
        EXPECT_NE(std::string(error.what()).find("dir/BAD.TX_"), std::string::npos);
    }
}

TEST(Lz, Names)
{
    const struct {
        const char *Name, *Compressed;
        char Kept;
    } names[] = {
        {"README.TXT", "README.TX_", 'T'},
        {"readme.txt", "readme.tx_", 't'},
        {"A.B", "A._", 'B'},
        {"README", "READM_", 'E'},
        {"X", "_", 'X'},
        {"SETUP.INF", "SETUP.IN_", 'F'},
    };
    for (const auto &name : names) {
        EXPECT_EQ(CompressedName(name.Name), name.Compressed);
        EXPECT_EQ(ReplacedCharOf(name.Name), name.Kept);
        EXPECT_EQ(ExpandedName(name.Compressed, name.Kept, "f"), name.Name);
    }
    EXPECT_EQ(ExpandedName("FILE_", '\0', "f"), "FILE");
    for (char unsafe : {'/', '\n'}) EXPECT_THROW(ExpandedName("A._", unsafe, "f"), Error);
    EXPECT_THROW(ExpandedName("A.TXT", 'T', "f"), Error);
    EXPECT_THROW(ExpandedName("_", '\0', "f"), Error);
}

TEST(Lz, CommandsKeepNamesAndGiveTheSameBytesWhateverTheJobs)
{
    TempDir dir;
    std::vector<std::string> inputs;
    for (int i = 0; i < 6; ++i) {
        inputs.push_back(dir / ("F" + std::to_string(i) + ".TXT"));
        WriteFileAtomic(inputs.back(), Random(20000 * i, (uint32_t)i, 5));
    }
    Arguments one = inputs, many = inputs;
    one.insert(one.end(), {"-o", dir / "j1", "-j", "1"});
    many.insert(many.end(), {"-o", dir / "j4", "-j", "4"});
    ASSERT_EQ(RunCompress(one), 0);
    ASSERT_EQ(RunCompress(many), 0);
    for (int i = 0; i < 6; ++i) {
        std::string name = "F" + std::to_string(i) + ".TX_";
        EXPECT_EQ(ReadFileBytes(dir / ("j1/" + name)), ReadFileBytes(dir / ("j4/" + name)));
    }
    // Beside the input, and back under the name the header keeps.
    ASSERT_EQ(RunCompress({inputs[3]}), 0);
    fs::rename(inputs[3], dir / "orig");
    ASSERT_EQ(RunExpand({dir / "F3.TX_"}), 0);
    EXPECT_EQ(ReadFileBytes(inputs[3]), ReadFileBytes(dir / "orig"));

    // A name ending in '_' would compress onto itself; two inputs onto one
    // output; neither is started.
    WriteFileAtomic(dir / "odd_", {1, 2, 3});
    EXPECT_THROW(RunCompress({dir / "odd_"}), Error);
    fs::create_directory(dir / "a");
    WriteFileAtomic(dir / "a/F1.TXT", {1});
    EXPECT_THROW(RunCompress({inputs[1], dir / "a/F1.TXT", "-o", dir / "clash"}), Error);
    EXPECT_FALSE(fs::exists(dir / "clash"));
    for (const Arguments &bad : std::vector<Arguments>{{}, {"-j", "0", "x"}, {"-o"}, {"--bogus", "x"}})
        EXPECT_THROW(RunCompress(bad), Error);
}
