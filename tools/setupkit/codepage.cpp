#include "tools/setupkit/codepage.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>

#include "tools/setupkit/error.h"

namespace setupkit {

struct CodePageInfo {
    int Number;
    const char *IconvName;
    const char *Script;
    unsigned char LeadFirst, LeadLast, MoreLeadFirst, MoreLeadLast;  // 0: none
};

namespace {

// The lead bytes are those of the code pages' published tables (the bytes
// the platform's IsDBCSLeadByte answers true for).
const CodePageInfo CodePages[] = {
    {874, "CP874", "Thai", 0, 0, 0, 0},
    {932, "CP932", "Japanese", 0x81, 0x9F, 0xE0, 0xFC},
    {936, "CP936", "Simplified Chinese", 0x81, 0xFE, 0, 0},
    {949, "CP949", "Korean", 0x81, 0xFE, 0, 0},
    {950, "CP950", "Traditional Chinese", 0x81, 0xFE, 0, 0},
    {1250, "CP1250", "Central European", 0, 0, 0, 0},
    {1251, "CP1251", "Cyrillic", 0, 0, 0, 0},
    {1252, "CP1252", "Western European", 0, 0, 0, 0},
    {1253, "CP1253", "Greek", 0, 0, 0, 0},
    {1254, "CP1254", "Turkish", 0, 0, 0, 0},
    {1255, "CP1255", "Hebrew", 0, 0, 0, 0},
    {1256, "CP1256", "Arabic", 0, 0, 0, 0},
    {1257, "CP1257", "Baltic", 0, 0, 0, 0},
    {1258, "CP1258", "Vietnamese", 0, 0, 0, 0},
};

const char ReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD

// An iconv conversion, closed with the object.
class Iconv {
public:
    Iconv(const char *to, const char *from) : handle_(iconv_open(to, from))
    {
        if (handle_ == (iconv_t)-1)
            throw Error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Iconv() { iconv_close(handle_); }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    // Converts [*in, *in + *left) onto out as far as it can; 0 when all of
    // it was converted, else the errno of the stop (EILSEQ, EINVAL) with
    // *in at the byte it stopped at.
    int Convert(const char **in, size_t *left, std::string *out)
    {
        for (;;) {
            char buffer[256];
            char *to = buffer;
            size_t room = sizeof buffer;
            size_t done = iconv(handle_, const_cast<char **>(in), left, &to, &room);
            int failure = done == (size_t)-1 ? errno : 0;
            out->append(buffer, to - buffer);
            if (failure != E2BIG) return failure;
        }
    }

    // Writes what the conversion holds back (a base letter waiting for its
    // accent in 1258) and starts afresh.
    void Flush(std::string *out)
    {
        char buffer[64];
        char *to = buffer;
        size_t room = sizeof buffer;
        iconv(handle_, nullptr, nullptr, &to, &room);
        out->append(buffer, to - buffer);
    }

private:
    iconv_t handle_;
};

// The character at text[*pos], *pos moved past it; false (*pos kept) when
// the bytes there are not well-formed UTF-8.
bool DecodeUtf8(const std::string &text, size_t *pos, uint32_t *codePoint)
{
    unsigned char first = (unsigned char)text[*pos];
    if (first < 0x80) {
        *codePoint = first;
        ++*pos;
        return true;
    }
    size_t length;
    uint32_t value, least;
    if (first >= 0xC2 && first <= 0xDF)
        length = 2, value = first & 0x1F, least = 0x80;
    else if (first >= 0xE0 && first <= 0xEF)
        length = 3, value = first & 0x0F, least = 0x800;
    else if (first >= 0xF0 && first <= 0xF4)
        length = 4, value = first & 0x07, least = 0x10000;
    else
        return false;
    if (text.size() - *pos < length) return false;
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = (unsigned char)text[*pos + i];
        if ((next & 0xC0) != 0x80) return false;
        value = value << 6 | (next & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *codePoint = value;
    *pos += length;
    return true;
}

// Characters a message shows only by number: controls, joiners and marks
// that would attach to the quote before them.
bool IsInvisible(uint32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0xA0) || (c >= 0x300 && c <= 0x36F) ||
           (c >= 0x591 && c <= 0x5C7) || (c >= 0x610 && c <= 0x61A) || (c >= 0x64B && c <= 0x65F) ||
           c == 0xE31 || (c >= 0xE34 && c <= 0xE3A) || (c >= 0xE47 && c <= 0xE4E) ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF;
}

std::string Hex(unsigned value, int digits)
{
    char text[16];
    snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

size_t FindInvalidUtf8(const std::string &text)
{
    uint32_t ignored;
    for (size_t pos = 0; pos < text.size();)
        if (!DecodeUtf8(text, &pos, &ignored)) return pos;
    return std::string::npos;
}

std::string DescribeCodePoint(uint32_t codePoint)
{
    std::string number = "U+" + Hex(codePoint, 4);
    if (IsInvisible(codePoint)) return number;
    std::string utf8;
    if (codePoint < 0x80) {
        utf8 = std::string(1, (char)codePoint);
    } else if (codePoint < 0x800) {
        utf8 = {(char)(0xC0 | codePoint >> 6), (char)(0x80 | (codePoint & 0x3F))};
    } else if (codePoint < 0x10000) {
        utf8 = {(char)(0xE0 | codePoint >> 12), (char)(0x80 | (codePoint >> 6 & 0x3F)),
                (char)(0x80 | (codePoint & 0x3F))};
    } else {
        utf8 = {(char)(0xF0 | codePoint >> 18), (char)(0x80 | (codePoint >> 12 & 0x3F)),
                (char)(0x80 | (codePoint >> 6 & 0x3F)), (char)(0x80 | (codePoint & 0x3F))};
    }
    return "'" + utf8 + "' (" + number + ")";
}

std::string InvalidUtf8Message(const std::string &text, size_t offset)
{
    return "not UTF-8: byte 0x" + Hex((unsigned char)text[offset], 2) + " at column " +
           std::to_string(offset + 1) + "; save the file as UTF-8";
}

CodePage::CodePage(int number) : info_(nullptr)
{
    for (const CodePageInfo &info : CodePages)
        if (info.Number == number) info_ = &info;
    if (!info_)
        throw Error("code page " + std::to_string(number) + " is not one setupkit writes (" +
                    Known() + ")");
}

CodePage CodePage::Parse(const std::string &text)
{
    std::string digits = text;
    if (digits.size() > 2 && (digits[0] == 'c' || digits[0] == 'C') &&
        (digits[1] == 'p' || digits[1] == 'P'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        throw Error("--codepage: '" + text + "' is not a code page number (" + Known() + ")");
    return CodePage(std::stoi(digits));
}

std::string CodePage::Known()
{
    std::string list;
    for (const CodePageInfo &info : CodePages)
        list += (list.empty() ? "" : ", ") + std::to_string(info.Number);
    return list;
}

int CodePage::Number() const { return info_->Number; }

std::string CodePage::Description() const
{
    return std::to_string(info_->Number) + " (" + info_->Script + ")";
}

bool CodePage::IsDoubleByte() const { return info_->LeadFirst != 0; }

bool CodePage::IsLeadByte(unsigned char byte) const
{
    return (info_->LeadFirst && byte >= info_->LeadFirst && byte <= info_->LeadLast) ||
           (info_->MoreLeadFirst && byte >= info_->MoreLeadFirst && byte <= info_->MoreLeadLast);
}

namespace {

// utf8 in the code page, a character at a time so that the one it cannot
// hold is known; lossy puts '_' in its place instead of failing.
bool Convert(const CodePage &codePage, const char *iconvName, const std::string &utf8,
             std::string *out, std::string *problem, bool lossy)
{
    Iconv iconv(iconvName, "UTF-8");
    std::string result;
    for (size_t pos = 0; pos < utf8.size();) {
        size_t start = pos;
        uint32_t codePoint;
        if (!DecodeUtf8(utf8, &pos, &codePoint)) {
            if (!lossy) {
                *problem = InvalidUtf8Message(utf8, start);
                return false;
            }
            result += '_';
            ++pos;
            continue;
        }
        if (codePoint < 0x80) {  // ASCII is itself in every one of these code pages
            result += (char)codePoint;
            continue;
        }
        const char *in = utf8.data() + start;
        size_t left = pos - start;
        std::string bytes;
        bool converted = iconv.Convert(&in, &left, &bytes) == 0;
        iconv.Flush(&bytes);
        // A stand-in made of ASCII only ('¥' as '\' in 932) is not the character.
        if (!converted || std::none_of(bytes.begin(), bytes.end(),
                                       [](char c) { return (unsigned char)c >= 0x80; })) {
            if (!lossy) {
                *problem = DescribeCodePoint(codePoint) + " is not in code page " +
                           codePage.Description();
                return false;
            }
            result += '_';
            continue;
        }
        result += bytes;
    }
    *out = std::move(result);
    return true;
}

}  // namespace

bool CodePage::Encode(const std::string &utf8, std::string *out, std::string *problem) const
{
    return Convert(*this, info_->IconvName, utf8, out, problem, false);
}

std::string CodePage::EncodeLossy(const std::string &utf8) const
{
    std::string out, ignored;
    Convert(*this, info_->IconvName, utf8, &out, &ignored, true);
    return out;
}

std::string CodePage::ToUtf8(const std::string &bytes) const
{
    Iconv iconv("UTF-8", info_->IconvName);
    std::string out;
    const char *in = bytes.data();
    size_t left = bytes.size();
    while (left > 0 && iconv.Convert(&in, &left, &out) != 0) {
        iconv.Flush(&out);
        out += ReplacementCharacter;
        ++in;
        --left;
    }
    iconv.Flush(&out);
    return out;
}

std::string CodePage::SingleByteView(const std::string &name) const
{
    std::string view = name;
    if (!IsDoubleByte()) return view;
    for (size_t i = 0; i + 1 < view.size(); ++i)
        if (IsLeadByte((unsigned char)view[i])) {
            view[i] = view[i + 1] = '\x80';
            ++i;
        }
    return view;
}

std::string CodePage::Lower(const std::string &text) const
{
    std::string lower = text;
    for (size_t i = 0; i < lower.size(); ++i) {
        if (IsLeadByte((unsigned char)lower[i]))
            ++i;
        else if (lower[i] >= 'A' && lower[i] <= 'Z')
            lower[i] = (char)(lower[i] - 'A' + 'a');
    }
    return lower;
}

bool CodePage::SameName(const std::string &a, const std::string &b) const
{
    return a.size() == b.size() && Lower(a) == Lower(b);
}

size_t CodePage::LastSeparator(const std::string &name) const
{
    size_t last = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        if (IsLeadByte((unsigned char)name[i]))
            ++i;
        else if (name[i] == '\\' || name[i] == '/')
            last = i;
    }
    return last;
}

}  // namespace setupkit
