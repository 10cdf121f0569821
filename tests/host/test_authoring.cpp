// The authoring file reader: what it refuses, and at which line.
#include <gtest/gtest.h>

#include <string>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/error.h"

using namespace setupkit;

TEST(Authoring, RefusesWithTheLine)
{
    struct {
        const char *Text;
        const char *Says;  // "a:LINE: ..."
    } cases[] = {
        {"DlgTitle=x\n", "a:1: a line outside any section"},
        {"[Title]\n\nNumberDisk=2\n", "a:3: 'NumberDisk' is generated"},
        {"[SubDir]\nNumberDirs=1\n", "a:2: 'NumberDirs' is generated"},
        {"[Files]\nfile1=3,a,b\n", "a:2: expected type,product-path"},
        {"[Disk1]\n", "a:1: [Disk1]: disk sections are generated"},
        {"[Files]\n7,a,b\n", "a:2: expected type,product-path,destination with a type from 1 to 6"},
        {"[Files]\n3,a\n", "a:2: expected type,product-path,destination"},
        {"[Files]\n6,a,b\n", "a:2: type 6 needs"},
        {"[Files]\n3,a,\n", "a:2: an empty destination"},
        {"[Files]\n3,a,b\nnewdisk\n", "a:3: newdisk with no file after it"},
        {"[Register]\nregKey=2,S\nregKey=2,T\nregVal=a,b\n", "a:2: regKey without the regVal"},
        {"[Register]\nregVal=a,b\n", "a:2: regVal without a regKey"},
        {"[Register]\nregKey=2,S\n[WinIni]\n", "a:2: regKey without the regVal"},
        {"[Title]\nSizeInst=12k\n", "a:2: SizeInst must be a number"},
        {"[Title]\nDlgTitle=a\r\ndlgtitle=b\r\n", "a:3: dlgtitle given twice (first on line 2)"},
        {"[Title]\nColour=blue\n", "a:2: unknown [Title] key"},
        {"[Extras]\n", "a:1: unknown section [Extras]"},
        {"[Title\n", "a:1: a section header without its ']'"},
        {"[Title]\nDlgTitle=Caf\xE9\n", "a:2: not UTF-8: byte 0xE9 at column 13"},
        {"; caf\xE9 in a comment\n[Title]\n", "a:1: not UTF-8: byte 0xE9 at column 6"},
        {"[Files]\n3,\xD0,a\n", "a:2: not UTF-8: byte 0xD0 at column 3"},  // cut short
        {"\xEF\xBB[Title]\n", "a:1: not UTF-8: byte 0xEF at column 1"},     // half a mark
    };
    for (const auto &c : cases) {
        try {
            ParseAuthoring(c.Text, "a");
            ADD_FAILURE() << "accepted: " << c.Text;
        } catch (const Error &error) {
            EXPECT_EQ(std::string(error.what()).find(c.Says), 0u)
                << c.Text << "\ngave: " << error.what();
        }
    }
}

TEST(Authoring, ReadsWhatPackNeeds)
{
    Authoring a = ParseAuthoring("; comment\n[title]\n DlgTitle = My App \n[SubDir]\ndocs\nDir=docs\\x\n"
                                 "[Files]\n# comment\n3, dir\\a,b.txt , c\\d.txt\nnewdisk\n"
                                 "6,ru.txt,en.txt,lang.txt\n[Register]\nregKey=2,S,x\nregVal=a,b,c\n",
                                 "a");
    EXPECT_EQ(a.TitleValue("DLGTITLE")->Value, "My App");
    ASSERT_EQ(a.SubDirs.size(), 2u);
    EXPECT_EQ(a.SubDirs[1].Value, "docs\\x");
    ASSERT_EQ(a.Files.size(), 2u);
    EXPECT_EQ(a.Files[0].ProductPath, "dir\\a,b.txt");  // split at the last comma
    EXPECT_EQ(a.Files[0].Destination, "c\\d.txt");
    EXPECT_EQ(a.Files[0].Line, 9);
    EXPECT_FALSE(a.Files[0].NewDisk);
    EXPECT_TRUE(a.Files[1].NewDisk);
    EXPECT_EQ(a.Files[1].OtherProductPath, "en.txt");
    ASSERT_EQ(a.Registry.size(), 1u);
    EXPECT_EQ(a.Registry[0].Value.Value, "a,b,c");
}

TEST(Authoring, Utf8WithOrWithoutAByteOrderMark)
{
    for (const char *mark : {"", "\xEF\xBB\xBF"}) {
        Authoring a = ParseAuthoring(std::string(mark) +
                                         "[Title]\r\nDlgTitle=Программа 表示\r\n[Files]\r\n"
                                         "3,привет.txt,Привет\\привет.txt\r\n",
                                     "a");
        ASSERT_NE(a.TitleValue("DlgTitle"), nullptr) << (*mark ? "with" : "without");
        EXPECT_EQ(a.TitleValue("DlgTitle")->Value, "Программа 表示");
        EXPECT_EQ(a.TitleValue("DlgTitle")->Line, 2);
        ASSERT_EQ(a.Files.size(), 1u);
        EXPECT_EQ(a.Files[0].ProductPath, "привет.txt");
        EXPECT_EQ(a.Files[0].Destination, "Привет\\привет.txt");
        EXPECT_EQ(a.Files[0].Line, 4);
    }
}
