// Where setupkit finds the programs it packs, installed and in a build.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/setupkit/posix.h"
#include "pack_files.h"

using namespace setupkit;
using namespace pack_files;
namespace fs = std::filesystem;

TEST(KitPrograms, InstalledTreeBeforeTheExecutablesFolder)
{
    const std::string root = testing::TempDir() + "kit-programs-" + std::to_string(getpid());
    const std::string bin = root + "/prefix/bin/setupkit";
    const std::string shared = root + "/prefix/share/setupkit/SETUP.EXE";
    const std::string beside = root + "/prefix/bin/SETUP.EXE";
    const struct {
        const char *Name;
        bool Shared, Beside, SharedIsFolder;
        std::string Found;
    } cases[] = {
        {"installed", true, false, false, shared},
        {"built", false, true, false, beside},
        {"both", true, true, false, shared},
        {"neither", false, false, false, ""},
        {"a folder of that name is no program", false, true, true, beside},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(root);
        Write(bin, std::string("#!"));
        if (c.Shared) Write(shared, std::string("MZ"));
        if (c.Beside) Write(beside, std::string("MZ"));
        if (c.SharedIsFolder) fs::create_directories(shared);
        EXPECT_EQ(FindKitProgram(bin, "SETUP.EXE"), c.Found);
    }
    fs::remove_all(root);
}

// The version CMake gives the project, as the front prints it.
TEST(KitPrograms, VersionOption)
{
    const char *setupkit = getenv("SETUPKIT");
    if (!setupkit || access(setupkit, X_OK) != 0) GTEST_SKIP() << "no built setupkit";
    FILE *out = popen((std::string(setupkit) + " --version").c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[100] = "";
    ASSERT_NE(fgets(line, sizeof line, out), nullptr);
    EXPECT_EQ(pclose(out), 0);
    EXPECT_EQ(std::string(line), "setupkit " SETUPKIT_VERSION "\n");
}
