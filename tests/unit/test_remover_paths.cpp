// The uninstaller's long paths without GetLongPathNameA (Windows 95 and NT
// 4.0 lack it): built component by component from FindFirstFileA's names,
// and the same as the system's answer where it has one.
#include "support.h"

#include <string.h>

#include "uninstall/remover_paths.h"

namespace {

std::string ShortForm(const std::string &path)
{
    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    EXPECT_TRUE(length > 0 && length < sizeof buffer) << path;
    return buffer;
}

}  // namespace

TEST(RemoverPaths, LongFormByFindGivesTheLongNames)
{
    std::string root = ScratchDir("RemoverPaths");
    std::string dir = root + "\\Long Directory Name";
    std::string file = dir + "\\Another Long File.text";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), 0));
    WriteWholeFile(file, "x");
    std::string shortFile = ShortForm(file), shortDir = ShortForm(dir);

    struct Case {
        const char *name;
        std::string path;
        bool found;
        std::string expected;
    } cases[] = {
        {"short file", shortFile, true, file},
        {"short directory", shortDir, true, dir},
        {"long file unchanged", file, true, file},
        {"trailing backslash kept", shortDir + "\\", true, dir + "\\"},
        {"doubled backslash", shortDir + "\\\\" + "Another Long File.text", true, file},
        {"drive root", "C:\\", true, "C:\\"},
        {"missing file", dir + "\\missing.txt", false, ""},
        {"missing directory", root + "\\missing\\a.txt", false, ""},
        {"wildcard", dir + "\\*.text", false, ""},
        {"relative path", "Long Directory Name", false, ""},
    };
    for (const Case &c : cases) {
        char dest[MAX_PATH];
        memset(dest, 'x', sizeof dest);
        EXPECT_EQ(c.found, LongFormByFind(c.path.c_str(), dest, sizeof dest)) << c.name;
        EXPECT_EQ(c.expected, std::string(dest)) << c.name;
    }
}

TEST(RemoverPaths, LongFormByFindRefusesACutResult)
{
    std::string dir = ScratchDir("RemoverPathsCut") + "\\Long Directory Name";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), 0));
    std::string shortDir = ShortForm(dir);
    char dest[MAX_PATH];
    EXPECT_FALSE(LongFormByFind(shortDir.c_str(), dest, dir.size()));
    EXPECT_EQ(0, dest[0]);
    EXPECT_TRUE(LongFormByFind(shortDir.c_str(), dest, dir.size() + 1));
    EXPECT_EQ(dir, std::string(dest));
}

TEST(RemoverPaths, LongFormAgreesWithTheSystem)
{
    std::string dir = ScratchDir("RemoverPathsSystem") + "\\Program Files Like";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), 0));
    WriteWholeFile(dir + "\\Uninstall Program.exe", "x");
    std::string shortFile = ShortForm(dir + "\\Uninstall Program.exe");
    char system[MAX_PATH], ours[MAX_PATH], chosen[MAX_PATH];
    ASSERT_GT(GetLongPathNameA(shortFile.c_str(), system, sizeof system), 0u);
    ASSERT_TRUE(LongFormByFind(shortFile.c_str(), ours, sizeof ours));
    EXPECT_STREQ(system, ours);
    LongForm(shortFile.c_str(), chosen, sizeof chosen);
    EXPECT_STREQ(system, chosen);
    // A file that is gone keeps its full form.
    LongForm((dir + "\\gone.txt").c_str(), chosen, sizeof chosen);
    EXPECT_EQ(dir + "\\gone.txt", std::string(chosen));
}
