#include "wininit_text.h"

#include <string.h>

#include "text.h"

const char WininitSection[] = "rename";
const char WininitDeletionKey[] = "NUL";
const size_t WininitPathLimit = 260;

namespace {

const char LineEnd[] = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameFolded(const char *a, size_t aSize, const char *b, size_t bSize)
{
    return aSize == bSize && SameFoldedRange(a, b, aSize);
}

// One line of the text: [begin, end) without its line end; next is where the
// following line starts.
struct Line {
    size_t begin, end, next;
};

Line LineAt(const char *text, size_t size, size_t at)
{
    Line line = {at, at, at};
    while (line.end < size && text[line.end] != '\n' && text[line.end] != '\r') ++line.end;
    line.next = line.end;
    if (line.next < size && text[line.next] == '\r') ++line.next;
    if (line.next < size && text[line.next] == '\n') ++line.next;
    return line;
}

// [begin, end) of a line without leading and trailing blanks.
void Trim(const char *text, size_t *begin, size_t *end)
{
    while (*begin < *end && IsBlank(text[*begin])) ++*begin;
    while (*end > *begin && IsBlank(text[*end - 1])) --*end;
}

// A section header "[name]": sets *isHeader and whether it names [rename].
bool IsHeader(const char *text, Line line, bool *isRename)
{
    size_t begin = line.begin, end = line.end;
    Trim(text, &begin, &end);
    if (begin >= end || text[begin] != '[') return false;
    size_t close = begin + 1;
    while (close < end && text[close] != ']')
        close += IsLeadByte(text[close]) && close + 1 < end ? 2 : 1;
    if (close >= end) return false;
    size_t nameBegin = begin + 1, nameEnd = close;
    Trim(text, &nameBegin, &nameEnd);
    *isRename = SameFolded(text + nameBegin, nameEnd - nameBegin, WininitSection,
                           sizeof WininitSection - 1);
    return true;
}

// Whether the line is "NUL=<path>", blanks around key and value ignored.
bool IsDeletionOf(const char *text, Line line, const char *path)
{
    const char *equals = (const char *)memchr(text + line.begin, '=', line.end - line.begin);
    if (!equals) return false;
    size_t keyBegin = line.begin, keyEnd = (size_t)(equals - text);
    size_t valueBegin = keyEnd + 1, valueEnd = line.end;
    Trim(text, &keyBegin, &keyEnd);
    Trim(text, &valueBegin, &valueEnd);
    return SameFolded(text + keyBegin, keyEnd - keyBegin, WininitDeletionKey,
                      sizeof WininitDeletionKey - 1) &&
           SameFolded(text + valueBegin, valueEnd - valueBegin, path, strlen(path));
}

// Where the [rename] section's lines end: after its last line that is not
// blank (or after its header). Returns false when the text has no such
// section; *present is set when it holds the deletion already.
bool FindSectionEnd(const char *text, size_t size, const char *path, size_t *insertAt,
                    bool *present)
{
    bool found = false, inSection = false;
    *present = false;
    for (size_t at = 0; at < size;) {
        Line line = LineAt(text, size, at);
        bool isRename = false;
        if (IsHeader(text, line, &isRename)) {
            inSection = isRename;
            // The first [rename] section is the one the system reads.
            if (isRename && !found) {
                found = true;
                *insertAt = line.next;
            } else if (isRename) {
                inSection = false;
            }
        } else if (inSection) {
            size_t begin = line.begin, end = line.end;
            Trim(text, &begin, &end);
            if (begin < end) *insertAt = line.next;
            if (IsDeletionOf(text, line, path)) *present = true;
        }
        at = line.next;
    }
    return found;
}

}  // namespace

size_t WininitDeletionGrowth(const char *shortPath)
{
    // A line end for an unended last line, "[rename]", "NUL=<path>", each ended.
    return (sizeof LineEnd - 1) * 3 + 2 + (sizeof WininitSection - 1) +
           (sizeof WininitDeletionKey - 1) + 1 + strlen(shortPath);
}

size_t AddWininitDeletion(const char *text, size_t size, const char *shortPath, char *dest,
                          size_t capacity)
{
    if (capacity == 0) return 0;
    dest[0] = 0;
    size_t pathSize = strlen(shortPath);
    if (pathSize == 0 || pathSize >= WininitPathLimit || strpbrk(shortPath, "\r\n") ||
        IsBlank(shortPath[0]) || IsBlank(shortPath[pathSize - 1]))
        return 0;
    size_t insertAt = size;
    bool present = false;
    bool hasSection = FindSectionEnd(text, size, shortPath, &insertAt, &present);

    char added[WininitPathLimit + 32];
    size_t addedSize = 0;
    if (!present) {
        // The line before the insertion point may lack its line end.
        bool needsBreak = insertAt > 0 && text[insertAt - 1] != '\n' && text[insertAt - 1] != '\r';
        added[0] = 0;
        if (needsBreak) strcat(added, LineEnd);
        if (!hasSection) {
            strcat(added, "[");
            strcat(added, WininitSection);
            strcat(added, "]");
            strcat(added, LineEnd);
        }
        strcat(added, WininitDeletionKey);
        strcat(added, "=");
        strcat(added, shortPath);
        strcat(added, LineEnd);
        addedSize = strlen(added);
    }
    if (size + addedSize >= capacity) return 0;
    memcpy(dest, text, insertAt);
    memcpy(dest + insertAt, added, addedSize);
    memcpy(dest + insertAt + addedSize, text + insertAt, size - insertAt);
    dest[size + addedSize] = 0;
    return size + addedSize;
}

bool WininitHasDeletion(const char *text, size_t size, const char *shortPath)
{
    size_t insertAt = 0;
    bool present = false;
    return FindSectionEnd(text, size, shortPath, &insertAt, &present) && present;
}
