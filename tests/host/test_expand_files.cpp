// The authoring file's folders and wildcards, the [SubDir] derived from the
// destinations, and registry roots by name.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/derive_subdirs.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/expand_files.h"
#include "pack_files.h"

using namespace setupkit;
namespace fs = std::filesystem;

namespace {

// The expanded lines, "product>destination" (type 6: "a|b>destination"), or the error.
std::string Expanded(const std::string &files, const std::string &productDir)
{
    try {
        Authoring authoring = ParseAuthoring("[Files]\n" + files, "a");
        ExpandFileLines(authoring, productDir);
        std::string text;
        for (const AuthoredFile &file : authoring.Files)
            text += file.ProductPath + (file.OtherProductPath.empty() ? "" : "|" + file.OtherProductPath) +
                    ">" + file.Destination + (file.NewDisk ? " (new disk)" : "") + "\n";
        return text;
    } catch (const Error &error) {
        return error.what();
    }
}

struct Product {
    std::string Dir = testing::TempDir() + "expand-" + std::to_string(getpid());
    Product()
    {
        fs::remove_all(Dir);
        for (const char *path : {"docs/a.txt", "docs/B.txt", "docs/.hidden", "docs/.git/x",
                                 "docs/sub/c.txt", "bin/x.dll", "bin/y.dll", "bin/z.exe",
                                 "bin/sub/w.dll", "ru/a.txt", "ru/sub/b.txt", "en/a.txt",
                                 "en/sub/b.txt", "en2/a.txt"})
            pack_files::Write(Dir + "/" + path, std::string(path));
    }
    ~Product() { fs::remove_all(Dir); }
};

}  // namespace

TEST(ExpandFiles, FoldersAndPatterns)
{
    Product product;
    struct {
        const char *Line;
        const char *Gives;  // the lines, or the start of the error
    } cases[] = {
        // byte order: 'B' before 'a'; names starting with '.' left out
        {"3,docs/,docs\\", "docs/B.txt>docs\\B.txt\ndocs/a.txt>docs\\a.txt\ndocs/sub/c.txt>docs\\sub\\c.txt\n"},
        {"3,docs\\,", "docs/B.txt>B.txt\ndocs/a.txt>a.txt\ndocs/sub/c.txt>sub\\c.txt\n"},
        {"3,bin/*.dll,lib\\", "bin/x.dll>lib\\x.dll\nbin/y.dll>lib\\y.dll\n"},
        {"2,bin/?.exe,", "bin/z.exe>z.exe\n"},
        {"6,ru/,en/,lang\\", "ru/a.txt|en/a.txt>lang\\a.txt\nru/sub/b.txt|en/sub/b.txt>lang\\sub\\b.txt\n"},
        {"3,docs/a.txt,a.txt", "docs/a.txt>a.txt\n"},
        {"newdisk\n3,bin/*.dll,", "bin/x.dll>x.dll (new disk)\nbin/y.dll>y.dll\n"},
        {"3,bin/*.none,x\\", "a:2: 'bin/*.none' matches no file"},
        {"3,nothere/,x\\", "a:2: no product folder 'nothere'"},
        {"3,b*/x.dll,x\\", "a:2: 'b*/x.dll': '*' and '?' work only in the last component"},
        {"6,ru/,en2/,l\\", "a:2: type 6: 'ru/sub/b.txt' has no counterpart in 'en2/'"},
        {"3,../docs/,x\\", "a:2: product path '../docs/' leaves the product folder"},
        {"3,docs/,docs", "a:2: 'docs/' names many files: its destination is a directory ending in '\\'"},
        {"6,ru/,en/a.txt,x\\", "a:2: type 6 takes two folders or two patterns"},
        {"3,docs/a.txt,", "a:2: an empty destination"},
    };
    for (const auto &c : cases) {
        std::string gives = Expanded(c.Line, product.Dir);
        EXPECT_EQ(gives.compare(0, strlen(c.Gives), c.Gives), 0) << c.Line << "\ngave: " << gives;
    }
}

TEST(DeriveSubDirs, EveryLevelParentsFirstOnce)
{
    struct {
        const char *Text;
        const char *Dirs;  // "line:name" each, or the start of the error
    } cases[] = {
        {"[Files]\n3,a,docs\\more\\a.txt\n", "2:docs 2:docs\\more "},
        {"[SubDir]\ndocs\\more\ndocs\n[Files]\n3,a,a.txt\n", "2:docs 2:docs\\more "},
        {"[SubDir]\nextra\n[Files]\n3,a,docs\\a\n", "2:extra 4:docs "},
        {"[Files]\n3,a,DOCS\\a\n3,b,docs\\b\n", "2:DOCS "},
        {"[Files]\n3,a,a/b/c.txt\n", "2:a 2:a\\b "},
        {"[Files]\n1,a,win\\a\n2,a,sys\\a\n4,a,t\n5,t,data\\t.bin\n6,a,b,loc\\l\n", "5:data 6:loc "},
        {"[Files]\n3,a,..\\up\\a\n", ""},
        {"[Files]\n3,a,d234567890123456789012345678901\\a\n", "2:d234567890123456789012345678901 "},
        {"[Files]\n3,a,a.txt\n3,b,d2345678901234567890\\d2345678901\\a\n",
         "a:3: the directory 'd2345678901234567890\\d2345678901' would be a Dir<n> of 32 characters"},
    };
    for (const auto &c : cases) {
        std::string dirs;
        try {
            Authoring authoring = ParseAuthoring(c.Text, "a");
            DeriveSubDirs(authoring);
            for (const AuthoredValue &dir : authoring.SubDirs)
                dirs += std::to_string(dir.Line) + ":" + dir.Value + " ";
        } catch (const Error &error) {
            dirs = error.what();
        }
        EXPECT_EQ(dirs.compare(0, strlen(c.Dirs), c.Dirs), 0) << c.Text << "\ngave: " << dirs;
        if (!*c.Dirs) EXPECT_EQ(dirs, "");
    }
}

TEST(Authoring, RegistryRootsByName)
{
    struct {
        const char *Key;
        const char *Gives;  // the regKey as written to the script, or the error
    } cases[] = {
        {"HKCR,.abc", "0,.abc"},           {"hkey_classes_root,S", "0,S"},
        {"HKCU,Software\\A,B", "1,Software\\A,B"},
        {"HKEY_CURRENT_USER,S", "1,S"},    {"hklm,S", "2,S"},
        {"HKEY_LOCAL_MACHINE,S", "2,S"},   {"HKU,.DEFAULT", "3,.DEFAULT"},
        {"Hkey_Users,S", "3,S"},           {"2,S", "2,S"},
        {"HKLM\\Software", "a:2: 'HKLM\\Software' is no registry root"},
        {"HKXX,S", "a:2: 'HKXX' is no registry root"},
    };
    for (const auto &c : cases) {
        std::string gives;
        try {
            Authoring a = ParseAuthoring(std::string("[Register]\nregKey=") + c.Key + "\nregVal=a,b\n", "a");
            gives = a.Registry.at(0).Key.Value;
        } catch (const Error &error) {
            gives = error.what();
        }
        EXPECT_EQ(gives.compare(0, strlen(c.Gives), c.Gives), 0) << c.Key << "\ngave: " << gives;
    }
}
