// The pure part of the pages: display paths with the shell's names given by
// a table, the proposal, the free space from a geometry, listing entries.
#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <string>

#include "core/display_path.h"

namespace {

typedef std::map<std::string, std::string> Names;

bool NameFromTable(void *context, const char *prefix, char *name, size_t capacity)
{
    const Names &names = *(const Names *)context;
    auto found = names.find(prefix);
    if (found == names.end()) return false;
    snprintf(name, capacity, "%s", found->second.c_str());
    return true;
}

TEST(DisplayPath, ComponentsTakeTheirNamesOrKeepTheirText)
{
    Names names = {{"C:\\PROGRA~1", "Program Files"}, {"C:\\PROGRA~1\\APP", "App"},
                   {"D:\\EMPTY", ""}};
    struct { const char *Path; bool Ok; const char *Expected; } cases[] = {
        {"C:\\PROGRA~1\\APP", true, "C:\\Program Files\\App\\"},
        {"C:\\PROGRA~1\\\\APP\\", true, "C:\\Program Files\\APP\\"},  // prefix not in the table
        {"C:\\NEW\\DIR", true, "C:\\NEW\\DIR\\"},
        {"D:\\EMPTY", true, "D:\\EMPTY\\"},  // an empty name keeps the text
        {"C:\\", true, "C:\\"},
        {"c:", true, "c:\\"},
        {"", false, ""},
    };
    for (const auto &c : cases) {
        char path[DisplayPathSize];
        strcpy(path, c.Path);
        EXPECT_EQ(c.Ok, MakeDisplayPathWith(path, NameFromTable, &names)) << c.Path;
        EXPECT_STREQ(c.Ok ? c.Expected : c.Path, path) << c.Path;
    }
}

TEST(DisplayPath, AResultThatDoesNotFitLeavesThePathAlone)
{
    // A short name whose display name is long enough to overflow the buffer.
    Names names = {{"C:\\A", std::string(250, 'n')}};
    char path[DisplayPathSize];
    strcpy(path, "C:\\A\\BCDEFG");
    EXPECT_FALSE(MakeDisplayPathWith(path, NameFromTable, &names));
    EXPECT_STREQ("C:\\A\\BCDEFG", path);
    // 255 characters of name plus "C:\\" and the closing backslash: exactly full.
    Names fits = {{"C:\\A", std::string(255, 'n')}};
    strcpy(path, "C:\\A");
    EXPECT_TRUE(MakeDisplayPathWith(path, NameFromTable, &fits));
    EXPECT_EQ(259u, strlen(path));
}

TEST(DisplayPath, ProposalIsWholeOrRefused)
{
    char dest[16];
    EXPECT_TRUE(FormatProposal(dest, sizeof dest, "C:\\APPS\\", "Prod"));
    EXPECT_STREQ("C:\\APPS\\Prod", dest);
    EXPECT_TRUE(FormatProposal(dest, sizeof dest, "C:\\APPS\\", "Product"));  // 15 of 15
    EXPECT_FALSE(FormatProposal(dest, sizeof dest, "C:\\APPS\\", "Products"));
}

TEST(FreeSpace, GeometryProductIsExactAndClamped)
{
    struct { unsigned long sectors, bytes, clusters; long kb; const char *name; } cases[] = {
        {8, 512, 1000, 4000, "small drive"},
        {1, 512, 1, 0, "half a kilobyte truncates to 0"},
        {0, 512, 1000, 0, "no sectors"},
        {8, 512, 0x100000, 0x400000, "4 GiB: wraps to 0 in 32 bits"},
        {1, 2048, 0x3FFFFFFF, 0x7FFFFFFE, "just under 2 TiB"},
        {1, 1024, 0x7FFFFFFF, 0x7FFFFFFF, "exactly the largest value"},
        {1, 1024, 0x80000000, 0x7FFFFFFF, "2 TiB clamps, never negative"},
        {64, 4096, 0x10000000, 0x7FFFFFFF, "64 TiB clamps"},
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x7FFFFFFF, "beyond 64 bits clamps"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.kb, FreeKbFromGeometry(c.sectors, c.bytes, c.clusters)) << c.name;
}

TEST(ListingEntries, OnlyBracketedFoldersButTheParent)
{
    struct { const char *Entry; bool Ok; const char *Expected; } cases[] = {
        {"[Games]", true, "\\Games"}, {"[a]", true, "\\a"}, {"[..]", false, "[..]"},
        {"[]", false, "[]"},          {"[-c-]", true, "\\-c-"},
        {"file.txt", false, "file.txt"}, {"[open", false, "[open"}, {"", false, ""},
    };
    for (const auto &c : cases) {
        char entry[32];
        strcpy(entry, c.Entry);
        EXPECT_EQ(c.Ok, DirectoryEntryName(entry)) << c.Entry;
        EXPECT_STREQ(c.Expected, entry) << c.Entry;
    }
}

}  // namespace
