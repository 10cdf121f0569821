// setupkit pack onto a CD-ROM (level-1 names, AUTORUN.INF, the ISO image),
// and what pack may read and replace: product paths that lead out of the
// product folder or to no regular file, and output folders that hold
// anything pack did not make.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "tools/setupkit/cdrom.h"
#include "tools/setupkit/check_authoring.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/layout.h"
#include "tools/setupkit/pack.h"
#include "pack_files.h"
#include "tools/setupkit/pack_list.h"

using namespace setupkit;
using namespace pack_files;
namespace fs = std::filesystem;

namespace {


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

// Every file and folder below dir with its bytes (folders: empty), by path.
std::map<std::string, Bytes> Snapshot(const std::string &dir)
{
    std::map<std::string, Bytes> tree;
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
        std::string name = fs::relative(entry.path(), dir).string();
        if (entry.is_symlink())
            tree[name + " -> " + fs::read_symlink(entry.path()).string()];
        else if (entry.is_regular_file())
            tree[name] = ReadFileBytes(entry.path().string());
        else
            tree[name + "/"];
    }
    return tree;
}

struct Workspace {
    std::string Dir;
    Workspace()
    {
        Dir = testing::TempDir() + "media-" + std::to_string(getpid()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(Dir);
        fs::create_directories(Dir + "/product");
        Write(Dir + "/SETUP.EXE", Random(30000, 7));
    }
    ~Workspace()
    {
        std::error_code ignored;
        fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(Dir, ignored);
    }
    PackOptions Options(const std::string &authoring)
    {
        Write(Dir + "/setup.auth", authoring);
        PackOptions options;
        options.AuthoringPath = Dir + "/setup.auth";
        options.ProductDir = Dir + "/product";
        options.OutDir = Dir + "/out";
        options.SetupExe = Dir + "/SETUP.EXE";
        options.FixedTime = 1000000000;
        return options;
    }
};

std::string PackError(const PackOptions &options)
{
    try {
        Pack(options);
    } catch (const Error &error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(CdNames, LevelOneNamesAndLabels)
{
    const std::pair<const char *, const char *> names[] = {
        {"README.TX_", "README.TX_"},
        {"readme.tx_", "README.TX_"},
        {"LONGER FILE NAME.TX_", "LONGER_F.TX_"},
        {"a.b.c", "A_B.C"},
        {"DISK1", "DISK1"},
        {"ÜBER.DAT", "__BER.DAT"},  // two bytes of UTF-8, one '_' each
        {".PROFILE", "_.PRO"},
        {"NAME.", "NAME"},
        {"x-y~z.html", "X_Y_Z.HTM"},
    };
    for (const auto &[name, expected] : names) EXPECT_EQ(IsoLevel1Name(name), expected) << name;

    const std::pair<const char *, const char *> labels[] = {
        {"Demo Product", "DEMO_PRODUCT"},
        {"", "SETUP"},
        {"***", "SETUP"},
        {"Setup 2.0 (final)", "SETUP_2_0__FINAL"},
        {"An Extremely Long Product Title For A Disc", "AN_EXTREMELY_LONG_PRODUCT_TITLE"},
    };
    for (const auto &[title, expected] : labels) EXPECT_EQ(IsoVolumeLabel(title), expected) << title;
}

TEST(CdNames, UniqueNamesKeepToLevelOne)
{
    struct Case {
        const char *Wanted;
        const char *Floppy;
        const char *Cd;
    };
    // In order, into one set of names each.
    const Case cases[] = {
        {"README.TX_", "README.TX_", "README.TX_"},
        {"readme.tx_", "readme~1.tx_", "README_1.TX_"},
        {"README.TX_", "README~2.TX_", "README_2.TX_"},
        {"AUTORUN.INF", "AUTORUN.INF", "AUTORU_1.INF"},
        {"long name one.tx_", "long name one.tx_", "LONG_NAM.TX_"},
        {"long name two.tx_", "long name two.tx_", "LONG_N_1.TX_"},
        {"Disk1", "Disk1~1", "DISK1_1"},
    };
    DiskNames floppy, cd(DiskNameRule::IsoLevel1);
    for (const Case &c : cases) {
        EXPECT_EQ(floppy.Unique(c.Wanted), c.Floppy) << c.Wanted;
        std::string name = cd.Unique(c.Wanted);
        EXPECT_EQ(name, c.Cd) << c.Wanted;
        EXPECT_EQ(IsoLevel1Name(name), name) << c.Wanted << ": not a level-1 name";
    }
}

TEST(CdNames, SizesAndRoom)
{
    EXPECT_EQ(ParseCdSize("74min") * CdSectorBytes, 681984000u);
    EXPECT_EQ(ParseCdSize("80min") * CdSectorBytes, 737280000u);
    for (const char *bad : {"", "1.44M", "74", "90min", "700M"})
        EXPECT_THROW(ParseCdSize(bad), Error) << bad;
    // The file system takes more room with more files, never more than 1%.
    DiskGeometry few = CdGeometry(333000, 10), many = CdGeometry(333000, 5000);
    EXPECT_EQ(few.ClusterBytes(), (uint64_t)CdSectorBytes);
    EXPECT_GT(few.Clusters, many.Clusters);
    EXPECT_GT(many.Clusters, 333000u * 99 / 100);
    // One file more than the room left goes to a second disc (an error for pack).
    LayoutItem first{"first", {1000}, {"SETUP.EXE"}, false};
    DiskGeometry small = CdGeometry(400, 2);
    uint64_t room = (small.Clusters - 1) * CdSectorBytes;
    EXPECT_EQ(LayOutDisks({{"fits", {room}, {"A.DA_"}, false}}, first, small), std::vector<int>{1});
    EXPECT_EQ(LayOutDisks({{"fits", {room}, {"A.DA_"}, false}, {"over", {1}, {"B.DA_"}, false}},
                          first, small),
              (std::vector<int>{1, 2}));
}

TEST(CdNames, Autorun)
{
    EXPECT_EQ(AutorunText("Demo Product"),
              "[autorun]\r\nopen=SETUP.EXE\r\nicon=SETUP.EXE,0\r\nlabel=Demo Product\r\n");
    EXPECT_EQ(AutorunText(""), "[autorun]\r\nopen=SETUP.EXE\r\nicon=SETUP.EXE,0\r\n");
}

// More than a 2.88M floppy holds goes onto one disc: one [Disk1], no
// "newdisk", level-1 names; the image holds exactly the disc's files and
// comes out the same twice.
TEST(PackCd, OneDiscAndItsImage)
{
    bool haveXorriso = system("command -v xorriso >/dev/null 2>&1") == 0;
    Workspace work;
    Write(work.Dir + "/product/big one.bin", Random(2000000, 1));
    Write(work.Dir + "/product/big two.bin", Random(2000000, 2));
    Write(work.Dir + "/product/readme.txt", std::string(5000, 'r'));
    PackOptions options = work.Options(
        "[Title]\nDlgTitle=Disc Product\n[Files]\n3,big one.bin,one.bin\nnewdisk\n"
        "3,big two.bin,two.bin\n3,readme.txt,readme.txt\n");
    options.Media = PackOptions::Cd;
    options.Images = haveXorriso;
    PackResult result = Pack(options);
    ASSERT_EQ(result.Disks.size(), 1u);
    EXPECT_EQ(result.DiskSize, "74min");
    ASSERT_EQ(result.Warnings.size(), 1u);
    EXPECT_NE(result.Warnings[0].find("setup.auth:6: warning: the \"newdisk\""), std::string::npos)
        << result.Warnings[0];
    // The random files do not compress: stored as they are, under level-1 names too.
    std::vector<std::string> expected = {"SETUP.EXE", "SETUP.IN_",  "AUTORUN.INF", "DISK1",
                                         "BIG_ONE.BIN", "BIG_TWO.BIN", "README.TX_"};
    EXPECT_EQ(result.Disks[0].Files, expected);
    std::string script = Read(work.Dir + "/out/setup.inf");
    for (const char *line : {"NumberDisk=1\r\n", "[Disk1]\r\n", "file1=3,BIG_ONE.BIN,one.bin\r\n",
                             "file2=3,BIG_TWO.BIN,two.bin\r\n"})
        EXPECT_NE(script.find(line), std::string::npos) << line << script;
    EXPECT_EQ(script.find("[Disk2]"), std::string::npos);
    EXPECT_NE(Read(work.Dir + "/out/disk1/AUTORUN.INF").find("\r\nopen=SETUP.EXE\r\n"), std::string::npos);

    if (!haveXorriso) GTEST_SKIP() << "no xorriso: the image is not checked";
    std::string image = work.Dir + "/out/disk1.iso";
    std::string listing = Capture("xorriso -indev '" + image + "' -ls / 2>/dev/null");
    std::vector<std::string> listed;
    for (size_t at = 0; (at = listing.find('\'', at)) != std::string::npos;) {
        size_t end = listing.find('\'', at + 1);
        listed.push_back(listing.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected) << listing;
    std::string info = Capture("xorriso -indev '" + image + "' -pvd_info 2>/dev/null");
    EXPECT_NE(info.find("Volume Id    : DISC_PRODUCT"), std::string::npos) << info;
    EXPECT_NE(info.find("Creation Time: 2001090901464000"), std::string::npos) << info;
    // A file read back from the image is the disc's.
    std::string copy = work.Dir + "/readme.tx_";
    Capture("xorriso -osirrox on -indev '" + image + "' -extract /README.TX_ '" + copy + "' 2>&1");
    EXPECT_TRUE(ReadFileBytes(copy) == ReadFileBytes(work.Dir + "/out/disk1/README.TX_"));

    std::map<std::string, Bytes> once = Snapshot(work.Dir + "/out");
    sleep(1);  // a clock that leaked into the image would show
    Pack(options);
    EXPECT_TRUE(once == Snapshot(work.Dir + "/out")) << "two runs differ";
    options.Media = PackOptions::Floppy;  // floppies are as they were
    options.Images = false;
    EXPECT_NE(PackError(options).find("more than one disk holds"), std::string::npos);
}

TEST(PackCd, SizeOptions)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", std::string(10, 'a'));
    PackOptions options = work.Options("[Title]\nDlgTitle=A\n[Files]\n3,a.txt,a.txt\n");
    options.Media = PackOptions::Cd;
    options.DiskSize = "80min";
    EXPECT_EQ(Pack(options).DiskSize, "80min");
    options.DiskSize = "1.44M";
    EXPECT_NE(PackError(options).find("74min"), std::string::npos);
}

// Product paths that are not regular files inside the product folder are
// refused at their line, and the output folder is left as it was.
TEST(PackInputs, StayInsideTheProductFolder)
{
    Workspace work;
    Write(work.Dir + "/secret/id_rsa", std::string("PRIVATE KEY"));
    Write(work.Dir + "/product/docs/guide.txt", std::string("guide"));
    Write(work.Dir + "/product/a.txt", std::string("a"));
    fs::create_symlink(work.Dir + "/secret", work.Dir + "/product/keys");
    fs::create_symlink(work.Dir + "/secret/id_rsa", work.Dir + "/product/key.txt");
    fs::create_symlink("docs/guide.txt", work.Dir + "/product/guide-link.txt");
    fs::create_symlink("nowhere", work.Dir + "/product/dangling.txt");
    ASSERT_EQ(mkfifo((work.Dir + "/product/pipe.txt").c_str(), 0644), 0);
    // A first good pack, which the failures must leave as it is.
    ASSERT_NO_THROW(Pack(work.Options("[Title]\n[Files]\n3,a.txt,a.txt\n3,guide-link.txt,g.txt\n")));
    std::map<std::string, Bytes> before = Snapshot(work.Dir);

    struct Case {
        const char *Path;
        const char *Message;  // after "setup.auth:4: "
    };
    const Case cases[] = {
        {"keys/id_rsa", "leads out of the product folder"},
        {"key.txt", "leads out of the product folder"},
        {"docs", "is not a regular file"},
        {"pipe.txt", "is not a regular file"},
        {"dangling.txt", "no product file"},
        {"missing.txt", "no product file"},
    };
    for (const Case &c : cases) {
        std::string authoring = "[Title]\n[Files]\n3,a.txt,a.txt\n3," + std::string(c.Path) + ",x.txt\n";
        std::string message = PackError(work.Options(authoring));
        EXPECT_NE(message.find("setup.auth:4: "), std::string::npos) << c.Path << ": " << message;
        EXPECT_NE(message.find(c.Message), std::string::npos) << c.Path << ": " << message;
        Write(work.Dir + "/setup.auth", "[Title]\n[Files]\n3,a.txt,a.txt\n3,guide-link.txt,g.txt\n");
        EXPECT_TRUE(before == Snapshot(work.Dir)) << c.Path << ": something changed";
    }
}

TEST(PackList, ForeignEntries)
{
    using E = TreeEntry;
    const std::string list = "# made by pack\ndisk1/\ndisk1/SETUP.EXE\nsetup.inf\r\npack-list.txt\n";
    struct Case {
        const char *Name;
        std::vector<TreeEntry> Entries;
        std::string List;
        const char *Foreign;
    };
    const Case cases[] = {
        {"all listed", {{"disk1", E::Folder}, {"disk1/SETUP.EXE", E::File}, {"setup.inf", E::File}}, list, ""},
        {"fewer than listed", {{"setup.inf", E::File}}, list, ""},
        {"a file of its own", {{"disk1", E::Folder}, {"disk1/NOTES.TXT", E::File}}, list, "disk1/NOTES.TXT"},
        {"a folder where a file was", {{"setup.inf", E::Folder}}, list, "setup.inf"},
        {"a file where a folder was", {{"disk1", E::File}}, list, "disk1"},
        {"a link with a listed name", {{"setup.inf", E::Other}}, list, "setup.inf"},
        {"no list", {{"disk1", E::Folder}}, "", "disk1"},
        {"the comment is no name", {{"# made by pack", E::File}}, list, "# made by pack"},
    };
    for (const Case &c : cases) EXPECT_EQ(FirstForeignEntry(c.Entries, c.List), c.Foreign) << c.Name;
}

// An output folder is replaced only while it holds what its list names.
TEST(PackList, ForeignOutputIsRefusedAndKept)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", std::string(100, 'a'));
    PackOptions options = work.Options("[Title]\n[Files]\n3,a.txt,a.txt\n");
    const std::string out = work.Dir + "/out";

    struct Case {
        const char *Name;
        void (*Arrange)(const std::string &out);
        const char *Named;  // in the message; empty: replaced
    };
    const Case cases[] = {
        {"absent", [](const std::string &out) { fs::remove_all(out); }, ""},
        {"empty",
         [](const std::string &out) {
             fs::remove_all(out);
             fs::create_directories(out);
         },
         ""},
        {"pack's own", [](const std::string &) {}, ""},
        {"pack's own, a disk folder missing",
         [](const std::string &out) { fs::remove_all(out + "/disk1"); }, ""},
        {"the vendor's disk1/ without a list",
         [](const std::string &out) {
             fs::remove_all(out);
             Write(out + "/disk1/MYAPP.EXE", std::string("vendor's"));
         },
         "'disk1'"},
        {"a file added to pack's disk1/",
         [](const std::string &out) { Write(out + "/disk1/NOTES.TXT", std::string("mine")); },
         "'disk1/NOTES.TXT'"},
        {"a link in pack's disk1/",
         [](const std::string &out) { fs::create_symlink("/etc", out + "/disk1/etc"); }, "'disk1/etc'"},
        {"a file instead of the folder",
         [](const std::string &out) {
             fs::remove_all(out);
             Write(out, std::string("a file"));
         },
         "not a directory"},
    };
    for (const Case &c : cases) {
        fs::remove_all(out);
        ASSERT_NO_THROW(Pack(options));  // pack's own output to begin with
        c.Arrange(out);
        std::map<std::string, Bytes> before = fs::is_directory(out) ? Snapshot(out) : std::map<std::string, Bytes>();
        std::string message = PackError(options);
        if (!*c.Named) {
            EXPECT_EQ(message, "") << c.Name;
            EXPECT_TRUE(fs::exists(out + "/disk1/A.TX_")) << c.Name;
        } else {
            EXPECT_NE(message.find(c.Named), std::string::npos) << c.Name << ": " << message;
            if (fs::is_directory(out)) EXPECT_TRUE(before == Snapshot(out)) << c.Name << ": changed";
        }
        // Nothing left beside it either.
        for (const auto &entry : fs::directory_iterator(work.Dir))
            EXPECT_EQ(entry.path().filename().string().find("out.tmp"), std::string::npos)
                << c.Name << ": " << entry.path();
    }

    // A link given as -o is refused: the folder behind it stays.
    fs::remove_all(out);
    Write(work.Dir + "/elsewhere/keep.txt", std::string("keep"));
    fs::create_symlink(work.Dir + "/elsewhere", out);
    EXPECT_NE(PackError(options).find("symbolic link"), std::string::npos);
    EXPECT_TRUE(fs::exists(work.Dir + "/elsewhere/keep.txt"));
}

// An unreadable folder is refused, never taken for empty (not testable as
// root, who reads every folder).
TEST(PackList, UnreadableOutputIsRefused)
{
    if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    Workspace work;
    Write(work.Dir + "/product/a.txt", std::string(100, 'a'));
    PackOptions options = work.Options("[Title]\n[Files]\n3,a.txt,a.txt\n");
    Write(work.Dir + "/out/locked/inside.txt", std::string("x"));
    fs::permissions(work.Dir + "/out/locked", fs::perms::none);
    std::string message = PackError(options);
    fs::permissions(work.Dir + "/out/locked", fs::perms::owner_all);
    EXPECT_NE(message.find("locked: cannot read it"), std::string::npos) << message;
    EXPECT_TRUE(fs::exists(work.Dir + "/out/locked/inside.txt"));
}

// SETUP.EXE reads at most 10000 entries of a disk: a disc with more gives
// them to further disk sections, whose tags stand in its one folder, and
// check on the authoring file finds nothing to report.
TEST(PackCd, MoreEntriesThanADiskSectionHoldsGoToTheNext)
{
    Workspace work;
    std::string authoring = "[Title]\nDlgTitle=Many\n[Files]\n";
    for (int n = 1; n <= 12000; ++n) {
        Write(work.Dir + "/product/f/" + std::to_string(n) + ".txt", std::to_string(n));
        authoring += "3,f/" + std::to_string(n) + ".txt,f" + std::to_string(n) + ".txt\n";
    }
    PackOptions options = work.Options(authoring);
    options.Media = PackOptions::Cd;
    PackResult result = Pack(options);
    ASSERT_EQ(result.Disks.size(), 1u);
    EXPECT_TRUE(result.Warnings.empty()) << result.Warnings[0];
    EXPECT_EQ(result.Disks[0].Files.size(), 12005u);  // SETUP.EXE, the script, AUTORUN.INF, two tags
    std::string script = Read(work.Dir + "/out/setup.inf");
    for (const char *text : {"NumberDisk=2\r\n", "[Disk1]\r\nNumberFiles=10000\r\n",
                             "file10000=3,10000.TXT,f10000.txt\r\n",
                             "[Disk2]\r\nNumberFiles=2000\r\n", "file2000=3,12000.TXT,f12000.txt\r\n"})
        EXPECT_NE(script.find(text), std::string::npos) << text;
    EXPECT_EQ(script.find("[Disk3]"), std::string::npos);
    for (const char *file : {"DISK1", "DISK2", "1.TXT", "12000.TXT"})
        EXPECT_TRUE(fs::exists(work.Dir + "/out/disk1/" + file)) << file;
    EXPECT_FALSE(fs::exists(work.Dir + "/out/disk2"));
    EXPECT_TRUE(CheckAuthoring(authoring, "a", work.Dir + "/product").empty());
}
