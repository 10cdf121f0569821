#include "code_page_charset.h"

// The ANSI code pages and the character sets of wingdi.h that hold them.
static const struct {
    unsigned short CodePage;
    unsigned char Charset;
} Charsets[] = {
    {874, 222},   // THAI_CHARSET
    {932, 128},   // SHIFTJIS_CHARSET
    {936, 134},   // GB2312_CHARSET
    {949, 129},   // HANGEUL_CHARSET
    {950, 136},   // CHINESEBIG5_CHARSET
    {1250, 238},  // EASTEUROPE_CHARSET
    {1251, 204},  // RUSSIAN_CHARSET
    {1252, 0},    // ANSI_CHARSET
    {1253, 161},  // GREEK_CHARSET
    {1254, 162},  // TURKISH_CHARSET
    {1255, 177},  // HEBREW_CHARSET
    {1256, 178},  // ARABIC_CHARSET
    {1257, 186},  // BALTIC_CHARSET
    {1258, 163},  // VIETNAMESE_CHARSET
};

unsigned char CharsetOfCodePage(unsigned codePage)
{
    for (const auto &known : Charsets)
        if (known.CodePage == codePage) return known.Charset;
    return CharsetOfUnlistedCodePage;
}
