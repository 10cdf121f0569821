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

TEST(Digits, OnlyTheFirstCharacterCounts)
{
    EXPECT_EQ(1, ParseLeadingDigit("12,x"));
    EXPECT_EQ(0, ParseLeadingDigit("0"));
    EXPECT_EQ(9, ParseLeadingDigit("9;"));
    EXPECT_EQ(-1, ParseLeadingDigit("X,A"));
    EXPECT_EQ(-1, ParseLeadingDigit(""));
    EXPECT_EQ(-1, ParseLeadingDigit("-1"));
}

TEST(FileEntries, SplitByTheirForm)
{
    struct Case {
        const char *text;
        bool ok;
        int type;
        const char *source, *other, *destination;
    } cases[] = {
        {"3,PROG.EX_,PROG.EXE", true, 3, "PROG.EX_", "", "PROG.EXE"},
        {"X,A.TXT,B.TXT", true, 2, "A.TXT", "", "B.TXT"},
        {"3;A.TXT,B.TXT", true, 3, "A.TXT", "", "B.TXT"},
        {"12A,B", true, 1, "A", "", "B"},
        {"3,A,B,C", true, 3, "A,B", "", "C"},
        {"6,RU.TX_,EN.TX_,README.TXT", true, 6, "RU.TX_", "EN.TX_", "README.TXT"},
        {"6,A,B,C,D", true, 6, "A,B", "C", "D"},
        {"3,SUB\\A.TX_,SUB\\A.TXT", true, 3, "SUB\\A.TX_", "", "SUB\\A.TXT"},
        {"0,A,B", true, 0, "A", "", "B"},
        {"", false, 0, "", "", ""},
        {"3,", false, 3, "", "", ""},
        {"3,AB", false, 3, "", "", ""},
        {"3,A,", false, 3, "", "", ""},
        {"6,A,B", false, 6, "", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FileEntry entry;
        EXPECT_EQ(c.ok, ParseFileEntry(c.text, &entry));
        if (!c.ok) continue;
        EXPECT_EQ(c.type, entry.Type);
        EXPECT_STREQ(c.source, entry.Source);
        EXPECT_STREQ(c.other, entry.OtherSource);
        EXPECT_STREQ(c.destination, entry.Destination);
    }
}

TEST(RegistryEntries, KeysTakeRootAndSubkey)
{
    struct Case {
        const char *text;
        bool ok;
        int root;
        const char *subkey;
    } cases[] = {
        {"2,Software\\Example\\Settings", true, 2, "Software\\Example\\Settings"},
        {"0,.abc", true, 0, ".abc"},
        {"3,A,B", true, 3, "A,B"},
        {"21Software", true, 2, "Software"},
        {"1,NULL", true, 1, ""},
        {"1,Null", true, 1, "Null"},
        {"1,", true, 1, ""},
        {"2", false, 0, ""},
        {"", false, 0, ""},
        {"X,Software", false, 0, ""},
        {"4,Software", false, 0, ""},
        {"9,Software", false, 0, ""},
        {"-1,Software", false, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        RegKeyEntry entry;
        EXPECT_EQ(c.ok, ParseRegKey(c.text, &entry));
        if (!c.ok) continue;
        EXPECT_EQ(c.root, entry.Root);
        EXPECT_STREQ(c.subkey, entry.Subkey);
    }
}

TEST(RegistryEntries, ValuesSplitAtTheFirstComma)
{
    struct Case {
        const char *text;
        bool ok;
        const char *name, *data;
    } cases[] = {
        {"NULL,#s\\PROG.EXE", true, "", "#s\\PROG.EXE"},
        {"Path,C:\\A,B", true, "Path", "C:\\A,B"},
        {"Name,a,b,c", true, "Name", "a,b,c"},
        {"Name,NULL", true, "Name", ""},
        {"Name,Null", true, "Name", "Null"},
        {"Name,null", true, "Name", "null"},
        {"NULL,NULL", true, "", ""},
        {",", true, "", ""},
        {"NoComma", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        RegValEntry entry;
        EXPECT_EQ(c.ok, ParseRegVal(c.text, &entry));
        if (!c.ok) continue;
        EXPECT_STREQ(c.name, entry.Name);
        EXPECT_STREQ(c.data, entry.Data);
    }
}

TEST(IniEntries, SplitFromTheRight)
{
    struct Case {
        const char *text;
        bool ok;
        const char *section, *key, *value;
    } cases[] = {
        {"Extensions,abc,#s\\PROG.EXE ^.abc", true, "Extensions", "abc", "#s\\PROG.EXE ^.abc"},
        {"a,b,c,key,value", true, "a,b,c", "key", "value"},
        {"Sect,key,", true, "Sect", "key", ""},
        {"NULL,NULL,NULL", true, "NULL", "NULL", "NULL"},
        {",,", true, "", "", ""},
        {"Sect,value", false, "", "", ""},
        {"nocomma", false, "", "", ""},
        {"", false, "", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        IniEntry entry;
        EXPECT_EQ(c.ok, ParseIniKey(c.text, &entry));
        if (!c.ok) continue;
        EXPECT_STREQ(c.section, entry.Section);
        EXPECT_STREQ(c.key, entry.Key);
        EXPECT_STREQ(c.value, entry.Value);
    }
}

TEST(GroupItems, SplitAtTheFirstComma)
{
    struct Case {
        const char *text;
        bool ok;
        const char *command, *name;
    } cases[] = {
        {"PROG.EXE,My Program", true, "PROG.EXE", "My Program"},
        {"PROG.EXE,Name, with comma", true, "PROG.EXE", "Name, with comma"},
        {"NULL,NULL", true, "NULL", "NULL"},
        {"PROG.EXE", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ItemEntry entry;
        EXPECT_EQ(c.ok, ParseItem(c.text, &entry));
        if (!c.ok) continue;
        EXPECT_STREQ(c.command, entry.CommandFile);
        EXPECT_STREQ(c.name, entry.Name);
    }
}

}  // namespace
