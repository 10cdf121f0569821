// The splits of the script's compound values and the digit and NULL rules.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/entries.h"

namespace {

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

// Every type from 1 to the last has a rule, and none else; a rule's source
// count is the number of sources its entries split into, and exactly the
// types that write below the install directory count toward SizeInst.
TEST(FileEntries, RulesAgreeWithTheSplitAndEachOther)
{
    for (int type : {-1, 0, LastFileEntryType + 1, 9, 10})
        EXPECT_EQ(nullptr, FindFileEntryRule(type)) << type;
    for (int type = 1; type <= LastFileEntryType; ++type) {
        SCOPED_TRACE(type);
        const FileEntryRule *rule = FindFileEntryRule(type);
        ASSERT_NE(nullptr, rule);
        EXPECT_EQ(type, rule->Type);
        std::string two = std::to_string(type) + ",A,B,C";
        FileEntry entry;
        ASSERT_TRUE(ParseFileEntry(two.c_str(), &entry));
        EXPECT_STREQ(rule->SourceCount > 1 ? "A" : "A,B", entry.Source);
        EXPECT_STREQ(rule->SourceCount > 1 ? "B" : "", entry.OtherSource);
        EXPECT_EQ(rule->CountsTowardSizeInst, rule->DestinationDir == InInstallDir);
    }
}

// A check value gives its pairs in source order; anything else than the
// exact form checks nothing, so a damaged value only costs the rewrite.
TEST(FileChecks, PairsInSourceOrderAndNothingElse)
{
    struct Case {
        const char *text;
        int which;
        bool ok;
        unsigned long size, crc;
    } cases[] = {
        {"3000,0a1B2c3D", 0, true, 3000, 0x0a1b2c3d},
        {"0,0", 0, true, 0, 0},
        {"4294967295,ffffffff", 0, true, 4294967295ul, 0xffffffff},
        {"700,1,900,abc", 0, true, 700, 1},
        {"700,1,900,abc", 1, true, 900, 0xabc},
        {"700,1", 1, false, 0, 0},
        {"4294967296,1", 0, false, 0, 0},
        {"1,100000000", 0, false, 0, 0},
        {"", 0, false, 0, 0},
        {"12", 0, false, 0, 0},
        {"12,", 0, false, 0, 0},
        {",12", 0, false, 0, 0},
        {" 12,1", 0, false, 0, 0},
        {"-12,1", 0, false, 0, 0},
        {"12,0x1", 0, false, 0, 0},
        {"12,1 ", 0, false, 0, 0},
        {"1a,1", 0, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " pair " + std::to_string(c.which));
        FileCheck check = {0, 0};
        ASSERT_EQ(c.ok, ParseFileCheck(c.text, c.which, &check));
        if (!c.ok) continue;
        EXPECT_EQ(c.size, check.Size);
        EXPECT_EQ(c.crc, check.Crc32);
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
