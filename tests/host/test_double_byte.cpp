// Names in the double-byte code pages: no scan takes the second byte of a
// character for a backslash or a bracket, no case fold changes it, and no
// cut leaves half a character. Each case names its code page; the cases run
// with that code page's lead-byte test and, where the single-byte reading
// differs, show that it does.
#include <gtest/gtest.h>
#include <iconv.h>
#include <string.h>

#include <string>
#include <vector>

#include "code_pages.h"
#include "core/display_path.h"
#include "core/install_record.h"
#include "core/log_reader.h"
#include "core/names.h"
#include "core/paths.h"
#include "core/record_rules.h"
#include "core/text.h"
#include "core/uninstall_text.h"
#include "core/wininit_text.h"
#include "tools/shelldde/commands.h"

namespace {

LeadByteTest TestOf(int codePage)
{
    for (const CodePage &page : CodePages)
        if (page.Number == codePage) return page.Test;
    ADD_FAILURE() << "no code page " << codePage;
    return 0;
}

// The text in UTF-8 as glibc's iconv reads it in the code page; empty when
// it is not valid there.
std::string ToUtf8(int codePage, const std::string &text)
{
    std::string name = "CP" + std::to_string(codePage);
    iconv_t convert = iconv_open("UTF-8", name.c_str());
    if (convert == (iconv_t)-1) return "";
    std::vector<char> out(text.size() * 4 + 4);
    char *in = const_cast<char *>(text.data()), *at = out.data();
    size_t inLeft = text.size(), outLeft = out.size();
    size_t done = iconv(convert, &in, &inLeft, &at, &outLeft);
    iconv_close(convert);
    if (done == (size_t)-1 || inLeft) return "";
    return std::string(out.data(), at);
}

TEST(DoubleByte, SamplesAreTheCodePagesCharacters)
{
    struct Case {
        int CodePage;
        const char *Bytes, *Utf8;
    } cases[] = {
        {932, Cp932Hyou, "表"}, {932, Cp932So, "ソ"},   {932, Cp932Nou, "能"},
        {932, Cp932Po, "ポ"},   {932, Cp932A, "ア"},    {932, Cp932Di, "ヂ"},
        {936, Cp936Jou, "乗"},  {936, Cp936Qian, "淺"}, {936, Cp936Yi, "億"},
        {936, Cp936Dong, "東"}, {936, Cp936Shang, "丄"}, {936, Cp936Upper, "乤"},
        {949, Cp949Gak, "갂"},  {949, Cp949Gat, "갵"},  {949, Cp949Gaz, "갴"},
        {950, Cp950Xu, "許"},   {950, Cp950Gong, "功"}, {950, Cp950Hui, "會"},
        {950, Cp950Si, "四"},   {950, Cp950Yi, "乙"},   {950, Cp950Wu, "兀"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.Utf8, ToUtf8(c.CodePage, c.Bytes)) << c.CodePage << " " << c.Utf8;
        EXPECT_TRUE(TestOf(c.CodePage)((unsigned char)c.Bytes[0])) << c.CodePage << " " << c.Utf8;
        // Every lead byte of the code page, and no byte below 0x81.
        for (int b = 0; b < 0x81; ++b)
            EXPECT_FALSE(TestOf(c.CodePage)((unsigned char)b)) << c.CodePage << " " << b;
    }
}

TEST(DoubleByte, ScansStepOverTheSecondByte)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Text;
        int First, Last;  // FindChar and FindLastChar of a backslash: offsets, -1 none
    } cases[] = {
        {"single-byte reads a backslash", 1252, "C:\\" Cp932Hyou, 2, 4},
        {"second byte 0x5C", 932, "C:\\" Cp932Hyou, 2, 2},
        {"two of them", 932, Cp932So Cp932Nou, -1, -1},
        {"then a backslash", 932, Cp932So "\\x", 2, 2},
        {"lead byte at the end", 932, "a\\\x95", 1, 1},
        {"936", 936, Cp936Jou "\\" Cp936Qian, 2, 2},
        {"949 letters", 949, Cp949Gaz "\\" Cp949Gak, 2, 2},
        {"950", 950, "D:\\" Cp950Xu Cp950Gong, 2, 2},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        const char *first = FindChar(c.Text, '\\'), *last = FindLastChar(c.Text, '\\');
        EXPECT_EQ(c.First, first ? (int)(first - c.Text) : -1) << c.What;
        EXPECT_EQ(c.Last, last ? (int)(last - c.Text) : -1) << c.What;
        // The walk ends on the terminator, never past it.
        const char *at = c.Text;
        while (*at) at = NextChar(at);
        EXPECT_EQ(strlen(c.Text), (size_t)(at - c.Text)) << c.What;
    }
}

TEST(DoubleByte, CutsNeverLeaveHalfACharacter)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Source;
        size_t Capacity;
        const char *Expected;
    } cases[] = {
        {"single-byte cuts at the byte", 1252, "ab" Cp932Hyou, 4, "ab\x95"},
        {"932 cuts before the character", 932, "ab" Cp932Hyou, 4, "ab"},
        {"932 fits whole", 932, "ab" Cp932Hyou, 5, "ab" Cp932Hyou},
        {"932 after a whole one", 932, Cp932So Cp932Po "x", 4, Cp932So},
        {"936", 936, "a" Cp936Jou Cp936Yi, 5, "a" Cp936Jou},
        {"950", 950, Cp950Xu, 2, ""},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        char dest[16];
        memset(dest, 'M', sizeof dest);
        EXPECT_EQ(strlen(c.Source) < c.Capacity, CopyText(dest, c.Capacity, c.Source)) << c.What;
        EXPECT_STREQ(c.Expected, dest) << c.What;
    }
}

TEST(DoubleByte, SubstitutionCutEndsTheValue)
{
    // The second placeholder's directory would fit a byte where the
    // character before it did not: nothing is added after the cut.
    const std::string directory(253, 'd');
    struct Case {
        const char *What;
        int CodePage;
        std::string Expected;
    } cases[] = {
        {"single-byte", 1252, directory + "\\\x95"},
        {"932", 932, directory + "\\"},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        char value[SubstitutedValueSize];
        strcpy(value, "#s\\" Cp932Hyou "#s\\");
        SubstituteInstallDir(value, directory.c_str());
        EXPECT_EQ(c.Expected, value) << c.What;
    }
}

TEST(DoubleByte, CaseFoldLeavesTheSecondByte)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *A, *B;
        bool Same;
    } cases[] = {
        {"single-byte folds every byte", 1252, Cp932A, Cp932Di, true},
        {"932: two characters", 932, Cp932A, Cp932Di, false},
        {"932: ASCII around them folds", 932, "C:\\APP\\" Cp932A ".TXT", "c:\\app\\" Cp932A ".txt",
         true},
        {"936", 936, "x" Cp936Shang, "X" Cp936Upper, false},
        {"949", 949, Cp949Gak "A", Cp949Gat "a", false},
        {"949 same", 949, Cp949Gaz "Z", Cp949Gaz "z", true},
        {"950", 950, Cp950Yi, Cp950Wu, false},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        EXPECT_EQ(c.Same, SameFolded(c.A, c.B)) << c.What;
        EXPECT_EQ(c.Same, strlen(c.A) == strlen(c.B) && SameFoldedRange(c.A, c.B, strlen(c.A)))
            << c.What;
        // The install record merges entries by the same comparison.
        RecordEntry a, b;
        StartRecordEntry(&a, RecordFile);
        StartRecordEntry(&b, RecordFile);
        strcpy(a.Text, c.A);
        strcpy(b.Text, c.B);
        EXPECT_EQ(c.Same, SameRecordSubject(&a, &b)) << c.What;
        if (c.Same) EXPECT_EQ(RecordSubjectHash(&a), RecordSubjectHash(&b)) << c.What;
    }
}

TEST(DoubleByte, PathsJoinAndSplitAtBackslashesOnly)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Module, *SourceDir;
        const char *Path;
        std::vector<std::string> Levels;
    } cases[] = {
        {"single-byte splits the character", 1252, "A:\\" Cp932So, "A:\\\x83", "C:\\" Cp932Hyou "x",
         {"C:\\\x95", "C:\\" Cp932Hyou "x"}},
        {"932", 932, "A:\\" Cp932So, "A:", "C:\\" Cp932Hyou "x", {"C:\\" Cp932Hyou "x"}},
        {"932 deeper", 932, "C:\\" Cp932Hyou "\\SETUP.EXE", "C:\\" Cp932Hyou,
         "C:\\" Cp932Hyou "\\" Cp932Nou "\\" Cp932Po,
         {"C:\\" Cp932Hyou, "C:\\" Cp932Hyou "\\" Cp932Nou,
          "C:\\" Cp932Hyou "\\" Cp932Nou "\\" Cp932Po}},
        {"932 share", 932, Cp932So, ".", "\\\\" Cp932So "\\s\\d", {"\\\\" Cp932So "\\s\\d"}},
        {"936", 936, "D:\\" Cp936Qian "\\" Cp936Jou, "D:\\" Cp936Qian, Cp936Jou "\\" Cp936Yi,
         {Cp936Jou, Cp936Jou "\\" Cp936Yi}},
        {"950", 950, "E:\\" Cp950Gong "\\A.EXE", "E:\\" Cp950Gong, "E:\\" Cp950Xu "\\",
         {"E:\\" Cp950Xu}},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        char module[150];
        strcpy(module, c.Module);
        DeriveSourceDir(module);
        EXPECT_STREQ(c.SourceDir, module) << c.What;
        std::vector<std::string> levels;
        for (size_t end = NextDirectoryLevel(c.Path, 0); end; end = NextDirectoryLevel(c.Path, end))
            levels.push_back(std::string(c.Path, end));
        EXPECT_EQ(c.Levels, levels) << c.What;
    }
}

TEST(DoubleByte, NameRulesReadWholeCharacters)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Name;
        bool Contained, Device;
    } cases[] = {
        {"single-byte reads a device", 1252, Cp932Nou "CON", false, true},
        {"932: one component", 932, Cp932Nou "CON", true, false},
        {"932: a device after it", 932, Cp932Nou "\\CON.txt", false, true},
        {"single-byte reads a parent", 1252, Cp932So "..", false, false},
        {"932: a name ending in dots", 932, Cp932So "..", true, false},
        {"932: a parent after it", 932, Cp932So "\\..\\x", false, false},
        {"932: a bar", 932, "a\\" Cp932Po ".txt", true, false},
        {"936", 936, Cp936Jou "AUX", true, false},
        {"950", 950, Cp950Xu "NUL\\" Cp950Gong, true, false},
        {"950 device", 950, Cp950Xu "\\NUL", false, true},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        EXPECT_EQ(c.Contained, IsContainedName(c.Name)) << c.What;
        EXPECT_EQ(c.Device, HasDeviceComponent(c.Name)) << c.What;
    }
}

// Hands out each prefix's last component in brackets, and keeps the prefixes.
bool Bracketed(void *context, const char *prefix, char *name, size_t capacity)
{
    static_cast<std::vector<std::string> *>(context)->push_back(prefix);
    const char *last = FindLastChar(prefix, '\\');
    snprintf(name, capacity, "[%s]", last ? last + 1 : prefix);
    return true;
}

TEST(DoubleByte, DisplayPath)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Path, *Display;
        std::vector<std::string> Prefixes;
    } cases[] = {
        {"932", 932, "C:\\" Cp932Hyou "\\" Cp932So, "C:\\[" Cp932Hyou "]\\[" Cp932So "]\\",
         {"C:\\" Cp932Hyou, "C:\\" Cp932Hyou "\\" Cp932So}},
        {"932 first component of one character", 932, "C:\\" Cp932Nou,
         "C:\\[" Cp932Nou "]\\", {"C:\\" Cp932Nou}},
        {"932 doubled backslash", 932, "C:\\" Cp932Po "\\\\x", "C:\\[" Cp932Po "]\\[x]\\",
         {"C:\\" Cp932Po, "C:\\" Cp932Po "\\\\x"}},
        {"936", 936, "D:\\a" Cp936Qian "\\", "D:\\[a" Cp936Qian "]\\", {"D:\\a" Cp936Qian}},
        {"949", 949, "D:\\" Cp949Gaz, "D:\\[" Cp949Gaz "]\\", {"D:\\" Cp949Gaz}},
        {"950", 950, "E:\\" Cp950Gong Cp950Xu, "E:\\[" Cp950Gong Cp950Xu "]\\",
         {"E:\\" Cp950Gong Cp950Xu}},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        char path[DisplayPathSize];
        strcpy(path, c.Path);
        std::vector<std::string> prefixes;
        EXPECT_TRUE(MakeDisplayPathWith(path, Bracketed, &prefixes)) << c.What;
        EXPECT_STREQ(c.Display, path) << c.What;
        EXPECT_EQ(c.Prefixes, prefixes) << c.What;
    }
}

// The directory page reads the free space of the first three characters.
TEST(DoubleByte, RootIsThreeWholeCharacters)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Text, *Root;
    } cases[] = {
        {"single-byte", 1252, "C:" Cp932Nou "x", "C:\x94"},
        {"932 drive", 932, "C:\\" Cp932Hyou, "C:\\"},
        {"932 character third", 932, "C:" Cp932Nou "x", "C:" Cp932Nou},
        {"932 short", 932, Cp932So, Cp932So},
        {"empty", 932, "", ""},
        {"950 characters only", 950, Cp950Xu Cp950Gong Cp950Hui Cp950Si,
         Cp950Xu Cp950Gong Cp950Hui},
        {"936 lead byte at the end", 936, "a\x81", "a\x81"},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        EXPECT_EQ(std::string(c.Root), std::string(c.Text, DriveRootSize(c.Text))) << c.What;
    }
}

TEST(DoubleByte, UninstallerPathRules)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Path, *Dir;
        bool Inside, AtOrInside;
        int Depth;  // of Path
    } cases[] = {
        {"single-byte takes the second byte for a separator", 1252, "C:\\" Cp932So "b",
         "C:\\" Cp932So, true, true, 3},
        {"932: another name", 932, "C:\\" Cp932So "b", "C:\\" Cp932So, false, false, 2},
        {"932: inside", 932, "C:\\" Cp932So "\\b", "C:\\" Cp932So, true, true, 3},
        {"932: itself", 932, "C:\\" Cp932Hyou "\\", "c:\\" Cp932Hyou, false, true, 2},
        {"932: folded ASCII", 932, "c:\\APP" Cp932Po "\\X", "C:\\app" Cp932Po "\\", true, true, 3},
        {"932: second bytes A and a differ", 932, "C:\\" Cp932Di "\\f", "C:\\" Cp932A, false,
         false, 3},
        {"single-byte folds them", 1252, "C:\\" Cp932Di "\\f", "C:\\" Cp932A, true, true, 3},
        {"936", 936, "D:\\" Cp936Jou "x\\y", "D:\\" Cp936Jou, false, false, 3},
        {"949", 949, "D:\\" Cp949Gat "\\y", "D:\\" Cp949Gak, false, false, 3},
        {"950", 950, "E:\\" Cp950Xu "\\..\\z", "E:\\" Cp950Xu, false, false, 4},
        {"950 inside", 950, "E:\\" Cp950Xu "\\" Cp950Hui, "E:\\" Cp950Xu, true, true, 3},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        EXPECT_EQ(c.Inside, PathIsInside(c.Path, c.Dir)) << c.What;
        EXPECT_EQ(c.AtOrInside, PathIsAtOrInside(c.Path, c.Dir)) << c.What;
        EXPECT_EQ(c.Depth, PathDepth(c.Path)) << c.What;
    }
}

TEST(DoubleByte, RegistryKeysToRemove)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Key, *Created;
        std::vector<std::string> Keys;
    } cases[] = {
        {"932", 932, "Software\\" Cp932Hyou "\\Sub", "Software\\" Cp932Hyou,
         {"Software\\" Cp932Hyou "\\Sub", "Software\\" Cp932Hyou}},
        {"932: second byte is no key separator", 932, "Software\\" Cp932Hyou "x",
         "Software\\\x95", {}},
        {"936", 936, "S\\" Cp936Jou "\\" Cp936Qian, "S",
         {"S\\" Cp936Jou "\\" Cp936Qian, "S\\" Cp936Jou, "S"}},
        {"949: the created key folds ASCII only", 949, "S\\" Cp949Gak, "s\\" Cp949Gat, {}},
        {"950", 950, "S\\" Cp950Gong "\\" Cp950Xu, "s\\" Cp950Gong,
         {"S\\" Cp950Gong "\\" Cp950Xu, "S\\" Cp950Gong}},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        RecordEntry entry;
        StartRecordEntry(&entry, RecordReg);
        strcpy(entry.Text, c.Key);
        strcpy(entry.CreatedKey, c.Created);
        char keys[8][RecordTextSize];
        int count = KeysToRemove(&entry, keys, 8);
        EXPECT_EQ(c.Keys, std::vector<std::string>(keys, keys + count)) << c.What;
    }
}

TEST(DoubleByte, LogAndRecordKeepNamesWhole)
{
    struct Case {
        int CodePage;
        const char *Name;
    } cases[] = {
        {932, "C:\\" Cp932Hyou "\\" Cp932So}, {932, "C:\\" Cp932Po " " Cp932Nou},
        {936, "C:\\" Cp936Jou "\\" Cp936Dong}, {949, "C:\\" Cp949Gaz "\\" Cp949Gak},
        {950, "C:\\" Cp950Xu "\\" Cp950Hui},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        std::string log = std::string("*** Installation Started 01/02/03 04:05 ***\r\nFile Copy: ") +
                          c.Name + "\r\nMade Dir: " + c.Name + "\\\r\n";
        LogCursor cursor = {log.data(), log.size(), 0};
        LogRecord record;
        ASSERT_TRUE(NextLogRecord(&cursor, &record, 0)) << c.Name;
        EXPECT_STREQ(c.Name, record.Text) << c.CodePage;
        ASSERT_TRUE(NextLogRecord(&cursor, &record, 0)) << c.Name;
        EXPECT_EQ(std::string(c.Name) + "\\", record.Text) << c.CodePage;

        RecordEntry entry, back;
        StartRecordEntry(&entry, RecordItem);
        strcpy(entry.Text, c.Name);
        strcpy(entry.Name, c.Name + 3);
        char line[RecordLineSize];
        ASSERT_TRUE(FormatRecordLine(&entry, line, sizeof line)) << c.CodePage;
        ASSERT_TRUE(ParseRecordLine(line, strlen(line) - 2, &back)) << line;
        EXPECT_STREQ(c.Name, back.Text) << c.CodePage;
        EXPECT_STREQ(c.Name + 3, back.Name) << c.CodePage;
    }
}

TEST(DoubleByte, WininitText)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Text, *Path;
        bool Has;
    } cases[] = {
        {"932: the path as written", 932, "[rename]\r\nNUL=C:\\" Cp932So "\\A.TXT\r\n",
         "c:\\" Cp932So "\\a.txt", true},
        {"932: second bytes A and a differ", 932, "[rename]\r\nNUL=C:\\" Cp932A "\r\n",
         "C:\\" Cp932Di, false},
        {"single-byte folds them", 1252, "[rename]\r\nNUL=C:\\" Cp932A "\r\n", "C:\\" Cp932Di,
         true},
        // 0x83 0x5D is a character, no closing bracket: no header ends the section.
        {"932: no header", 932, "[rename]\r\n[\x83]\r\nNUL=x\r\n", "x", true},
        {"single-byte reads a header", 1252, "[rename]\r\n[\x83]\r\nNUL=x\r\n", "x", false},
        {"950", 950, "[Rename]\r\nnul = E:\\" Cp950Xu "\r\n", "E:\\" Cp950Xu, true},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        EXPECT_EQ(c.Has, WininitHasDeletion(c.Text, strlen(c.Text), c.Path)) << c.What;
        // Adding the deletion again leaves a text that has it unchanged.
        char edited[256];
        size_t size = AddWininitDeletion(c.Text, strlen(c.Text), c.Path, edited, sizeof edited);
        ASSERT_NE(0u, size) << c.What;
        EXPECT_EQ(c.Has, strcmp(edited, c.Text) == 0) << c.What;
        EXPECT_TRUE(WininitHasDeletion(edited, size, c.Path)) << c.What;
    }
}

// The shell server's group and link names.
TEST(DoubleByte, ShellServerFileNames)
{
    struct Case {
        const char *What;
        int CodePage;
        const char *Name, *File;
    } cases[] = {
        {"single-byte", 1252, Cp932So "x", "\x83_x"},
        {"932", 932, Cp932So Cp932Hyou "|" Cp932Po, Cp932So Cp932Hyou "_" Cp932Po},
        {"932 lead byte at the end", 932, "a\x83", "a\x83"},
        {"950", 950, Cp950Xu "\\", Cp950Xu "_"},
    };
    for (const Case &c : cases) {
        UsingCodePage page(TestOf(c.CodePage));
        char file[64];
        ASSERT_TRUE(MakeFileName(c.Name, file, sizeof file)) << c.What;
        EXPECT_STREQ(c.File, file) << c.What;
    }
}

}  // namespace
