// The disk layout: which disk each file goes on, the names files take on
// the disks, and the SizeInst they need.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/install_size.h"
#include "tools/setupkit/layout.h"

using namespace setupkit;

TEST(Layout, DisksFillInOrderWithoutSplitting)
{
    DiskGeometry disk = ParseDiskSize("360K");  // 354 clusters of 1024, 112 root entries
    auto item = [](std::vector<uint64_t> sizes) {
        LayoutItem result;
        result.Label = "item";
        result.FileSizes = sizes;
        for (size_t i = 0; i < sizes.size(); ++i)
            result.FileNames.push_back("F" + std::to_string(i) + ".TX_");
        return result;
    };
    auto newDisk = [](LayoutItem next) {
        next.NewDisk = true;
        return next;
    };
    LayoutItem first = item({100 * 1024, 1000, 0});  // 101 clusters, 3 entries
    struct Case {
        const char *What;
        std::vector<LayoutItem> Items;
        std::vector<int> Disks;
    } cases[] = {
        {"exactly full", {item({253 * 1024}), item({1})}, {1, 2}},
        {"a byte over a cluster", {item({252 * 1024 + 1}), item({1})}, {1, 2}},
        {"no going back to an earlier disk", {item({200 * 1024}), item({100 * 1024}), item({1})},
         {1, 2, 2}},
        {"a pair stays together", {item({200 * 1024}), item({40 * 1024, 40 * 1024})}, {1, 2}},
        {"nothing on disk 1 but the program", {item({300 * 1024})}, {2}},
        {"a type-5 entry has no file", {item({}), item({354 * 1024}), item({})}, {1, 2, 2}},
        {"newdisk starts the next disk", {item({1}), newDisk(item({1})), item({1})}, {1, 2, 2}},
    };
    for (const Case &c : cases) EXPECT_EQ(LayOutDisks(c.Items, first, disk), c.Disks) << c.What;

    // Root entries: 112 less the label, the tag (a long name: two) and disk 1's three files.
    std::vector<LayoutItem> many(110, item({10}));
    std::vector<int> placed = LayOutDisks(many, first, disk);
    int onFirst = (int)std::count(placed.begin(), placed.end(), 1);
    EXPECT_EQ(onFirst, 112 - 1 - 2 - 3);
    EXPECT_EQ(placed.back(), 2);
    EXPECT_THROW(LayOutDisks({item({355 * 1024})}, first, disk), Error);
}

TEST(Layout, DiskNamesAreUniqueAndNeverPacksOwn)
{
    struct {
        const char *What;
        std::vector<std::string> Wanted, Given;
    } cases[] = {
        {"a second README", {"README.TX_", "README.TX_", "readme.tx_"},
         {"README.TX_", "README~1.TX_", "readme~2.tx_"}},
        {"the stem shrinks to keep 8.3", {"LONGNAME.DL_", "LONGNAME.DL_"}, {"LONGNAME.DL_", "LONGNA~1.DL_"}},
        {"pack's own names", {"SETUP.EXE", "setup.in_", "SETUP.INF", "DISK2"},
         {"SETUP~1.EXE", "setup~1.in_", "SETUP~1.INF", "DISK2~1"}},
        {"DISK alone is no tag", {"DISK", "DISKA"}, {"DISK", "DISKA"}},
        {"a suffix already taken", {"A~1.TX_", "A.TX_", "A.TX_"}, {"A~1.TX_", "A.TX_", "A~2.TX_"}},
        {"device names open the device", {"COM1.TX_", "nul", "Con.Ex_", "LPT9"},
         {"COM1~1.TX_", "nul~1", "Con~1.Ex_", "LPT9~1"}},
    };
    for (const auto &c : cases) {
        DiskNames names;
        std::vector<std::string> given;
        for (const std::string &wanted : c.Wanted) given.push_back(names.Unique(wanted));
        EXPECT_EQ(given, c.Given) << c.What;
    }
}

TEST(Layout, EntriesTakeTheirDiskFiles)
{
    Authoring authoring = ParseAuthoring(
        "[Files]\n"
        "3,sub\\a.txt,a.txt\n"       // 2: compressed, its last character kept
        "6,ru.txt,en.txt,lang.txt\n"  // 3: two sources
        "4,LIB.DLL,lib.tmp\n"         // 4: expanded by line 5: compressed
        "5,LIB.TMP,lib.dll\n"         // 5: no file of its own
        "4,raw.dat,raw.dat\n"         // 6: staged as it is
        "5,late.tmp,late.dll\n"       // 7: expands nothing staged after it
        "4,late.dll,late.tmp\n"       // 8: so this one stays as it is
        "3,other/a.txt,b.txt\n",      // 9: a second A.TX_
        "setup.auth");
    struct {
        std::vector<std::string> DiskNames;
        bool Compressed;
    } expected[] = {{{"A.TX_"}, true},   {{"RU.TX_", "EN.TX_"}, true},
                    {{"LIB.DL_"}, true}, {{}, false},
                    {{"RAW.DAT"}, false}, {{}, false},
                    {{"LATE.DLL"}, false}, {{"A~1.TX_"}, true}};
    std::vector<PackEntry> entries = CollectEntries(authoring, "/product");
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<std::string> names;
        for (const DiskFile &part : entries[i].Parts) {
            names.push_back(part.DiskName);
            EXPECT_EQ(part.Compressed, expected[i].Compressed) << "line " << entries[i].File.Line;
        }
        EXPECT_EQ(names, expected[i].DiskNames) << "line " << entries[i].File.Line;
    }
    EXPECT_EQ(entries[0].Parts[0].SourcePath, "/product/sub/a.txt");
    EXPECT_EQ(entries[0].Parts[0].LastChar, 'T');

    // The one --uninstaller adds keeps its own path and its name.
    Authoring withUninstaller = ParseAuthoring("[Files]\n3,a.txt,a.txt\n", "setup.auth");
    withUninstaller.Files.push_back({3, "/build/UNINST.EXE", "", "UNINST.EXE", false, 0});
    entries = CollectEntries(withUninstaller, "/product", 1);
    EXPECT_EQ(entries[1].Parts[0].SourcePath, "/build/UNINST.EXE");
    EXPECT_EQ(entries[1].Parts[0].DiskName, "UNINST.EX_");

    try {
        CollectEntries(ParseAuthoring("[Files]\n3,a.txt,a.txt\n3,..\\x.txt,x.txt\n", "setup.auth"),
                       "/product");
        ADD_FAILURE() << "accepted a path out of the product folder";
    } catch (const Error &error) {
        EXPECT_EQ(std::string(error.what()).find("setup.auth:3: "), 0u) << error.what();
    }
}

TEST(Layout, SizeInstCountsWhatLandsInTheInstallDirectory)
{
    auto entry = [](int type, const char *product, const char *destination,
                    std::vector<uint64_t> sizes) {
        PackEntry result;
        result.File.Type = type;
        result.File.ProductPath = product;
        result.File.Destination = destination;
        for (uint64_t size : sizes) {
            DiskFile part;
            part.ExpandedSize = size;
            result.Parts.push_back(part);
        }
        return result;
    };
    struct {
        const char *What;
        std::vector<PackEntry> Entries;
        uint64_t Bytes;
    } cases[] = {
        {"windows and system files do not count",
         {entry(1, "w", "w", {5000}), entry(2, "s", "s", {7000}), entry(3, "a", "a", {1})}, 1},
        {"type 6: the larger source", {entry(6, "r", "l", {700, 900})}, 900},
        {"type 5: the staged file it expands",
         {entry(4, "x", "other.tmp", {10}), entry(4, "l", "lib.tmp", {5000}),
          entry(5, "LIB.TMP", "lib.dll", {})},
         5000},
        {"type 5: the latest staging before it",
         {entry(4, "l", "lib.tmp", {100}), entry(4, "l", "lib.tmp", {200}),
          entry(5, "lib.tmp", "lib.dll", {}), entry(4, "l", "lib.tmp", {400})},
         200},
        {"type 4 alone stays in the temporary directory", {entry(4, "l", "lib.tmp", {5000})}, 0},
    };
    for (const auto &c : cases) EXPECT_EQ(InstallBytes(c.Entries), c.Bytes) << c.What;

    std::vector<PackEntry> files = {entry(3, "a", "a", {10 * 1024 + 1})};  // 11 KB
    struct {
        const char *Title;
        uint64_t MarginKb;
        uint64_t Kilobytes;  // 0: refused at line 2
        int Line;
    } sizes[] = {{"", 0, 11, 0},             {"", 5, 16, 0},
                 {"SizeInst=11\n", 5, 11, 2}, {"SizeInst=300\n", 0, 300, 2},
                 {"SizeInst=10\n", 0, 0, 2}};
    for (const auto &c : sizes) {
        Authoring authoring = ParseAuthoring(std::string("[Title]\n") + c.Title, "setup.auth");
        std::string what = std::string(c.Title) + " margin " + std::to_string(c.MarginKb);
        if (!c.Kilobytes) {
            EXPECT_THROW(DecideSizeInst(files, authoring, c.MarginKb), Error) << what;
            continue;
        }
        SizeInst size = DecideSizeInst(files, authoring, c.MarginKb);
        EXPECT_EQ(size.Kilobytes, c.Kilobytes) << what;
        EXPECT_EQ(size.Line, c.Line) << what;
    }
}

// check knows only the sources it finds on the disks: an entry whose sizes
// are not all known adds nothing, nor does a type 5 whose staged file is not known.
TEST(Layout, InstallBytesLeaveOutWhatIsNotKnown)
{
    struct {
        const char *What;
        std::vector<InstallSizeEntry> Entries;
        uint64_t Bytes;
    } cases[] = {
        {"type 3 not found", {{3, "a", "a", {}}, {3, "b", "b", {40}}}, 40},
        {"type 6 with one source found", {{6, "r", "l", {900}}}, 0},
        {"type 5 from an unknown staging", {{4, "x", "x.tmp", {}}, {5, "X.TMP", "x", {}}}, 0},
        {"types without a rule", {{0, "a", "a", {10}}, {7, "a", "a", {10}}}, 0},
    };
    for (const auto &c : cases) EXPECT_EQ(InstallBytes(c.Entries), c.Bytes) << c.What;
}

TEST(Layout, AssignDisksCountsTheDiskOfTheLastEntry)
{
    DiskGeometry disk = ParseDiskSize("360K");  // 354 clusters of 1024
    LayoutItem first;
    first.Label = "SETUP.EXE";
    first.FileSizes = {1024};
    first.FileNames = {"SETUP.EXE"};
    auto entry = [](uint64_t stored, bool newDisk) {
        PackEntry result;
        result.File.NewDisk = newDisk;
        if (stored) {
            DiskFile part;
            part.DiskName = "F.TX_";
            part.Stored.resize(stored);
            result.Parts.push_back(part);
        }
        return result;
    };
    struct {
        const char *What;
        std::vector<PackEntry> Entries;
        std::vector<int> Disks;
        int NumberDisk;
    } cases[] = {
        {"none", {}, {}, 1},
        {"disk 1 exactly full", {entry(353 * 1024, false)}, {1}, 1},
        {"a byte more", {entry(353 * 1024 + 1, false)}, {2}, 2},
        {"a type-5 entry stays on the last disk", {entry(10, false), entry(0, true)}, {1, 2}, 2},
    };
    for (auto &c : cases) {
        EXPECT_EQ(AssignDisks(c.Entries, first, disk), c.NumberDisk) << c.What;
        std::vector<int> disks;
        for (const PackEntry &e : c.Entries) disks.push_back(e.Disk);
        EXPECT_EQ(disks, c.Disks) << c.What;
    }
}
