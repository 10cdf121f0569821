// The lead-byte tests of the double-byte ANSI code pages, from their
// published lead-byte ranges (what IsDBCSLeadByte answers on such a system),
// and names whose second byte is a backslash, a bar or a letter. For the host
// tests and the fuzz targets.
#pragma once

#include "core/text.h"

inline int LeadByteCall Lead932(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
// 936 (GBK), 949 (Unified Hangul) and 950 (Big5) share one lead-byte range.
inline int LeadByteCall Lead81ToFE(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

struct CodePage {
    int Number;
    LeadByteTest Test;
};

// Every code page the tests run under; the first is a single-byte one.
static const CodePage CodePages[] = {{1252, 0}, {932, Lead932}, {936, Lead81ToFE},
                                     {949, Lead81ToFE}, {950, Lead81ToFE}};

// Sets the lead-byte test for a scope.
class UsingCodePage {
public:
    explicit UsingCodePage(LeadByteTest test) : Saved(LeadByte) { LeadByte = test; }
    ~UsingCodePage() { LeadByte = Saved; }
    UsingCodePage(const UsingCodePage &) = delete;
    UsingCodePage &operator=(const UsingCodePage &) = delete;

private:
    LeadByteTest Saved;
};

// Characters of each code page, as their bytes.
// 932: 表 ソ 能 (second byte 0x5C), ポ (0x7C), ア and ヂ (0x41 and 0x61: A, a).
#define Cp932Hyou "\x95\x5C"
#define Cp932So "\x83\x5C"
#define Cp932Nou "\x94\x5C"
#define Cp932Po "\x83\x7C"
#define Cp932A "\x83\x41"
#define Cp932Di "\x83\x61"
// 936: 乗 淺 (0x5C), 億 東 (0x7C), 丄 and 乤 (0x41 and 0x61).
#define Cp936Jou "\x81\x5C"
#define Cp936Qian "\x9C\x5C"
#define Cp936Yi "\x83\x7C"
#define Cp936Dong "\x96\x7C"
#define Cp936Shang "\x81\x41"
#define Cp936Upper "\x81\x61"
// 949 has no second byte below 0x41: 갂 and 갵 (0x41 and 0x61), 갴 (0x5A: Z).
#define Cp949Gak "\x81\x41"
#define Cp949Gat "\x81\x61"
#define Cp949Gaz "\x81\x5A"
// 950: 許 功 (0x5C), 會 四 (0x7C), 乙 and 兀 (0x41 and 0x61).
#define Cp950Xu "\xB3\x5C"
#define Cp950Gong "\xA5\x5C"
#define Cp950Hui "\xB7\x7C"
#define Cp950Si "\xA5\x7C"
#define Cp950Yi "\xA4\x41"
#define Cp950Wu "\xA4\x61"

// The bytes of the character at text as a reader of the code page takes
// them: the fuzz targets' own reading, to check the scans against.
inline size_t CharBytes(const char *text, LeadByteTest test)
{
    return test && test((unsigned char)text[0]) && text[1] ? 2 : 1;
}

// Runs check(test) under each code page in turn.
template <class Check> void ForEachCodePage(Check check)
{
    for (const CodePage &page : CodePages) {
        UsingCodePage using_(page.Test);
        check(page.Test);
    }
}
