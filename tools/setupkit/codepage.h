// The ANSI code pages a setup script can be written in. Authoring files are
// UTF-8; SETUP.EXE reads setup.inf in the system's ANSI code page, so pack
// converts (with glibc's iconv) and check and expand show what they read in
// UTF-8 again. In the double-byte code pages (932, 936, 949, 950) the second
// byte of a character can be '\' or '|': the name rules judge characters,
// not bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace setupkit {

enum { DefaultCodePage = 1252 };

// The byte-order mark an editor may put at the start of a UTF-8 file.
inline constexpr char Utf8Bom[] = "\xEF\xBB\xBF";

// The offset of the first byte of text that is not part of well-formed
// UTF-8 (overlong forms, surrogates and code points above U+10FFFF
// included), or npos when there is none.
size_t FindInvalidUtf8(const std::string &text);

// A character for messages: "'Ж' (U+0416)"; a control or combining
// character only by its number.
std::string DescribeCodePoint(uint32_t codePoint);

// Why text is not UTF-8, naming the byte at offset: "not UTF-8: byte 0xE9
// at column 7".
std::string InvalidUtf8Message(const std::string &text, size_t offset);

struct CodePageInfo;

// One Windows ANSI code page.
class CodePage {
public:
    // Throws an Error for a code page setupkit does not write, listing those it does.
    explicit CodePage(int number = DefaultCodePage);
    // The value of --codepage: a number such as 1251 (also "cp1251").
    static CodePage Parse(const std::string &text);
    // "874, 932, 936, 949, 950, 1250 ... 1258"
    static std::string Known();

    int Number() const;
    // "1251 (Cyrillic)"
    std::string Description() const;
    bool IsDoubleByte() const;
    // Whether byte begins a character of two bytes.
    bool IsLeadByte(unsigned char byte) const;

    // utf8 converted. False when it cannot be: *problem then names the first
    // character the code page does not hold (also one it would only stand in
    // for with an ASCII character, as 932 does '¥' with '\'), or the first
    // byte that is not UTF-8.
    bool Encode(const std::string &utf8, std::string *out, std::string *problem) const;
    // utf8 converted with '_' for what cannot be (comments, lengths).
    std::string EncodeLossy(const std::string &utf8) const;
    // Text of this code page in UTF-8; a byte that is no character becomes U+FFFD.
    std::string ToUtf8(const std::string &bytes) const;

    // name with each character of two bytes made two 0x80 bytes: what the
    // byte-by-byte rules for '\', '/', ':', '.', '|' and device names see
    // when they are to judge characters.
    std::string SingleByteView(const std::string &name) const;
    // The ASCII letters of text in lower case, the second bytes of
    // double-byte characters left alone.
    std::string Lower(const std::string &text) const;
    // Whether a and b are the same name in any case (ASCII letters).
    bool SameName(const std::string &a, const std::string &b) const;
    // The offset of the last '\' or '/' that is a character of its own, or npos.
    size_t LastSeparator(const std::string &name) const;

private:
    const CodePageInfo *info_;
};

}  // namespace setupkit
