// The code pages setupkit writes scripts in: conversion both ways, what a
// code page cannot hold, UTF-8 that is not, and the double-byte rules for
// names whose second byte is '\' or '|'.
#include <gtest/gtest.h>

#include <errno.h>
#include <iconv.h>

#include <string>

#include "core/names.h"
#include "tools/setupkit/check.h"
#include "tools/setupkit/codepage.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/lz.h"

using namespace setupkit;

namespace {

const int EveryCodePage[] = {874, 932, 936, 949, 950, 1250, 1251, 1252,
                             1253, 1254, 1255, 1256, 1257, 1258};

std::string Hex(const std::string &bytes)
{
    std::string text;
    char part[4];
    for (unsigned char c : bytes) {
        snprintf(part, sizeof part, "%02x ", c);
        text += part;
    }
    return text;
}

// What glibc's decoder makes of one byte alone: 'L' the start of a longer
// character, 'X' no character, '.' a character.
char AloneInIconv(const char *iconvName, unsigned char byte)
{
    iconv_t handle = iconv_open("UTF-8", iconvName);
    char in[1] = {(char)byte}, out[16];
    char *from = in, *to = out;
    size_t left = 1, room = sizeof out;
    size_t done = iconv(handle, &from, &left, &to, &room);
    int failure = done == (size_t)-1 ? errno : 0;
    iconv_close(handle);
    return failure == EINVAL ? 'L' : failure ? 'X' : '.';
}

}  // namespace

TEST(CodePage, ConvertsIntoEachCodePageAndBack)
{
    struct {
        int Page;
        const char *Text;
        const char *Bytes;
    } cases[] = {
        {874, "สวัสดี", "ca c7 d1 ca b4 d5 "},
        {932, "表ソ能", "95 5c 83 5c 94 5c "},
        {936, "简体中文", "bc f2 cc e5 d6 d0 ce c4 "},
        {949, "한국어", "c7 d1 b1 b9 be ee "},
        {950, "繁體", "c1 63 c5 e9 "},
        {1250, "Łódź", "a3 f3 64 9f "},
        {1251, "Привет", "cf f0 e8 e2 e5 f2 "},
        {1252, "Café ©", "43 61 66 e9 20 a9 "},
        {1253, "Ελλάδα", "c5 eb eb dc e4 e1 "},
        {1254, "İstanbul ğ", "dd 73 74 61 6e 62 75 6c 20 f0 "},
        {1255, "שלום", "f9 ec e5 ed "},
        {1256, "سلام", "d3 e1 c7 e3 "},
        {1257, "Ąžuolas", "c0 fe 75 6f 6c 61 73 "},
        {1258, "Việt", "56 69 ea f2 74 "},  // the tone mark as a character of its own
    };
    for (const auto &c : cases) {
        CodePage page(c.Page);
        std::string bytes, problem;
        ASSERT_TRUE(page.Encode(c.Text, &bytes, &problem)) << c.Page << ": " << problem;
        EXPECT_EQ(Hex(bytes), c.Bytes) << c.Page;
        EXPECT_EQ(page.ToUtf8(bytes), c.Text) << c.Page;
        EXPECT_EQ(page.EncodeLossy(c.Text), bytes) << c.Page;
    }
}

TEST(CodePage, AsciiIsItselfEverywhere)
{
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) ascii += (char)c;
    for (int number : EveryCodePage) {
        CodePage page(number);
        EXPECT_EQ(page.ToUtf8(ascii), ascii) << number;
        std::string bytes, problem;
        EXPECT_TRUE(page.Encode(ascii, &bytes, &problem)) << number;
        EXPECT_EQ(bytes, ascii) << number;
    }
}

TEST(CodePage, NamesTheCharacterItCannotHold)
{
    struct {
        int Page;
        const char *Text;
        const char *Says;
    } cases[] = {
        {1252, "Программа", "'П' (U+041F) is not in code page 1252 (Western European)"},
        {1252, "ok 😀", "'😀' (U+1F600) is not in code page 1252"},
        {1251, "Привет café", "'é' (U+00E9) is not in code page 1251 (Cyrillic)"},
        // 932 would write '¥' as a backslash: refused, not a path separator
        {932, "¥100", "'¥' (U+00A5) is not in code page 932 (Japanese)"},
        {874, "สวัสดี שלום", "'ש' (U+05E9) is not in code page 874 (Thai)"},
        {936, "简体 한", "'한' (U+D55C) is not in code page 936"},
        {949, "한국 简", "'简' (U+7B80) is not in code page 949"},
        {950, "繁體 简", "'简' (U+7B80) is not in code page 950"},
        {1250, "Łódź Ж", "'Ж' (U+0416) is not in code page 1250"},
        {1253, "Ελλάδα Ж", "'Ж' (U+0416) is not in code page 1253"},
        {1254, "ğ Ж", "'Ж' (U+0416) is not in code page 1254"},
        {1255, "שלום Ж", "'Ж' (U+0416) is not in code page 1255"},
        {1256, "سلام Ж", "'Ж' (U+0416) is not in code page 1256"},
        {1257, "Ąžuolas Ж", "'Ж' (U+0416) is not in code page 1257"},
        {1258, "Việt Ж", "'Ж' (U+0416) is not in code page 1258"},
        {1252, "a\xE2\x80\x8B", "U+200B is not in code page 1252"},  // invisible: number only
        {1252, "caf\xE9", "not UTF-8: byte 0xE9 at column 4"},
        {1251, "\xC0\xAF", "not UTF-8: byte 0xC0 at column 1"},      // overlong '/'
        {1251, "ab\xED\xA0\x80", "not UTF-8: byte 0xED at column 3"},  // a surrogate
        {1251, "x\xE2\x82", "not UTF-8: byte 0xE2 at column 2"},       // cut short
        {1251, "\xF4\x90\x80\x80", "not UTF-8: byte 0xF4 at column 1"},  // above U+10FFFF
    };
    for (const auto &c : cases) {
        std::string bytes = "unchanged", problem;
        EXPECT_FALSE(CodePage(c.Page).Encode(c.Text, &bytes, &problem)) << c.Page << " " << c.Text;
        EXPECT_EQ(problem.find(c.Says), 0u) << c.Page << " " << c.Text << "\ngave: " << problem;
        EXPECT_EQ(bytes, "unchanged") << c.Page << " " << c.Text;
    }
    EXPECT_EQ(CodePage(1252).EncodeLossy("Прa"), "__a");
    EXPECT_EQ(CodePage(1252).ToUtf8("a\x81z"), "a\xEF\xBF\xBDz");  // 0x81 is no character
    EXPECT_EQ(CodePage(932).ToUtf8("\x95"), "\xEF\xBF\xBD");        // a lead byte alone
}

TEST(CodePage, NumbersAndNames)
{
    EXPECT_EQ(CodePage().Number(), 1252);
    EXPECT_EQ(CodePage::Parse("1251").Description(), "1251 (Cyrillic)");
    EXPECT_EQ(CodePage::Parse("cp932").Number(), 932);
    for (const char *bad : {"", "65001", "1200", "cp", "12x", "-1", "1252.0"})
        EXPECT_THROW(CodePage::Parse(bad), Error) << bad;
    try {
        CodePage(437);
        ADD_FAILURE() << "accepted 437";
    } catch (const Error &error) {
        EXPECT_NE(std::string(error.what()).find("874, 932, 936, 949, 950, 1250"), std::string::npos)
            << error.what();
    }
}

// The lead-byte tables hold every byte that glibc takes as the start of a
// longer character; in 932 they are exactly those.
TEST(CodePage, LeadBytesAgreeWithIconv)
{
    for (int number : EveryCodePage) {
        CodePage page(number);
        std::string iconvName = "CP" + std::to_string(number);
        for (int byte = 0; byte < 0x100; ++byte) {
            char alone = AloneInIconv(iconvName.c_str(), (unsigned char)byte);
            if (alone == 'L')
                EXPECT_TRUE(page.IsLeadByte((unsigned char)byte)) << number << " byte " << byte;
            if (number == 932)
                EXPECT_EQ(page.IsLeadByte((unsigned char)byte), alone == 'L') << "932 byte " << byte;
            if (byte < 0x80) EXPECT_FALSE(page.IsLeadByte((unsigned char)byte)) << number << " " << byte;
        }
        EXPECT_EQ(page.IsDoubleByte(), number >= 932 && number <= 950) << number;
    }
}

// Names whose second byte is '\' or '|' (949 has none: its second bytes
// skip them, but take letters).
TEST(CodePage, SecondBytesAreNoSeparators)
{
    struct {
        int Page;
        const char *Name;
        unsigned char Second;
    } cases[] = {
        {932, "表", 0x5C}, {932, "ソ", 0x5C}, {932, "能", 0x5C}, {932, "ポ", 0x7C},
        {936, "乗", 0x5C}, {936, "億", 0x7C}, {950, "功", 0x5C}, {950, "弋", 0x7C},
        {949, "갂", 'A'},  {932, "ア", 'A'},
    };
    for (const auto &c : cases) {
        CodePage page(c.Page);
        std::string name, problem;
        ASSERT_TRUE(page.Encode(c.Name, &name, &problem)) << c.Name;
        ASSERT_EQ(name.size(), 2u) << c.Name;
        EXPECT_EQ((unsigned char)name[1], c.Second) << c.Name;
        std::string path = name + "\\" + name + name + ".txt";
        EXPECT_EQ(page.LastSeparator(path), 2u) << c.Name;
        EXPECT_EQ(page.LastSeparator(name + name), std::string::npos) << c.Name;
        std::string view = page.SingleByteView(path);
        EXPECT_EQ(view.size(), path.size()) << c.Name;
        EXPECT_EQ(view.find_first_of("|"), std::string::npos) << c.Name;
        EXPECT_EQ(view.find('\\'), 2u) << c.Name;
        // The same character with the case of its second byte changed is another.
        std::string other = name;
        other[1] = (char)(other[1] ^ 0x20);
        EXPECT_FALSE(page.SameName(name + "A.TXT", other + "a.txt")) << c.Name;
        EXPECT_TRUE(page.SameName(name + "A.TXT", name + "a.txt")) << c.Name;
        // Followed by a device name, it is one component, no device.
        EXPECT_TRUE(IsContainedName(page.SingleByteView(name + "CON.txt").c_str())) << c.Name;
        EXPECT_FALSE(IsContainedName(page.SingleByteView(name + "\\CON.txt").c_str())) << c.Name;
    }
}

// check on scripts in a double-byte code page: names that are right there
// pass, and the same bytes read as 1252 show what a byte-by-byte rule does.
TEST(CodePage, CheckJudgesCharacters)
{
    struct {
        int Page;
        const char *Name;  // UTF-8
    } cases[] = {
        {932, "表"}, {932, "ソ"}, {932, "能"}, {932, "ポ"}, {936, "乗"}, {936, "億"},
        {950, "功"}, {950, "弋"}, {949, "갂"},
    };
    for (const auto &c : cases) {
        CodePage page(c.Page);
        std::string name = page.EncodeLossy(c.Name);
        std::string script = "[Title]\nDlgTitle=" + name + "\nInstalDir=C:\\" + name +
                             "\nNumberDisk=1\n[SubDir]\nNumberDirs=2\nDir1=" + name + "\nDir2=" + name +
                             "\\" + name + "\n[Disk1]\nNumberFiles=2\nfile1=3,A.TX_," + name + "\\" +
                             name + "CON.txt\nfile2=3,B.TX_," + name + "\\" + name + "\\" + name +
                             ".txt\n[WinGroup]\nNumberItem=1\nitem1=" + name + "\\" + name +
                             "CON.txt," + name + "\n";
        std::vector<Diagnostic> found = CheckScript(script, "", page);
        std::string text;
        for (const Diagnostic &d : found) text += FormatDiagnostic("s", d) + "\n";
        EXPECT_EQ(text, "") << c.Page << " " << c.Name;
        if (name[1] == '\\' || name[1] == '|') {
            std::vector<Diagnostic> bytewise = CheckScript(script, "", CodePage(1252));
            EXPECT_FALSE(bytewise.empty()) << c.Name << ": a byte-by-byte rule sees no problem";
        }
    }
}

TEST(CodePage, CheckMessagesAreUtf8)
{
    std::string script = CodePage(1251).EncodeLossy(
        "[Title]\nNumberDisk=1\n[SubDir]\nNumberDirs=1\nDir1=Привет\\..\\x\n[Disk1]\nNumberFiles=1\n"
        "file1=3,A.TX_,Файл|.txt\n");
    std::vector<Diagnostic> found = CheckScript(script, "", CodePage(1251));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Message, "Dir1 'Привет\\..\\x' leaves the install directory");
    EXPECT_EQ(found[1].Message, "file1 destination 'Файл|.txt' holds a character no file name can");
}

TEST(CodePage, ExpandNamesTheHeaderCharacterInItsCodePage)
{
    struct {
        int Page;
        char Kept;
        const char *Name;  // empty: refused
    } cases[] = {
        {1252, 'T', "README.TXT"},
        {1252, '\xE9', "README.TXé"},
        {1251, '\xE9', "README.TXй"},
        {1253, '\xE9', "README.TXι"},
        {932, '\xB1', "README.TXｱ"},  // a half-width katakana is one byte
        {932, '\x83', ""},            // a lead byte is half a character
        {1252, '\x81', ""},           // no character of 1252
    };
    for (const auto &c : cases) {
        if (*c.Name)
            EXPECT_EQ(ExpandedName("README.TX_", c.Kept, "f", CodePage(c.Page)), c.Name) << c.Page;
        else
            EXPECT_THROW(ExpandedName("README.TX_", c.Kept, "f", CodePage(c.Page)), Error) << c.Page;
    }
}
