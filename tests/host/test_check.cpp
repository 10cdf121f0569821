// setupkit check: every problem found on a crafted script, at its line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/group_text.h"
#include "core/names.h"
#include "tools/setupkit/check.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/product_path.h"

using namespace setupkit;

namespace {

const char CleanScript[] =
    "[Title]\n"
    "DlgTitle=Example\n"
    "InstalDir=C:\\Example\n"
    "SizeInst=10\n"
    "NumberDisk=1\n"
    "[SubDir]\n"
    "NumberDirs=2\n"
    "Dir1=docs\n"
    "Dir2=docs\\more\n"
    "[Disk1]\n"
    "NumberFiles=3\n"
    "file1=3,README.TX_,readme.txt\n"
    "file2=4,DATA.BI_,data.bin\n"
    "file3=5,data.bin,docs\\data.bin\n"
    "[Register]\n"
    "NumberReg=1\n"
    "regKey1=2,Software\\Example\n"
    "regVal1=Path,#s\\\n"
    "[WinIni]\n"
    "NumberIni=1\n"
    "IniKey1=Example,Home,#s\\\n"
    "[WinGroup]\n"
    "GroupTitle=Example\n"
    "NumberItem=1\n"
    "item1=readme.txt,Read Me\n";

// A script of the given lines after a [Title] header on line 1.
std::string Script(const std::string &lines) { return "[Title]\n" + lines; }

std::string Describe(const std::vector<Diagnostic> &found)
{
    std::string text;
    for (const Diagnostic &d : found) text += FormatDiagnostic("s", d) + "\n";
    return text;
}

}  // namespace

TEST(Check, CleanScriptIsSilent)
{
    EXPECT_EQ(Describe(CheckScript(CleanScript)), "");
    EXPECT_EQ(Describe(CheckScript("")), "");
}

TEST(Check, EachProblemAtItsLine)
{
    const std::string longValue(120, 'x');
    struct Case {
        const char *What;
        std::string Text;
        int Line;
        bool IsError;
        const char *Says;
    } cases[] = {
        {"missing file entry", Script("[Disk1]\nNumberFiles=2\nfile1=3,A.TX_,a.txt\n"), 3, true,
         "file2 is missing"},
        {"missing Dir", Script("[SubDir]\nNumberDirs=1\n"), 3, true, "Dir1 is missing"},
        {"missing regVal", Script("[Register]\nNumberReg=1\nregKey1=2,Software\\X\n"), 3, true,
         "regVal1 is missing"},
        {"huge count, summed up", Script("[Disk1]\nNumberFiles=2000000000\n"), 3, true,
         "and more are missing"},
        {"file without commas", Script("[Disk1]\nNumberFiles=1\nfile1=3,AB\n"), 4, true,
         "needs type,source,destination"},
        {"type 6 without its second source",
         Script("[Disk1]\nNumberFiles=1\nfile1=6,A.TX_,a.txt\n"), 4, true, "needs 6,"},
        {"type 0", Script("[Disk1]\nNumberFiles=1\nfile1=0,A.TX_,a.txt\n"), 4, true, "type 0"},
        {"type 9", Script("[Disk1]\nNumberFiles=1\nfile1=9,A.TX_,a.txt\n"), 4, true, "type 9"},
        {"type 7, just above the last", Script("[Disk1]\nNumberFiles=1\nfile1=7,A.TX_,a.txt\n"), 4,
         true, "file1 has type 7; SETUP.EXE knows only types 1 to 6"},
        {"type letter", Script("[Disk1]\nNumberFiles=1\nfile1=X,A.TX_,a.txt\n"), 4, false,
         "reads it as type 2"},
        {"root 4", Script("[Register]\nNumberReg=1\nregKey1=4,S\nregVal1=a,b\n"), 4, true,
         "root from 0 to 3"},
        {"root letter", Script("[Register]\nNumberReg=1\nregKey1=H,S\nregVal1=a,b\n"), 4, true,
         "root from 0 to 3"},
        {"regVal without comma", Script("[Register]\nNumberReg=1\nregKey1=2,S\nregVal1=ab\n"), 5,
         true, "needs name,data"},
        {"IniKey with one comma", Script("[WinIni]\nNumberIni=1\nIniKey1=Sect,value\n"), 4, true,
         "needs section,key,value"},
        {"item without comma", Script("[WinGroup]\nNumberItem=1\nitem1=readme.txt\n"), 4, true,
         "needs command-file,name"},
        {"Dir over 31 characters",
         Script("[SubDir]\nNumberDirs=1\nDir1=" + std::string(32, 'd') + "\n"), 4, true,
         "at most 31"},
        {"Dir nested below nothing", Script("[SubDir]\nNumberDirs=1\nDir1=a\\b\n"), 4, true,
         "which no Dir before it makes"},
        {"Dir nested below a later Dir", Script("[SubDir]\nNumberDirs=2\nDir1=a\\b\nDir2=a\n"), 4,
         true, "which no Dir before it makes"},
        {"% in regVal data", Script("[Register]\nNumberReg=1\nregKey1=2,S\nregVal1=a,50%\n"), 5,
         false, "'%'"},
        {"% in IniKey value", Script("[WinIni]\nNumberIni=1\nIniKey1=S,k,#s\\%1\n"), 4, false,
         "'%'"},
        {"file entry cut", Script("[Disk1]\nNumberFiles=1\nfile1=3,A.TX_," + longValue + "\n"), 4,
         true, "reads only the first 99"},
        {"DlgTitle cut", Script("DlgTitle=" + longValue + "\n"), 2, true, "first 99"},
        {"item line too long for the group command",
         Script("InstalDir=C:\\" + std::string(96, 'p') + "\n[WinGroup]\nNumberItem=1\nitem1=" +
                std::string(70, 'c') + "," + std::string(75, 'n') + "\n"),
         5, true, "group command longer"},
        {"destination with ..", Script("[Disk1]\nNumberFiles=1\nfile1=3,A.TX_,..\\a.txt\n"), 4,
         true, "leaves its directory"},
        {"destination with a drive", Script("[Disk1]\nNumberFiles=1\nfile1=3,A.TX_,C:a.txt\n"), 4,
         true, "leaves its directory"},
        {"destination with a leading backslash",
         Script("[Disk1]\nNumberFiles=1\nfile1=1,A.TX_,\\a.txt\n"), 4, true,
         "leaves its directory"},
        {"item leaving the install directory",
         Script("[WinGroup]\nNumberItem=1\nitem1=..\\x.exe,X\n"), 4, true, "leaves the install"},
        {"type 5 with nothing staged",
         Script("[Disk1]\nNumberFiles=2\nfile1=5,a.bin,a.bin\nfile2=4,A.BIN,a.bin\n"), 4, true,
         "no type-4 entry before it"},
        {"type 5 staged on an earlier disk is fine, a later disk is not",
         Script("NumberDisk=2\n[Disk1]\nNumberFiles=1\nfile1=5,a.bin,a.bin\n[Disk2]\n"
                "NumberFiles=1\nfile1=4,A.BIN,a.bin\n"),
         5, true, "no type-4 entry before it"},
        {"key above the count", Script("[Disk1]\nNumberFiles=1\nfile1=3,A,a\nfile2=3,B,b\n"), 5,
         false, "numbered above"},
        {"key given twice", Script("[Disk1]\nNumberFiles=1\nfile1=3,A,a\nFILE1=3,B,b\n"), 5, false,
         "given again"},
    };
    for (const Case &c : cases) {
        std::vector<Diagnostic> found = CheckScript(c.Text);
        bool seen = false;
        for (const Diagnostic &d : found)
            seen |= d.Line == c.Line && d.IsError == c.IsError &&
                    d.Message.find(c.Says) != std::string::npos;
        EXPECT_TRUE(seen) << c.What << ": expected line " << c.Line << " '" << c.Says
                          << "', got:\n"
                          << Describe(found);
    }
}

// SizeInst against the files, when the disks are beside the script.
TEST(Check, SizeInstAgainstTheDisks)
{
    std::string dir = testing::TempDir() + "check-disks-" + std::to_string(getpid());
    std::filesystem::create_directories(dir + "/disk1");
    Bytes readme(3000, 'r'), data(5000, 'd');
    WriteFileAtomic(dir + "/disk1/README.TX_", CompressLz(readme, 'T'));
    WriteFileAtomic(dir + "/disk1/DATA.BI_", CompressLz(data, 'N'));
    // 3000 + 5000 bytes expanded: 8 KB.
    std::string script = CleanScript;
    EXPECT_EQ(Describe(CheckScript(script, dir)), "");
    script.replace(script.find("SizeInst=10"), 11, "SizeInst=7");
    std::vector<Diagnostic> found = CheckScript(script, dir);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    EXPECT_EQ(found[0].Line, 4);
    EXPECT_NE(found[0].Message.find("need 8 KB"), std::string::npos) << found[0].Message;

    std::filesystem::remove(dir + "/disk1/DATA.BI_");
    found = CheckScript(CleanScript, dir);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    EXPECT_EQ(found[0].Line, 13);
    EXPECT_FALSE(found[0].IsError);
    std::filesystem::remove_all(dir);
}

// The product paths of an authoring file (paths on this machine below the
// product folder) keep a rule of their own.
TEST(ProductPath, StaysInside)
{
    struct {
        const char *Name;
        bool Inside;
    } cases[] = {{"a.txt", true}, {"docs\\a.txt", true}, {"a..b", true}, {"", false},
                 {"..", false},   {"a\\..\\b", false},  {"\\a", false}, {"/a", false},
                 {"C:a", false},  {"a\\\\b", false},    {"docs/a.txt", true}, {"a/ .. /b", false}};
    for (const auto &c : cases) EXPECT_EQ(ProductPathStaysInside(c.Name), c.Inside) << c.Name;
}

// check refuses exactly the names SETUP.EXE refuses, as a destination, a
// source, a sub-directory and a command file.
TEST(Check, JudgesNamesAsTheProgramDoes)
{
    struct {
        const char *Name;
        bool Contained;
    } cases[] = {
        {"a.txt", true},       {"docs\\a.txt", true},  {"a..b", true},
        {"a\\\\b", true},      {"a//b", true},         {"docs\\", true},
        {"...\\x", false},     {". .\\x", false},      {"..", false},
        {"a\\..\\b", false},   {"\\a", false},         {"/a", false},
        {"C:a", false},        {"sub\\... \\x", false},
        {"NUL", false},        {"LPT1.TXT", false},    {"docs\\con", false},
        {"com1 .log", false},  {"NULL", true},         {"COM10", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Contained, IsContainedName(c.Name));
        const std::string name = c.Name;
        const std::string script = "[Title]\nNumberDisk=1\n"                  // 1-2
                                   "[SubDir]\nNumberDirs=1\nDir1=" + name + "\n"  // 3-5
                                   "[Disk1]\nNumberFiles=2\n"                  // 6-7
                                   "file1=3,A.TX_," + name + "\n"              // 8
                                   "file2=3," + name + ",b.txt\n"              // 9
                                   "[WinGroup]\nNumberItem=1\n"                // 10-11
                                   "item1=" + name + ",Item\n";                // 12
        std::vector<Diagnostic> found = CheckScript(script);
        for (int line : {5, 8, 9, 12}) {
            SCOPED_TRACE(line);
            bool refused = false;
            for (const Diagnostic &d : found)
                refused |= d.Line == line && d.IsError &&
                           (d.Message.find("leaves") != std::string::npos ||
                            d.Message.find("names a device") != std::string::npos);
            EXPECT_EQ(!c.Contained, refused) << Describe(found);
        }
    }
}

TEST(Check, ReportsDeviceNames)
{
    const std::string script = "[Title]\nNumberDisk=1\n"
                               "[SubDir]\nNumberDirs=1\nDir1=AUX\n"
                               "[Disk1]\nNumberFiles=2\n"
                               "file1=3,A.TX_,lpt1.txt\n"
                               "file2=6,ru.tx_,CON,b.txt\n";
    EXPECT_EQ(Describe(CheckScript(script)),
              "s:5: error: Dir1 'AUX' names a device, not a file\n"
              "s:8: error: file1 destination 'lpt1.txt' names a device, not a file\n"
              "s:9: error: file2 source names a device, not a file\n");
}

// check warns of an item exactly when SETUP.EXE leaves it out of the group
// commands: the same line format on both sides, at the boundary.
TEST(Check, ItemLineLengthAgreesWithTheProgram)
{
    const std::string installDir = "C:\\" + std::string(96, 'p');
    const std::string commandFile(70, 'c');
    struct Context {
        std::string Item;
        bool Added;
    };
    for (size_t nameLength = 66; nameLength <= 74; ++nameLength) {
        Context context = {commandFile + "," + std::string(nameLength, 'n'), false};
        std::vector<Diagnostic> found = CheckScript(
            Script("InstalDir=" + installDir + "\n[WinGroup]\nNumberItem=1\nitem1=" +
                   context.Item + "\n"));
        bool warned = Describe(found).find("group command longer") != std::string::npos;
        char text[GroupCommandTextSize];
        BuildGroupText(
            text, sizeof text, "G", installDir.c_str(), 1,
            [](void *c, int, char *dest) {
                snprintf(dest, ItemLimit, "%s", static_cast<Context *>(c)->Item.c_str());
            },
            [](void *c, const char *, const ItemEntry &) { static_cast<Context *>(c)->Added = true; },
            &context);
        EXPECT_NE(warned, context.Added) << "name of " << nameLength << " characters";
    }
}

// Names SETUP.EXE would change or refuse before they reach the shell: each
// reported at its line.
TEST(Check, GroupNamesTheShellCannotTakeAsWritten)
{
    struct {
        const char *Name, *Group, *Reports;
    } cases[] = {
        {"plain", "GroupTitle=Demo\nNumberItem=1\nitem1=a.exe,A, [b] (c)\n", ""},
        {"quote in the title", "GroupTitle=Say \"Hi\"\n",
         "s:4: warning: GroupTitle holds a control character or one of"},
        {"colon in the title", "GroupTitle=A: B\n", "s:4: warning: GroupTitle holds"},
        {"quote in a caption", "NumberItem=1\nitem1=a.exe,A\")][DeleteGroup(\"V\n",
         "s:5: warning: item1 name holds a '\"' or a control character; SETUP.EXE sends an "
         "apostrophe"},
        {"tab in a caption", "NumberItem=1\nitem1=a.exe,A\tB\n", "s:5: warning: item1 name holds"},
        {"parenthesis in a command file", "NumberItem=1\nitem1=a)][DeleteGroup(V.exe,A\n",
         "s:5: error: item1 command file holds a '\"', a ')' or a control character"},
        {"quote in a command file", "NumberItem=1\nitem1=\"a.exe\",A\n",
         "s:5: error: item1 command file holds"},
    };
    for (const auto &c : cases) {
        std::string found =
            Describe(CheckScript(Script("InstalDir=C:\\App\n[WinGroup]\n" + std::string(c.Group))));
        EXPECT_EQ(found.compare(0, strlen(c.Reports), c.Reports), 0) << c.Name << "\ngave: " << found;
        if (!*c.Reports) EXPECT_EQ(found, "") << c.Name;
    }
}

// More entries on a disk than SETUP.EXE reads, and more items than the
// group's commands hold: errors, the items' at the first line that does not
// fit in the text SETUP.EXE builds.
TEST(Check, LimitsOfADiskAndOfTheGroupText)
{
    std::string disk = "NumberDisk=1\n[Disk1]\nNumberFiles=12000\n";
    for (int n = 1; n <= 12000; ++n)
        disk += "file" + std::to_string(n) + "=3,F" + std::to_string(n) + ".TXT,f" +
                std::to_string(n) + ".txt\n";
    std::string found = Describe(CheckScript(Script(disk)));
    EXPECT_EQ("s:4: error: NumberFiles=12000 but SETUP.EXE reads at most 10000 entries of a disk\n",
              found);

    struct {
        int Items;
        bool Fits;
    } counts[] = {{100, true}, {300, false}};
    for (const auto &c : counts) {
        std::string group = "InstalDir=C:\\Program Files\\Product\n[WinGroup]\nGroupTitle=Product\n"
                            "NumberItem=" + std::to_string(c.Items) + "\n";
        struct Context {
            std::vector<std::string> Items;
            int Added = 0;
        } context;
        for (int n = 1; n <= c.Items; ++n) {
            context.Items.push_back("bin\\program" + std::to_string(n) + ".exe,Program number " +
                                    std::to_string(n) + " of the product");
            group += "item" + std::to_string(n) + "=" + context.Items.back() + "\n";
        }
        // The program's own text: how many items it holds.
        char text[GroupCommandTextSize];
        BuildGroupText(
            text, sizeof text, "Product", "C:\\Program Files\\Product", c.Items,
            [](void *p, int n, char *dest) {
                snprintf(dest, ItemLimit, "%s", static_cast<Context *>(p)->Items[n - 1].c_str());
            },
            [](void *p, const char *, const ItemEntry &) { ++static_cast<Context *>(p)->Added; },
            &context);
        found = Describe(CheckScript(Script(group)));
        if (c.Fits) {
            EXPECT_EQ(c.Items, context.Added);
            EXPECT_EQ("", found) << c.Items;
            continue;
        }
        // Line 1 [Title], 2 InstalDir, 3 [WinGroup], 4 GroupTitle, 5 NumberItem, then the items.
        int first = context.Added + 1;
        EXPECT_EQ("s:" + std::to_string(5 + first) + ": error: item" + std::to_string(first) +
                      " and " + std::to_string(c.Items - first) +
                      " items after it do not fit in the 10000 bytes of the group's commands; "
                      "SETUP.EXE leaves them out\n",
                  found);
    }
}
