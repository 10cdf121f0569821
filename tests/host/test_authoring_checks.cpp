// What pack makes forgiving: incompressible files stored as they are, a
// file too big for a disk named by its line, the warnings, check on an
// authoring file, and usage errors that say what is missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "tools/setupkit/check_authoring.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/pack.h"
#include "tools/setupkit/warnings.h"
#include "pack_files.h"

using namespace setupkit;
using namespace pack_files;
namespace fs = std::filesystem;

namespace {

struct Workspace : PackWorkspace {
    Workspace() : PackWorkspace("forgiving-", 30000) {}
};

std::string Lines(const std::vector<Diagnostic> &found)
{
    std::string text;
    for (const Diagnostic &d : found) text += FormatDiagnostic("a", d) + "\n";
    return text;
}

std::string ErrorOf(const std::function<void()> &run)
{
    try {
        run();
    } catch (const Error &error) {
        return error.what();
    }
    return "";
}

}  // namespace

// Each file type stores an incompressible file under its own name, byte for
// byte; what compresses, and what begins with the LZ signature, is compressed.
TEST(RawStorage, IncompressibleFilesKeepTheirNameAndBytes)
{
    Workspace work;
    Bytes signature(LzSignature, LzSignature + LzSignatureSize);
    Bytes signed_ = signature;
    Bytes noise = Random(3000, 7);
    signed_.insert(signed_.end(), noise.begin(), noise.end());
    Write(work.Dir + "/product/noise.bin", noise);
    Write(work.Dir + "/product/other.bin", Random(2000, 8));
    Write(work.Dir + "/product/text.txt", std::string(4000, 'a'));
    Write(work.Dir + "/product/szdd.bin", signed_);
    Write(work.Dir + "/product/empty.dat", Bytes());
    struct {
        const char *Line;
        const char *DiskName;
        const char *Product;  // stored as it is; null: compressed
    } cases[] = {
        {"1,noise.bin,noise.bin", "NOISE.BIN", "noise.bin"},
        {"2,noise.bin,noise.bin", "NOISE.BIN", "noise.bin"},
        {"3,noise.bin,noise.bin", "NOISE.BIN", "noise.bin"},
        {"4,noise.bin,n.tmp\n5,n.tmp,noise.bin", "NOISE.BIN", "noise.bin"},
        {"6,other.bin,noise.bin,noise.bin", "NOISE.BIN", "noise.bin"},
        {"3,empty.dat,empty.dat", "EMPTY.DAT", "empty.dat"},
        {"3,text.txt,text.txt", "TEXT.TX_", nullptr},
        {"3,szdd.bin,szdd.bin", "SZDD.BI_", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Line);
        PackResult result = Pack(work.Options(std::string("[Title]\nDlgTitle=Raw\n[Files]\n") + c.Line + "\n"));
        std::string stored = work.Dir + "/out/disk1/" + c.DiskName;
        ASSERT_TRUE(fs::exists(stored));
        std::string script = Read(work.Dir + "/out/setup.inf");
        EXPECT_NE(script.find(std::string(",") + c.DiskName + ","), std::string::npos) << script;
        if (c.Product)
            EXPECT_EQ(ReadFileBytes(stored), ReadFileBytes(work.Dir + "/product/" + c.Product));
        else
            EXPECT_EQ(ExpandLz(ReadFileBytes(stored), c.DiskName).Data.size() > 0, true);
    }
    // SizeInst still counts the expanded size: 3000 bytes, 3 KB.
    EXPECT_EQ(Pack(work.Options("[Title]\n[Files]\n3,noise.bin,n\n")).SizeInst, 3u);
}

TEST(RawStorage, AFileNoDiskHoldsNamesItsLineAndTheWayOut)
{
    Workspace work;
    Write(work.Dir + "/product/big.bin", Random(1600000, 2));
    Write(work.Dir + "/product/a.txt", std::string("a"));
    std::string error = ErrorOf([&] {
        Pack(work.Options("[Title]\n[Files]\n3,a.txt,a.txt\n3,big.bin,big.bin\n"));
    });
    for (const char *says : {"setup.auth:4: big.bin: 1600000 bytes on disk", "--disk-size", "--media cd"})
        EXPECT_NE(error.find(says), std::string::npos) << says << "\n" << error;
}

TEST(Warnings, AtTheirLines)
{
    struct {
        const char *Text;
        const char *Warns;  // "a:line: warning: ..." lines, empty for none
    } cases[] = {
        {"[Files]\n3,a,a.txt\n[WinGroup]\nitem=b.txt,B\n",
         "a:4: warning: group item 'b.txt': no entry installs that file in the install directory\n"},
        {"[Files]\n3,a,Dir\\A.TXT\n[WinGroup]\nitem=dir/a.txt /x,A\n", ""},
        {"[Files]\n2,a,a.txt\n4,a,t.tmp\n[WinGroup]\nitem=a.txt,A\nitem=t.tmp,T\n",
         "a:5: warning: group item 'a.txt'"},
        {"[Files]\n4,a,t\n5,t,bin\\t.exe\n3,bin/*.exe,bin\\\n3,lib/,lib\\\n[WinGroup]\n"
         "item=bin\\t.exe,T\nitem=bin\\app.exe,A\nitem=lib\\x\\y.exe,Y\nitem=bin\\x\\y.exe,Z\n",
         "a:10: warning: group item 'bin\\x\\y.exe'"},
        {"[Files]\n3,a,x.txt\n3,b,X.TXT\n", "a:3: warning: 'X.TXT' is written again (first on line 2)\n"},
        {"[Files]\n4,a,t\n4,b,t\n3,a,x\n2,b,x\n", ""},
        {"[Register]\nregKey=2,S\nregVal=Home,#s\nregKey=2,S\nregVal=Bin,#s\\bin\n[WinIni]\n"
         "IniKey=S,K,#sbin\nIniKey=S,L,#s\\\n",
         "a:3: warning: '#s' without a backslash after it is not replaced; the install directory "
         "is written '#s\\'\na:7: warning: '#s' without"},
        {"[Title]\nDlgTitle=My App ; the best\nInstalDir=C:\\App\n",
         "a:2: warning: the ';' in DlgTitle is part of the value, not a comment\n"},
    };
    for (const auto &c : cases) {
        std::string warns = Lines(AuthoringWarnings(ParseAuthoring(c.Text, "a")));
        EXPECT_EQ(warns.compare(0, strlen(c.Warns), c.Warns), 0) << c.Text << "\ngave: " << warns;
        if (!*c.Warns) EXPECT_EQ(warns, "");
    }
}

TEST(CheckAuthoring, ReportsWhatPackRefusesOrWarnsAbout)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", std::string("a"));
    Write(work.Dir + "/product/bin/x.exe", std::string("x"));
    struct {
        const char *Text;
        bool WithProduct;
        const char *Reports;  // the start of the report, empty for none
    } cases[] = {
        {"[Title]\nDlgTitle=A\n[Files]\n3,a.txt,a.txt\n3,bin/*.exe,bin\\\n[WinGroup]\nitem=bin\\x.exe,X\n",
         true, ""},
        {"[Files]\n3,bin/*.exe,bin\\\n[WinGroup]\nitem=bin\\x.exe,X\n", false, ""},
        {"[Files]\n7,a.txt,a.txt\n", false, "a:2: error: expected type,product-path,destination"},
        {"[Files]\n3,gone.txt,a.txt\n3,bin/*.dll,bin\\\n3,a.txt,b.txt\n", true,
         "a:2: error: no product file"},
        {"[Files]\n3,a.txt,a.txt\n3,bin/*.dll,bin\\\n", true, "a:3: error: 'bin/*.dll' matches no file"},
        {"[Files]\n3,a.txt,..\\a.txt\n", false, "a:2: error: file1 destination '..\\a.txt' leaves"},
        {"[Files]\n3,a.txt,d2345678901234567890\\d2345678901\\a\n", false,
         "a:2: error: the directory 'd2345678901234567890\\d2345678901' would be a Dir<n>"},
        {"[Files]\n3,a.txt,a.txt\n[WinGroup]\nitem=b.txt,B\n", false, "a:4: warning: group item"},
        {"[Register]\nregKey=HKLM,S\nregVal=a,%b\n[Files]\n", false, "a:3: warning: regVal1 has a '%'"},
    };
    for (const auto &c : cases) {
        std::string reports = Lines(CheckAuthoring(c.Text, "a", c.WithProduct ? work.Dir + "/product" : ""));
        EXPECT_EQ(reports.compare(0, strlen(c.Reports), c.Reports), 0) << c.Text << "\ngave: " << reports;
        if (!*c.Reports) EXPECT_EQ(reports, "");
    }
    // Both missing product paths are reported, not only the first.
    std::string both = Lines(CheckAuthoring("[Files]\n3,x.txt,x\n3,y.txt,y\n", "a", work.Dir + "/product"));
    EXPECT_NE(both.find("a:3: error: no product file"), std::string::npos) << both;

    // The command: status 1 on an error, 0 on warnings alone.
    Write(work.Dir + "/bad.auth", std::string("[Files]\n3,gone.txt,a.txt\n"));
    Write(work.Dir + "/warn.auth", std::string("[Title]\nDlgTitle=a;b\n[Files]\n3,a.txt,a.txt\n"));
    EXPECT_EQ(RunCheck({work.Dir + "/bad.auth", work.Dir + "/product"}), 1);
    EXPECT_EQ(RunCheck({work.Dir + "/bad.auth"}), 0);
    EXPECT_EQ(RunCheck({work.Dir + "/warn.auth", work.Dir + "/product"}), 0);
}

TEST(Messages, UsageErrorsSayWhatIsMissing)
{
    Workspace work;
    Write(work.Dir + "/product/a.txt", std::string("a"));
    Write(work.Dir + "/setup.auth", std::string("[Title]\nDlgTitle=A\n[Files]\n3,a.txt,a.txt\n"));
    const std::string auth = work.Dir + "/setup.auth", product = work.Dir + "/product";
    struct {
        Arguments Args;
        const char *Says;
    } cases[] = {
        {{"pack"}, "AUTHORING and PRODUCT_DIR are missing"},
        {{"pack", auth, "-o", "x"}, "PRODUCT_DIR is missing"},
        {{"pack", auth, product}, "-o OUT_DIR is missing"},
        {{"pack", auth, product, "extra", "-o", "x"}, "too many arguments: 'extra'"},
        {{"pack", auth, product, "-o", work.Dir + "/out", "--setup-exe", work.Dir + "/none.exe"},
         "none.exe: no such program; give none.exe with --setup-exe PATH"},
        {{"pack", auth, product, "-o", work.Dir + "/out", "--setup-exe", work.Dir + "/SETUP.EXE",
          "--uninstaller", "--uninst-exe", work.Dir + "/UNINST.EXE"},
         "UNINST.EXE: no such program; give UNINST.EXE with --uninst-exe PATH"},
        {{"check"}, "the script or authoring file to check is missing"},
        {{"check", auth, product, "x"}, "too many arguments: 'x'"},
        {{"sign", "--cert", "c.pem"}, "the programs to sign are missing"},
        {{"sign", "a.exe"}, "the certificate (--cert) is missing"},
    };
    for (const auto &c : cases) {
        Arguments args(c.Args.begin() + 1, c.Args.end());
        std::string error = ErrorOf([&] {
            c.Args[0] == "pack" ? RunPack(args) : c.Args[0] == "check" ? RunCheck(args) : RunSign(args);
        });
        EXPECT_NE(error.find(c.Says), std::string::npos) << c.Args[0] << "\ngave: " << error;
    }
    EXPECT_FALSE(fs::exists(work.Dir + "/out"));
}

// More group items than the 10000 bytes of the group's commands hold: check
// and pack name the first item line that does not fit.
TEST(CheckAuthoring, GroupItemsBeyondTheCommandTextAreAnError)
{
    Workspace work;
    Write(work.Dir + "/product/a.exe", std::string("a"));
    std::string authoring = "[Title]\nDlgTitle=A\nInstalDir=C:\\Program Files\\A\n[Files]\n"
                            "3,a.exe,a.exe\n[WinGroup]\nGroupTitle=A\n";
    const int firstItemLine = 8;
    for (int n = 1; n <= 300; ++n)
        authoring += "item=a.exe,Program number " + std::to_string(n) + " of the product\n";
    std::string reports = Lines(CheckAuthoring(authoring, "a", work.Dir + "/product"));
    int line = 0, item = 0;
    ASSERT_EQ(sscanf(reports.c_str(), "a:%d: error: item%d and ", &line, &item), 2) << reports;
    EXPECT_EQ(firstItemLine + item - 1, line);
    EXPECT_GT(item, 50);
    EXPECT_LT(item, 300);
    EXPECT_NE(reports.find("do not fit in the 10000 bytes of the group's commands"),
              std::string::npos)
        << reports;
    std::string error = ErrorOf([&] { Pack(work.Options(authoring)); });
    EXPECT_NE(error.find("setup.auth:" + std::to_string(line) + ": error: item" +
                         std::to_string(item) + " and "),
              std::string::npos)
        << error;
    EXPECT_FALSE(fs::exists(work.Dir + "/out"));
}
