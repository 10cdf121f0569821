// Script reads through the real profile functions, and the splits of the
// compound values.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/script.h"
#include "support.h"

namespace {

struct ScriptReads : ::testing::Test {
    std::string dir;
    void SetUp() override
    {
        ResetSetupState();
        dir = ScratchDir("script");
    }
    void UseScript(const char *name, const std::string *content)
    {
        std::string path = dir + "\\" + name;
        if (content) WriteWholeFile(path, *content);
        strcpy(::Setup.ScriptPath, path.c_str());
    }
};

TEST_F(ScriptReads, DefaultsWithNoFileEmptyFileAndMissingKey)
{
    std::string empty, other = "[Title]\r\nOther=1\r\n";
    struct { const char *name; const std::string *content; } cases[] = {
        {"missing.inf", 0}, {"empty.inf", &empty}, {"other.inf", &other}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        UseScript(c.name, c.content);
        char text[InstalDirLimit];
        memset(text, 'X', sizeof text);
        ReadScriptKey(KeyInstalDir, text);
        EXPECT_STREQ("", text);
        ReadScriptKey(KeyDlgTitle, text);
        EXPECT_STREQ("", text);
        EXPECT_EQ(0, ReadScriptKey(KeySizeInst));
        EXPECT_EQ(1, ReadScriptKey(KeyNumberDisk));
        EXPECT_EQ(0, ReadScriptKey(KeyNumberDirs));
        EXPECT_EQ(0, ReadScriptKey(KeyNumberReg));
        EXPECT_EQ(0, ReadScriptKey(KeyNumberIni));
        EXPECT_EQ(0, ReadScriptKey(KeyNumberItem));
        EXPECT_EQ(0, ReadDiskFileCount(1));
        char entry[FileEntryLimit];
        ReadDiskFileEntry(1, 1, entry);
        EXPECT_STREQ("", entry);
    }
}

TEST_F(ScriptReads, LongValuesAreCutAtLimitMinusOne)
{
    std::string title(150, 'T'), dir(40, 'D'), entry = "3," + std::string(120, 'S') + ",x";
    std::string script = "[Title]\r\nDlgTitle=" + title + "\r\n[SubDir]\r\nDir1=" + dir +
                         "\r\nDir2=" + std::string(31, 'd') + "\r\n[Disk1]\r\nfile1=" + entry +
                         "\r\n";
    UseScript("long.inf", &script);

    char text[DlgTitleLimit];
    ReadScriptKey(KeyDlgTitle, text);
    EXPECT_EQ(std::string(99, 'T'), text);

    // A sub-directory name lands in a 32-character buffer: nothing may be
    // written past it, and 31 characters still fit whole.
    char dirName[DirNameLimit + 8];
    memset(dirName, 'X', sizeof dirName);
    ReadNumberedKey(KeyDir, 1, dirName);
    EXPECT_EQ(std::string(31, 'D'), dirName);
    for (size_t i = DirNameLimit; i < sizeof dirName; ++i) EXPECT_EQ('X', dirName[i]) << i;
    ReadNumberedKey(KeyDir, 2, dirName);
    EXPECT_EQ(std::string(31, 'd'), dirName);

    char file[FileEntryLimit];
    ReadDiskFileEntry(1, 1, file);
    EXPECT_EQ(entry.substr(0, 99), file);

    // The raw read never exceeds the capacity, even with a larger limit.
    char small[10];
    memset(small, 'X', sizeof small);
    ReadScriptString(SectionTitle, "DlgTitle", small, 100, 6);
    EXPECT_STREQ("TTTTT", small);
    EXPECT_EQ('X', small[6]);
}

TEST_F(ScriptReads, NamesMatchInAnyCaseAndCountsReadAsSigned)
{
    std::string script =
        "[title]\r\nNUMBERDISK=0\r\ndlgtitle=Demo\r\n[DISK1]\r\nnumberfiles=-1\r\nFILE1=3,A,B\r\n"
        "[subdir]\r\nnumberdirs=-1\r\n";
    UseScript("case.inf", &script);
    EXPECT_EQ(0, ReadScriptKey(KeyNumberDisk));
    EXPECT_EQ(-1, ReadDiskFileCount(1));
    EXPECT_EQ(-1, ReadScriptKey(KeyNumberDirs));
    char text[DlgTitleLimit];
    ReadScriptKey(KeyDlgTitle, text);
    EXPECT_STREQ("Demo", text);
    char entry[FileEntryLimit];
    ReadDiskFileEntry(1, 1, entry);
    EXPECT_STREQ("3,A,B", entry);
}

TEST_F(ScriptReads, CountsAboveTheirMaximumReadAsTheMaximum)
{
    std::string script =
        "[Title]\r\nNumberDisk=2147483647\r\n[Disk1]\r\nNumberFiles=4000000000\r\n"
        "[SubDir]\r\nNumberDirs=1000\r\n[Register]\r\nNumberReg=1001\r\n"
        "[WinIni]\r\nNumberIni=99999\r\n[WinGroup]\r\nNumberItem=-5\r\n";
    UseScript("counts.inf", &script);
    EXPECT_EQ(MaxNumberDisk, ReadScriptKey(KeyNumberDisk));
    // 4000000000 reads as a negative 32-bit value: no entries at all.
    EXPECT_GE(MaxNumberFiles, ReadDiskFileCount(1));
    EXPECT_EQ(1000, ReadScriptKey(KeyNumberDirs));
    EXPECT_EQ(MaxNumberReg, ReadScriptKey(KeyNumberReg));
    EXPECT_EQ(MaxNumberIni, ReadScriptKey(KeyNumberIni));
    EXPECT_EQ(-5, ReadScriptKey(KeyNumberItem));
}

TEST(NumberedNames, DecimalWithoutLeadingZeros)
{
    char name[16];
    FormatNumberedName(name, sizeof name, DiskNameFormat, 1);
    EXPECT_STREQ("Disk1", name);
    FormatNumberedName(name, sizeof name, FileKeyFormat, 10);
    EXPECT_STREQ("file10", name);
    FormatNumberedName(name, sizeof name, RegValFormat, 2);
    EXPECT_STREQ("regVal2", name);
}

}  // namespace
