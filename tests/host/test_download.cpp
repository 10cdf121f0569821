// The download form: what setupkit appends to the stub and what the stub
// reads back (core/download_format), signed or not, whole or damaged.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "core/download_format.h"
#include "tools/setupkit/download.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/pack.h"
#include "pack_files.h"

using namespace setupkit;
using namespace pack_files;
namespace fs = std::filesystem;

namespace {

enum { PeHeaderAt = 0x80, StubSize = 6000, SecurityDirectoryAt = PeHeaderAt + 24 + 96 + 4 * 8 };

// A stub with the headers the stub reads: MZ, PE, a PE32 optional header
// with 16 directories, no certificate table yet.
Bytes FakeStub()
{
    Bytes stub = Random(StubSize, 7);
    std::fill(stub.begin(), stub.begin() + 0x200, 0);
    stub[0] = 'M', stub[1] = 'Z';
    WriteLittle32(&stub[0x3C], PeHeaderAt);
    stub[PeHeaderAt] = 'P', stub[PeHeaderAt + 1] = 'E';
    stub[PeHeaderAt + 24] = 0x0B, stub[PeHeaderAt + 25] = 0x01;
    WriteLittle32(&stub[PeHeaderAt + 24 + 92], 16);
    return stub;
}

// What the stub does before it writes anything: the end of the signed
// content, the trailer, the CRC. Empty when the download is refused.
struct Found {
    bool Ok = false;
    DownloadTrailer Trailer{};
};

Found Locate(const Bytes &file)
{
    Found found;
    unsigned long end;
    size_t headerBytes = std::min<size_t>(file.size(), DownloadHeaderBytes);
    if (!SignedContentEnd(file.data(), headerBytes, file.size(), &end)) return found;
    size_t tail = std::min<size_t>(end, DownloadTrailerSize + DownloadAlignment - 1);
    long at = FindDownloadTrailer(file.data() + end - tail, tail);
    if (at < 0) return found;
    const unsigned char *trailer = file.data() + end - tail + at;
    ReadDownloadTrailer(trailer, &found.Trailer);
    const DownloadTrailer &t = found.Trailer;
    if (t.PayloadOffset > (size_t)(trailer - file.data()) ||
        (size_t)(trailer - file.data()) - t.PayloadOffset != t.PayloadLength)
        return found;
    unsigned long crc = UpdateCrc32(Crc32Start, file.data() + t.PayloadOffset, t.PayloadLength);
    found.Ok = DownloadTrailerCrc(crc, trailer) == t.Crc;
    return found;
}

// The entries as the stub walks them: name and data.
std::vector<std::pair<std::string, Bytes>> Entries(const Bytes &file, const DownloadTrailer &t)
{
    std::vector<std::pair<std::string, Bytes>> entries;
    size_t at = t.PayloadOffset;
    for (unsigned long n = 0; n < t.FileCount; ++n) {
        unsigned long size = ReadLittle32(&file[at]);
        std::string name(file.begin() + at + 5, file.begin() + at + 5 + file[at + 4]);
        at += 5 + name.size();
        entries.push_back({name, Bytes(file.begin() + at, file.begin() + at + size)});
        at += size;
    }
    EXPECT_LT(t.PayloadOffset + t.PayloadLength - at, (size_t)DownloadAlignment);
    return entries;
}

// An Authenticode table appended as a signer does: its offset and size in
// the security directory, after padding to 8 bytes.
Bytes Signed(Bytes file, size_t padding)
{
    file.insert(file.end(), padding, 0);
    size_t table = file.size();
    Bytes certificate = Random(1208, 9);
    file.insert(file.end(), certificate.begin(), certificate.end());
    WriteLittle32(&file[SecurityDirectoryAt], table);
    WriteLittle32(&file[SecurityDirectoryAt + 4], certificate.size());
    return file;
}

}  // namespace

TEST(Download, WholeDownloadsAreFoundSignedOrNot)
{
    const Bytes setup = Random(3001, 1), script = Random(77, 2), empty;
    const Bytes stub = FakeStub();
    const Bytes download = BuildDownload(stub, {{"SETUP.EXE", &setup}, {"SETUP.IN_", &script},
                                                {"DISK1", &empty}});
    EXPECT_EQ(download.size() % DownloadAlignment, 0u);
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), download.begin()));
    const struct {
        const char *Name;
        Bytes File;
    } cases[] = {
        {"unsigned", download},
        {"signed", Signed(download, 0)},
        {"signed after a signer's padding", Signed(download, 4)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Found found = Locate(c.File);
        ASSERT_TRUE(found.Ok);
        EXPECT_EQ(found.Trailer.PayloadOffset, stub.size());
        auto entries = Entries(c.File, found.Trailer);
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[0].first, "SETUP.EXE");
        EXPECT_EQ(entries[0].second, setup);
        EXPECT_EQ(entries[1].second, script);
        EXPECT_EQ(entries[2].first, "DISK1");
        EXPECT_TRUE(entries[2].second.empty());
    }
}

TEST(Download, DamagedDownloadsAreRefused)
{
    const Bytes setup = Random(40000, 1);
    const Bytes download = BuildDownload(FakeStub(), {{"SETUP.EXE", &setup}});
    const Bytes signedDownload = Signed(download, 0);
    auto cut = [](Bytes file, size_t bytes) {
        file.resize(file.size() - bytes);
        return file;
    };
    auto flipped = [](Bytes file, size_t at) {
        file[at] ^= 0x20;
        return file;
    };
    const struct {
        const char *Name;
        Bytes File;
    } cases[] = {
        {"cut by a byte", cut(download, 1)},
        {"cut in half", cut(download, download.size() / 2)},
        {"cut to the stub", cut(download, download.size() - StubSize)},
        {"signed, cut in the signature", cut(signedDownload, 100)},
        {"signed, cut in the product", cut(signedDownload, 20000)},
        {"a byte of the product changed", flipped(download, StubSize + 20000)},
        {"an entry's size changed", flipped(download, StubSize)},
        {"the trailer's offset changed", flipped(download, download.size() - 16)},
        {"the trailer's count changed", flipped(download, download.size() - 8)},
        {"signed, a byte of the product changed", flipped(signedDownload, StubSize + 20000)},
        {"no download at all", FakeStub()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_FALSE(Locate(c.File).Ok);
    }
}

TEST(Download, EntryNames)
{
    const struct {
        const char *Name;
        bool Taken;
    } cases[] = {
        {"SETUP.EXE", true}, {"DISK1", true},      {"README_1.TX_", true}, {"ABCDEFGH.IJK", true},
        {"COM0", false},     {"CONX.TXT", true},   {"LPT10", true},        {"", false},
        {"setup.exe", false}, {"ABCDEFGHI", false}, {"A.ABCD", false},     {"A.B.C", false},
        {".EXE", false},     {"A.", false},        {"..\\SETUP.EXE", false}, {"A/B", false},
        {"C:X", false},      {"CON", false},       {"NUL.TX_", false},     {"COM1", false},
        {"LPT9.INF", false}, {"AUX", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsDownloadName(c.Name, strlen(c.Name)), c.Taken) << c.Name;
    const Bytes data = Random(10, 3);
    EXPECT_THROW(BuildDownload(FakeStub(), {{"CON.TX_", &data}}), Error);
}

TEST(Download, FileNames)
{
    const struct {
        const char *Title, *Given, *Name;  // Name null: refused
    } cases[] = {
        {"Demo Product", "", "Demo_Product.exe"},
        {"Demo Product 2.0 (beta)", "", "Demo_Product_2.0_beta.exe"},
        {"\xc3\x9cnic\xc3\xb6" "de App!", "", "nic_de_App.exe"},
        {"...", "", "setup.exe"},
        {"", "", "setup.exe"},
        {"Con", "", "setup.exe"},
        {"Demo", "Demo Setup", "Demo Setup.exe"},
        {"Demo", "demo.EXE", "demo.EXE"},
        {"Demo", "a/b", nullptr},
        {"Demo", "a\\b", nullptr},
        {"Demo", "what?", nullptr},
        {"Demo", "name.", nullptr},
        {"Demo", "nul.exe", nullptr},
        {"Demo", "tab\there", nullptr},
        {"Demo", "\xc3\x9c", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.Title) + " / " + c.Given);
        if (c.Name)
            EXPECT_EQ(DownloadFileName(c.Title, c.Given), c.Name);
        else
            EXPECT_THROW(DownloadFileName(c.Title, c.Given), Error);
    }
}

// pack --media web: the program, the script and the pack list, nothing
// else; the download holds the disc's folder without AUTORUN.INF.
TEST(Download, PackWritesOneProgram)
{
    const std::string dir = testing::TempDir() + "download-" + std::to_string(getpid());
    fs::remove_all(dir);
    // Texts that compress: the download holds them as the disks would.
    std::string readme, longer;
    for (int i = 0; i < 40; ++i) readme += "read me, line " + std::to_string(i) + "\n";
    for (int i = 0; i < 40; ++i) longer += "a longer name, line " + std::to_string(i) + "\n";
    Write(dir + "/product/readme.txt", readme);
    Write(dir + "/product/longer name.txt", longer);
    Write(dir + "/SETUP.EXE", Random(5000, 1));
    Write(dir + "/WEBSTUB.EXE", FakeStub());
    Write(dir + "/setup.auth", std::string("[Title]\nDlgTitle=Web App\n[Files]\n3,readme.txt,readme.txt\n"
                                           "newdisk\n3,longer name.txt,longer.txt\n"));
    PackOptions options;
    options.AuthoringPath = dir + "/setup.auth";
    options.ProductDir = dir + "/product";
    options.OutDir = dir + "/out";
    options.Media = PackOptions::Web;
    options.SetupExe = dir + "/SETUP.EXE";
    options.StubExe = dir + "/WEBSTUB.EXE";
    options.FixedTime = 1000000000;
    PackResult result = Pack(options);
    EXPECT_EQ(result.Download, "Web_App.exe");
    std::vector<std::string> written;
    for (const auto &entry : fs::directory_iterator(dir + "/out"))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"Web_App.exe", "pack-list.txt", "setup.inf"}));
    Bytes download = ReadFileBytes(dir + "/out/Web_App.exe");
    EXPECT_EQ(download.size(), result.DownloadBytes);
    Found found = Locate(download);
    ASSERT_TRUE(found.Ok);
    std::vector<std::string> names;
    for (const auto &entry : Entries(download, found.Trailer)) names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"SETUP.EXE", "SETUP.IN_", "DISK1", "README.TX_",
                                               "LONGER_N.TX_"}));
    EXPECT_EQ(result.Warnings.size(), 1u);  // the ignored newdisk

    options.DiskSize = "1.44M";
    EXPECT_THROW(Pack(options), Error);
    fs::remove_all(dir);
}
