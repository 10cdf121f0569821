// pack for products in other languages: the script in the code page given,
// the media with plain ASCII 8.3 names only, and the errors for what the
// code page cannot hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "core/crc32.h"
#include "core/record_name.h"
#include "tools/setupkit/authoring.h"
#include "tools/setupkit/check_authoring.h"
#include "tools/setupkit/codepage.h"
#include "tools/setupkit/derive_subdirs.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fat12.h"
#include "tools/setupkit/cdrom.h"
#include "tools/setupkit/layout.h"
#include "tools/setupkit/pack.h"
#include "tools/setupkit/script_writer.h"
#include "tools/setupkit/text_helpers.h"
#include "pack_files.h"

using namespace setupkit;
using namespace pack_files;
namespace fs = std::filesystem;

namespace {

const char CyrillicAuthoring[] =
    "\xEF\xBB\xBF[Title]\n"                       // 1, after a byte-order mark
    "DlgTitle=Программа Привет\n"                 // 2
    "InstalDir=C:\\Программа\n"                   // 3
    "[Files]\n"                                   // 4
    "3,привет.txt,Привет\\привет.txt\n"           // 5
    "3,Long Name File.text,long name file.text\n"  // 6
    "6,ru/файл.txt,en/файл.txt,файл.txt\n"        // 7
    "3,docs/,Документы\\\n"                       // 8
    "3,привет.txt,копия.txt\n"                    // 9: the same file again
    "[Register]\n"
    "regKey=HKLM,Software\\Привет\n"
    "regVal=Путь,#s\\\n"
    "[WinGroup]\n"
    "GroupTitle=Привет\n"
    "item=Привет\\привет.txt,Прочти меня\n";

void WriteCyrillicProduct(const std::string &dir)
{
    Write(dir + "/привет.txt", std::string(3000, 'p'));
    Write(dir + "/Long Name File.text", std::string(2000, 'l'));
    Write(dir + "/ru/файл.txt", std::string(1000, 'r'));
    Write(dir + "/en/файл.txt", std::string(1000, 'e'));
    Write(dir + "/docs/справка.txt", std::string(500, 's'));
    Write(dir + "/docs/readme.txt", std::string(400, 'd'));
}

std::string ErrorOf(const PackOptions &options)
{
    try {
        Pack(options);
    } catch (const Error &error) {
        return error.what();
    }
    return "";
}

bool IsPlainShortName(const std::string &name, bool cd)
{
    for (char c : name)
        if (c <= 0x20 || c >= 0x7F) return false;
    return cd ? IsoLevel1Name(name) == name : IsShortName(Upper(name));
}

// The stored names of a script's [Disk1] entries and their destinations.
std::map<std::string, std::string> SourcesAndDestinations(const std::string &utf8Script)
{
    std::map<std::string, std::string> found;
    for (size_t at = 0; (at = utf8Script.find("\nfile", at)) != std::string::npos; ++at) {
        size_t end = utf8Script.find('\r', at);
        std::string line = utf8Script.substr(at + 1, end - at - 1);
        if (line.find("=3,") == std::string::npos && line.find("=6,") == std::string::npos) continue;
        std::string entry = line.substr(line.find('=') + 3);
        size_t comma = entry.rfind(',');
        found[entry.substr(0, comma)] = entry.substr(comma + 1);
    }
    return found;
}

}  // namespace

TEST(PackCodePage, WhatTheDefaultCodePageCannotHoldIsAnErrorAndNothingIsWritten)
{
    PackWorkspace work("pack-cp-", 30000);
    WriteCyrillicProduct(work.Dir + "/product");
    PackOptions options = work.Options(CyrillicAuthoring);
    std::string error = ErrorOf(options);
    for (const char *says :
         {"setup.auth:2: error: 'П' (U+041F) is not in code page 1252 (Western European)\n",
          "setup.auth:3: error: 'П' (U+041F)", "setup.auth:5: error: 'П' (U+041F)",
          "setup.auth:8: error: 'Д' (U+0414)", "setup.auth:11: error: 'П' (U+041F)",
          "setup.auth:12: error: 'П' (U+041F)", "setup.auth:14: error: 'П'",
          "give the one of the product's language with --codepage"})
        EXPECT_NE(error.find(says), std::string::npos) << says << "\ngave: " << error;
    // The file that only the product folder names in Cyrillic is no error.
    EXPECT_EQ(error.find("setup.auth:6:"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(work.Dir + "/out"));

    // Not UTF-8: an error at its line, naming the byte.
    error = ErrorOf(work.Options("[Title]\nDlgTitle=Caf\xE9\n[Files]\n3,привет.txt,a.txt\n"));
    EXPECT_EQ(error.find(work.Dir + "/setup.auth:2: not UTF-8: byte 0xE9 at column 13"), 0u) << error;
    EXPECT_FALSE(fs::exists(work.Dir + "/out"));
}

// Floppies and a CD in 1251: the script's texts in 1251, every stored
// name plain ASCII 8.3, each destination the real name.
TEST(PackCodePage, ScriptInTheCodePageAndPlainNamesOnTheMedia)
{
    const bool haveMtools = system("command -v mdir >/dev/null 2>&1") == 0;
    const CodePage cyrillic(1251);
    for (PackOptions::MediaKind media : {PackOptions::Floppy, PackOptions::Cd}) {
        const bool cd = media == PackOptions::Cd;
        SCOPED_TRACE(cd ? "cd" : "floppy");
        PackWorkspace work("pack-cp-", 30000);
        WriteCyrillicProduct(work.Dir + "/product");
        PackOptions options = work.Options(CyrillicAuthoring, cd ? "" : "1.44M");
        options.Media = media;
        options.CodePage = 1251;
        options.Images = !cd && haveMtools;
        PackResult result = Pack(options);

        std::string raw = Read(work.Dir + "/out/setup.inf");
        EXPECT_EQ(raw.find("; Written by setupkit pack from setup.auth, in code page 1251 (Cyrillic).\r\n"), 0u);
        for (const char *line : {"DlgTitle=Программа Привет\r\n", "InstalDir=C:\\Программа\r\n",
                                 "Dir1=Привет\r\n", "Dir2=Документы\r\n", "regKey1=2,Software\\Привет\r\n",
                                 "regVal1=Путь,#s\\\r\n", "GroupTitle=Привет\r\n",
                                 "item1=Привет\\привет.txt,Прочти меня\r\n"})
            EXPECT_NE(raw.find(cyrillic.EncodeLossy(line)), std::string::npos) << line;
        std::string script = cyrillic.ToUtf8(raw);

        // Each stored name is plain 8.3, names one file, and leads to its real name.
        std::map<std::string, std::string> entries = SourcesAndDestinations(script);
        const std::vector<std::string> &stored = result.Disks[0].Files;
        std::set<std::string> destinations;
        for (const auto &entry : entries) {
            for (size_t start = 0; start <= entry.first.size();) {
                size_t comma = std::min(entry.first.find(',', start), entry.first.size());
                std::string source = entry.first.substr(start, comma - start);
                EXPECT_NE(std::find(stored.begin(), stored.end(), source), stored.end()) << source;
                start = comma + 1;
            }
            destinations.insert(entry.second);
        }
        EXPECT_EQ(destinations, (std::set<std::string>{"Привет\\привет.txt", "long name file.text",
                                                       "файл.txt", "Документы\\справка.txt",
                                                       "Документы\\readme.txt", "копия.txt"}))
            << script;
        std::set<std::string> upper;
        for (const std::string &name : stored) {
            EXPECT_TRUE(IsPlainShortName(name, cd)) << name;
            EXPECT_TRUE(upper.insert(Upper(name)).second) << name << " twice";
        }
        EXPECT_EQ(upper.size(), (cd ? 4u : 3u) + 7u);  // pack's own files and seven stored ones
        EXPECT_NE(Read(work.Dir + "/out/pack-list.txt")
                      .find("\n# setup.inf and the compressed script are in code page 1251 (Cyrillic).\n"),
                  std::string::npos);
        if (cd)
            EXPECT_NE(Read(work.Dir + "/out/disk1/AUTORUN.INF")
                          .find(cyrillic.EncodeLossy("label=Программа Привет\r\n")),
                      std::string::npos);
        if (options.Images) {
            std::string listing;
            FILE *pipe = popen(("mdir -b -i '" + work.Dir + "/out/disk1.img' ::").c_str(), "r");
            char buffer[4096];
            for (size_t got; pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                listing.append(buffer, got);
            if (pipe) pclose(pipe);
            size_t names = 0;
            for (size_t at = 0; (at = listing.find("::/", at)) != std::string::npos; ++names) {
                size_t end = listing.find('\n', at);
                std::string name = listing.substr(at + 3, end - at - 3);
                EXPECT_TRUE(IsPlainShortName(name, false)) << name;
                at = end;
            }
            EXPECT_EQ(names, upper.size()) << listing;
        }
    }
}

// A file's stored name does not move when other files come and go.
TEST(PackCodePage, StoredNamesStayFromPackToPack)
{
    PackWorkspace work("pack-cp-", 30000);
    WriteCyrillicProduct(work.Dir + "/product");
    Write(work.Dir + "/product/ещё.txt", std::string(100, 'x'));
    auto storedName = [&](const std::string &files) {
        PackOptions options = work.Options("[Files]\n" + files);
        options.CodePage = 1251;
        Pack(options);
        std::map<std::string, std::string> entries =
            SourcesAndDestinations(CodePage(1251).ToUtf8(Read(work.Dir + "/out/setup.inf")));
        for (const auto &entry : entries)
            if (entry.second == "привет.txt") return entry.first;
        return std::string("none");
    };
    std::string alone = storedName("3,привет.txt,привет.txt\n");
    EXPECT_EQ(alone.size(), 12u) << alone;
    EXPECT_EQ(storedName("3,ещё.txt,ещё.txt\n3,ru/файл.txt,a.txt\n3,привет.txt,привет.txt\n"), alone);
    EXPECT_EQ(storedName("3,docs/,\n3,привет.txt,привет.txt\n"), alone);
}

TEST(PackCodePage, PlainDiskNames)
{
    struct {
        const char *Path;
        const char *Fat;
        const char *Cd;
    } cases[] = {
        {"readme.txt", "README.TXT", "README.TXT"},
        {"sub\\Setup.Ini", "SETUP.INI", "SETUP.INI"},
        {"Long Name File.text", "LONGNA~1.TEX", "LONG_NAM.TEX"},
        {"a,b.txt", "A_B~1.TXT", "A_B.TXT"},
        {"v1.2.3.zip", "V123~1.ZIP", "V1_2_3.ZIP"},
        // Any other character: a CRC-32 of the product path, '\' read as '/'.
        {"привет.txt", "7252B56D.TXT", "7252B56D.TXT"},
        {"docs/表示.txt", "237524A0.TXT", "237524A0.TXT"},
        {"docs\\表示.txt", "237524A0.TXT", "237524A0.TXT"},
        {"DOCS/表示.txt", "CD9BF2EB.TXT", "CD9BF2EB.TXT"},
        {"café", "98AD42B5", "98AD42B5"},
        {"файл.тхт", "64855B01", "64855B01"},
        {"données.a+b", "D447CB8B.A_B", "D447CB8B.A_B"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PlainDiskName(c.Path, DiskNameRule::Fat), c.Fat) << c.Path;
        EXPECT_EQ(PlainDiskName(c.Path, DiskNameRule::IsoLevel1), c.Cd) << c.Path;
    }
    // Whatever the name, the stored one is plain 8.3.
    for (const char *path : {".hidden", "...", "a b", " x.txt", "x.", "語", "x.語", "a.b.c.d",
                             "name.toolong", "😀.😀", "COM1.txt", "[x]=y;z.t"}) {
        EXPECT_TRUE(IsPlainShortName(PlainDiskName(path, DiskNameRule::Fat), false)) << path;
        EXPECT_TRUE(IsPlainShortName(PlainDiskName(path, DiskNameRule::IsoLevel1), true)) << path;
    }
}

// Two product paths with the same CRC-32 (found by a birthday search over
// random names): the second takes another name, the same one every time.
TEST(PackCodePage, GeneratedNamesThatCollideStayUnique)
{
    const std::string first = "данные/блбвдгопмвмж.dat", second = "данные/нииинмкзеежи.dat";
    ASSERT_EQ(UpdateCrc32(Crc32Start, first.data(), first.size()),
              UpdateCrc32(Crc32Start, second.data(), second.size()));
    ASSERT_EQ(PlainDiskName(first, DiskNameRule::Fat), "1944D056.DAT");
    ASSERT_EQ(PlainDiskName(second, DiskNameRule::Fat), "1944D056.DAT");
    Authoring authoring =
        ParseAuthoring("[Files]\n3," + first + ",a.dat\n3," + second + ",b.dat\n", "a");
    for (DiskNameRule rule : {DiskNameRule::Fat, DiskNameRule::IsoLevel1}) {
        std::vector<PackEntry> once = CollectEntries(authoring, "/product", NoUninstaller, rule);
        std::vector<PackEntry> again = CollectEntries(authoring, "/product", NoUninstaller, rule);
        ASSERT_EQ(once.size(), 2u);
        EXPECT_EQ(once[0].Parts[0].DiskName, "1944D056.DA_");
        EXPECT_EQ(once[1].Parts[0].DiskName, rule == DiskNameRule::Fat ? "1944D0~1.DA_" : "1944D0_1.DA_");
        EXPECT_EQ(once[1].Parts[0].DiskName, again[1].Parts[0].DiskName);
        for (const PackEntry &entry : once)
            EXPECT_TRUE(IsPlainShortName(entry.Parts[0].DiskName, rule == DiskNameRule::IsoLevel1))
                << entry.Parts[0].DiskName;
    }
}

// A Dir<n> holds 31 bytes of the code page, not of UTF-8.
TEST(PackCodePage, SubDirLengthsCountTheCodePage)
{
    std::string thirty, thirtyTwo;
    for (int i = 0; i < 30; ++i) thirty += "ж";
    thirtyTwo = thirty + "жж";
    Authoring fits = ParseAuthoring("[Files]\n3,a.txt," + thirty + "\\a.txt\n", "a");
    DeriveSubDirs(fits, CodePage(1251));
    ASSERT_EQ(fits.SubDirs.size(), 1u);
    EXPECT_EQ(fits.SubDirs[0].Value, thirty);
    Authoring tooLong = ParseAuthoring("[Files]\n3,a.txt," + thirtyTwo + "\\a.txt\n", "a");
    try {
        DeriveSubDirs(tooLong, CodePage(1251));
        ADD_FAILURE() << "accepted 32 bytes";
    } catch (const Error &error) {
        EXPECT_NE(std::string(error.what()).find("a:2: the directory"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("of 32 characters"), std::string::npos) << error.what();
    }
}

// check on an authoring file reports what the code page cannot hold at its
// line, and nothing that follows from the stand-in characters.
TEST(PackCodePage, CheckOnAnAuthoringFile)
{
    const std::string text = "[Title]\nDlgTitle=Привет\n[Files]\n3,файл.txt,файл.txt\n";
    EXPECT_TRUE(CheckAuthoring(text, "a", "", CodePage(1251)).empty());
    std::vector<Diagnostic> found = CheckAuthoring(text, "a");
    std::string reports;
    for (const Diagnostic &d : found) reports += FormatDiagnostic("a", d) + "\n";
    EXPECT_EQ(reports,
              "a:2: error: 'П' (U+041F) is not in code page 1252 (Western European)\n"
              "a:4: error: 'ф' (U+0444) is not in code page 1252 (Western European)\n");
}

namespace {

// UninstallString names the record SETUP.EXE will write: the name comes from
// the title's bytes in the script's code page, as SETUP.EXE reads them, not
// from its UTF-8 in the authoring file.
TEST(PackCodePage, UninstallStringNamesTheRecordOfTheTitleInTheCodePage)
{
    struct {
        int CodePage;
        const char *Title;
    } cases[] = {{1252, "Demo Product"}, {1252, "Café Demo"}, {1251, "Программа Привет"},
                 {932, "ソフト表示"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Title);
        const CodePage codePage(c.CodePage);
        Authoring authoring =
            ParseAuthoring(std::string("[Title]\nDlgTitle=") + c.Title + "\n", "setup.auth");
        AddUninstaller(authoring, "UNINST.EXE", codePage);
        char expected[RecordNameSize];
        ASSERT_TRUE(FormatProductFileName(codePage.EncodeLossy(c.Title).c_str(), RecordExtension,
                                          expected, sizeof expected));
        std::string uninstall;
        for (const AuthoredRegistryEntry &entry : authoring.Registry)
            if (entry.Value.Value.rfind("UninstallString,", 0) == 0) uninstall = entry.Value.Value;
        EXPECT_EQ("UninstallString,#s\\UNINST.EXE " + std::string(expected), uninstall);
    }
}

}  // namespace
