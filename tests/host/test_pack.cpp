// setupkit pack end to end: SizeInst, the script, reproducibility, images.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "core/crc32.h"
#include "tools/setupkit/check.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/pack.h"
#include "pack_files.h"

using namespace setupkit;
using namespace pack_files;
namespace fs = std::filesystem;

namespace {

Bytes Text(size_t size, char fill)
{
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = (uint8_t)(i % 61 == 60 ? '\n' : fill + i % 7);
    return data;
}


// A scratch folder with a product, an authoring file and a dummy SETUP.EXE.
struct Workspace : PackWorkspace {
    Workspace() : PackWorkspace("pack-", 40000) {}
    std::string Script() const
    {
        Bytes data = ReadFileBytes(Dir + "/out/setup.inf");
        return std::string(data.begin(), data.end());
    }
};

// Every regular file below dir, by relative path.
std::map<std::string, Bytes> Tree(const std::string &dir)
{
    std::map<std::string, Bytes> files;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).string()] = ReadFileBytes(entry.path().string());
    return files;
}

// check's findings, one a line.
std::string Describe(const std::vector<Diagnostic> &found)
{
    std::string text;
    for (const Diagnostic &d : found) text += FormatDiagnostic("setup.inf", d) + "\n";
    return text;
}

std::string Capture(const std::string &command)
{
    std::string output;
    FILE *pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t got;
    while (pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    if (pipe) pclose(pipe);
    return output;
}

}  // namespace

TEST(Pack, FileLargerThanADiskIsAnErrorThatNamesIt)
{
    Workspace work;
    Write(work.Dir + "/product/big.bin", Random(400000, 2));
    PackOptions options = work.Options("[Title]\nDlgTitle=Big\n[Files]\n3,big.bin,big.bin\n", "360K");
    try {
        Pack(options);
        FAIL() << "packed a file larger than a disk";
    } catch (const Error &error) {
        EXPECT_NE(std::string(error.what()).find("big.bin"), std::string::npos) << error.what();
    }
    // Nothing half-written: no output and no temporary folder.
    for (const auto &entry : fs::directory_iterator(work.Dir))
        EXPECT_EQ(entry.path().filename().string().find("out"), std::string::npos)
            << entry.path();
}

TEST(Pack, SizeInstAndTheScript)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", Text(3000, 'a'));
    Write(work.Dir + "/product/sub/b.txt", Text(2000, 'b'));
    Write(work.Dir + "/product/ru.txt", Text(700, 'r'));
    Write(work.Dir + "/product/en.txt", Text(900, 'e'));
    Write(work.Dir + "/product/lib.dll", Text(5000, 'l'));
    Write(work.Dir + "/product/raw.dat", Text(100, 'x'));
    Write(work.Dir + "/product/sys.drv", Text(9000, 's'));
    const std::string authoring =
        "[Title]\nDlgTitle=Example\nInstalDir=C:\\Example\n"
        "[SubDir]\ndocs\nDir=docs\\more\n"
        "[Files]\n"
        "3,a.txt,a.txt\n"
        "3,sub/b.txt,docs\\b.txt\n"
        "6,ru.txt,en.txt,lang.txt\n"
        "4,lib.dll,lib.tmp\n"
        "5,lib.tmp,lib.dll\n"
        "4,raw.dat,raw.dat\n"
        "2,sys.drv,sys.drv\n";
    PackOptions options = work.Options(authoring);
    options.MarginKb = 3;
    PackResult result = Pack(options);
    // 3000 + 2000 + 900 (type 6: the larger) + 5000 = 10900 bytes: 11 KB, + 3.
    EXPECT_EQ(result.SizeInst, 14u);
    std::string script = work.Script();
    for (const char *line : {"SizeInst=14\r\n", "NumberDisk=1\r\n", "NumberDirs=2\r\n",
                             "Dir2=docs\\more\r\n", "NumberFiles=7\r\n", "file1=3,A.TX_,a.txt\r\n",
                             "file3=6,RU.TX_,EN.TX_,lang.txt\r\n", "file4=4,LIB.DL_,lib.tmp\r\n",
                             "file5=5,lib.tmp,lib.dll\r\n", "file6=4,RAW.DAT,raw.dat\r\n"})
        EXPECT_NE(script.find(line), std::string::npos) << line << "\n" << script;
    // [Check1]: each expanded file's size and CRC-32 under its entry's key;
    // type 6 one pair per source, type 5 the staged file's, none for a copy.
    auto pair = [](const Bytes &content) {
        char text[32];
        snprintf(text, sizeof text, "%zu,%08lx", content.size(),
                 UpdateCrc32(Crc32Start, content.data(), content.size()));
        return std::string(text);
    };
    for (const std::string &line :
         {"[Check1]\r\nfile1=" + pair(Text(3000, 'a')) + "\r\nfile2=" + pair(Text(2000, 'b')) +
              "\r\nfile3=" + pair(Text(700, 'r')) + "," + pair(Text(900, 'e')) +
              "\r\nfile5=" + pair(Text(5000, 'l')) + "\r\nfile7=" + pair(Text(9000, 's')) + "\r\n"})
        EXPECT_NE(script.find(line), std::string::npos) << line << "\n" << script;
    // The staged file nothing expands is stored as it is.
    EXPECT_EQ(ReadFileBytes(work.Dir + "/out/disk1/RAW.DAT"), Text(100, 'x'));
    EXPECT_EQ(ReadFileBytes(work.Dir + "/out/disk1/LIB.DL_").size() > 0u, true);

    // An explicit SizeInst below what the files need is an error at its line.
    PackOptions small = work.Options("[Title]\nSizeInst=10\n" + authoring.substr(8));
    try {
        Pack(small);
        FAIL() << "accepted a SizeInst too small";
    } catch (const Error &error) {
        EXPECT_NE(std::string(error.what()).find("setup.auth:2:"), std::string::npos)
            << error.what();
    }
    PackOptions enough = work.Options("[Title]\nSizeInst=11\n" + authoring.substr(8));
    EXPECT_EQ(Pack(enough).SizeInst, 11u);
}

// check, reading the disks pack made, finds the SizeInst pack wrote just
// enough: a kilobyte less is an error naming the same need.
TEST(Pack, CheckAgreesWithTheSizeInstPackWrites)
{
    Workspace work;
    Write(work.Dir + "/product/small.txt", Text(3000, 's'));  // 3 KB
    Write(work.Dir + "/product/big.bin", Text(9000, 'b'));    // 9 KB
    struct {
        const char *What;
        const char *Files;
        uint64_t Kilobytes;
    } cases[] = {
        {"type 3", "3,small.txt,a.txt\n", 3},
        {"types 1, 2 and 4 do not count",
         "1,big.bin,w.bin\n2,big.bin,s.bin\n4,big.bin,t.bin\n3,small.txt,a.txt\n", 3},
        {"type 5: the type-4 file it expands", "4,big.bin,big.tmp\n5,big.tmp,big.bin\n", 9},
        {"type 5: the latest staging before it, in any case",
         "4,small.txt,x.tmp\n4,big.bin,x.tmp\n5,X.TMP,x.bin\n4,small.txt,x.tmp\n", 9},
        {"type 6: the larger source first", "6,big.bin,small.txt,l.bin\n", 9},
        {"type 6: the larger source second", "6,small.txt,big.bin,l.bin\n", 9},
        {"all together",
         "3,small.txt,a.txt\n6,small.txt,big.bin,l.bin\n4,big.bin,t\n5,t,t.bin\n"
         "2,big.bin,s.bin\n",
         21},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        PackResult result = Pack(work.Options(std::string("[Title]\nDlgTitle=Sizes\n[Files]\n") + c.Files));
        EXPECT_EQ(result.SizeInst, c.Kilobytes);
        std::string script = work.Script();
        EXPECT_EQ(Describe(CheckScript(script, work.Dir + "/out")), "");
        std::string given = "SizeInst=" + std::to_string(c.Kilobytes) + "\r\n";
        size_t at = script.find(given);
        ASSERT_NE(at, std::string::npos) << script;
        script.replace(at, given.size(), "SizeInst=" + std::to_string(c.Kilobytes - 1) + "\r\n");
        EXPECT_NE(Describe(CheckScript(script, work.Dir + "/out"))
                      .find("need " + std::to_string(c.Kilobytes) + " KB"),
                  std::string::npos);
    }
}

TEST(Pack, UninstallerEntries)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", Text(100, 'a'));
    Write(work.Dir + "/UNINST.EXE", Text(3000, 'u'));  // compressible, so stored compressed
    PackOptions options = work.Options(
        "[Title]\nDlgTitle=My App\nDisplayVersion=2.0\n[Files]\n3,a.txt,a.txt\n"
        "[WinGroup]\nGroupTitle=My App\nitem=a.txt,A\n");
    options.Uninstaller = true;
    options.UninstExe = work.Dir + "/UNINST.EXE";
    Pack(options);
    std::string script = work.Script();
    const std::string key = "=2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My App\r\n";
    for (const std::string &line :
         {std::string("file2=3,UNINST.EX_,UNINST.EXE\r\n"), std::string("NumberReg=4\r\n"),
          "regKey1" + key,
          std::string("regVal1=DisplayName,My App\r\n"), "regKey2" + key,
          // The record's name: the CRC-32 of the title in lower case.
          std::string("regVal2=UninstallString,#s\\UNINST.EXE install-6777397a.rec\r\n"),
          std::string("regVal3=DisplayVersion,2.0\r\n"),
          std::string("regVal4=DisplayIcon,#s\\UNINST.EXE\r\n"), std::string("NumberItem=2\r\n"),
          std::string("item2=UNINST.EXE,Uninstall My App\r\n")})
        EXPECT_NE(script.find(line), std::string::npos) << line << "\n" << script;
    EXPECT_EQ(script.find("Publisher"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(work.Dir + "/out/disk1/UNINST.EX_"), CompressLz(Text(3000, 'u'), 'E'));
}

// DisplayIcon names a type-3 destination (any case) and is written as the
// authoring spells it; a name that is no type-3 destination fails at its line.
TEST(Pack, DisplayIconNamesAnInstalledProgram)
{
    const struct {
        const char *Given;
        const char *Written;  // null: refused
    } cases[] = {
        {"", "regVal3=DisplayIcon,#s\\UNINST.EXE\r\n"},
        {"DisplayIcon=BIN\\APP.EXE\n", "regVal3=DisplayIcon,#s\\bin\\app.exe\r\n"},
        {"DisplayIcon=a.txt\n", nullptr},  // a type-1 file: not in the install directory
        {"DisplayIcon=missing.exe\n", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Given);
        Workspace work;
        Write(work.Dir + "/product/a.txt", Text(100, 'a'));
        Write(work.Dir + "/product/app.exe", Random(500, 4));
        Write(work.Dir + "/UNINST.EXE", Random(3000, 3));
        PackOptions options = work.Options(std::string("[Title]\nDlgTitle=My App\n") + c.Given +
                                           "[SubDir]\nbin\n[Files]\n1,a.txt,a.txt\n"
                                           "3,app.exe,bin\\app.exe\n");
        options.Uninstaller = true;
        options.UninstExe = work.Dir + "/UNINST.EXE";
        if (!c.Written) {
            try {
                Pack(options);
                ADD_FAILURE() << "packed";
            } catch (const Error &error) {
                EXPECT_NE(std::string(error.what()).find("setup.auth:3: "), std::string::npos)
                    << error.what();
            }
            EXPECT_FALSE(fs::exists(work.Dir + "/out"));
            continue;
        }
        Pack(options);
        EXPECT_NE(work.Script().find(c.Written), std::string::npos) << work.Script();
    }
}

// Many small files on 360K floppies: the root directory, not the space,
// ends each disk; two runs give the same bytes; each image holds exactly
// its disk folder.
TEST(Pack, ImagesAreReproducibleAndHoldTheDisks)
{
    if (system("command -v mcopy >/dev/null 2>&1") != 0) GTEST_SKIP() << "no mtools";
    Workspace work;
    std::string files;
    for (int i = 0; i < 150; ++i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        Write(work.Dir + "/product/" + name, Text(50 + i, (char)('a' + i % 20)));
        files += "3," + name + "," + name + "\n";
    }
    Write(work.Dir + "/product/longer file name.txt", Text(20, 'z'));
    files += "3,longer file name.txt,longer file name.txt\n";
    PackOptions options = work.Options("[Title]\nDlgTitle=Many\n[Files]\n" + files, "360K");
    options.Images = true;
    PackResult first = Pack(options);
    ASSERT_EQ(first.Disks.size(), 2u);
    EXPECT_GT(first.Disks[0].FreeBytes, 200000u);  // full by its root directory
    std::map<std::string, Bytes> once = Tree(work.Dir + "/out");
    Pack(options);  // replaces its own output
    EXPECT_TRUE(once == Tree(work.Dir + "/out")) << "two runs differ";

    for (int disk = 1; disk <= 2; ++disk) {
        std::string image = work.Dir + "/out/disk" + std::to_string(disk) + ".img";
        std::string copy = work.Dir + "/readback" + std::to_string(disk);
        fs::create_directories(copy);
        ASSERT_EQ(system(("MTOOLS_SKIP_CHECK=1 mcopy -s -n -i '" + image + "' '::*' '" + copy + "/'")
                             .c_str()),
                  0);
        EXPECT_TRUE(Tree(copy) == Tree(work.Dir + "/out/disk" + std::to_string(disk)))
            << "image " << disk << " differs from its folder";
        EXPECT_NE(Capture("MTOOLS_SKIP_CHECK=1 mdir -i '" + image + "' ::").find("DISK" + std::to_string(disk)),
                  std::string::npos);
    }
}

TEST(Pack, RefusesToReplaceAForeignFolder)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", Text(10, 'a'));
    Write(work.Dir + "/out/notes.txt", std::string("mine"));
    EXPECT_THROW(Pack(work.Options("[Title]\n[Files]\n3,a.txt,a.txt\n")), Error);
    EXPECT_TRUE(fs::exists(work.Dir + "/out/notes.txt"));
}
