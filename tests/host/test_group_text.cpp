// The group's command text from items given by a table: what is in it, what
// is reported for the log, and that it stays within its block.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/group_text.h"
#include "code_pages.h"

namespace {

struct Items {
    std::vector<std::string> Texts;
    std::vector<std::string> Added;  // "group|name|command file" of each reported item
};

void ReadFromTable(void *context, int n, char *text)
{
    const Items &items = *(const Items *)context;
    if (n >= 1 && (size_t)n <= items.Texts.size())
        snprintf(text, ItemLimit, "%s", items.Texts[n - 1].c_str());
}

void Record(void *context, const char *group, const ItemEntry &item)
{
    ((Items *)context)->Added.push_back(std::string(group) + "|" + item.Name + "|" +
                                        item.CommandFile);
}

std::string Build(Items &items, const char *group, int count, size_t capacity = 10000)
{
    std::vector<char> block(capacity + 8, 'M');
    BuildGroupText(block.data(), capacity, group, "C:\\PROGRA~1\\APP", count, ReadFromTable,
                   Record, &items);
    for (size_t i = capacity; i < block.size(); ++i) EXPECT_EQ('M', block[i]) << i;
    return std::string(block.data());
}

TEST(GroupText, CommandsInOrderAndOnlyTheWrittenItemsReported)
{
    Items items;
    items.Texts = {"app.exe,The App, started", "nocomma", "docs\\r.txt,Read me"};
    EXPECT_EQ("[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n"
              "[AddItem(C:\\PROGRA~1\\APP\\app.exe,\"The App, started\")]\n"
              "[AddItem(C:\\PROGRA~1\\APP\\docs\\r.txt,\"Read me\")]\n[ShowGroup(\"G\",6)]\n",
              Build(items, "G", 3));
    std::vector<std::string> added = {"G|The App, started|app.exe", "G|Read me|docs\\r.txt"};
    EXPECT_EQ(added, items.Added);

    struct { int Count; const char *Expected; } counts[] = {
        {0, "[ShowGroup(\"G\",6)]\n"},
        {-1, "[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n[ShowGroup(\"G\",6)]\n"},
    };
    for (const auto &c : counts) {
        Items none;
        EXPECT_EQ(c.Expected, Build(none, "G", c.Count)) << c.Count;
        EXPECT_TRUE(none.Added.empty());
    }
}

TEST(GroupText, LongNamesAreCutAndTheLastCommandAlwaysFits)
{
    Items items;
    items.Texts.assign(500, "app.exe," + std::string(100, 'n'));
    std::string group(300, 'g');
    std::string text = Build(items, group.c_str(), 500, 2000);
    EXPECT_LT(text.size(), 2000u);
    std::string last = "[ShowGroup(\"" + std::string(235, 'g') + "\",6)]\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(last, text.substr(text.size() - last.size()));
    EXPECT_EQ(std::string(235, 'g'), items.Added.at(0).substr(0, 235 + 0));
    // Every reported item is in the text, and no more.
    size_t lines = 0;
    for (size_t at = text.find("[AddItem("); at != std::string::npos;
         at = text.find("[AddItem(", at + 1))
        ++lines;
    EXPECT_EQ(items.Added.size(), lines);
    EXPECT_GT(lines, 0u);

    // A capacity too small for anything but the closing command, and none.
    Items few;
    few.Texts = {"a,b"};
    EXPECT_EQ("", Build(few, "G", 1, 1));
    EXPECT_TRUE(few.Added.empty());
}

// A name that would close its quotes and start commands of its own goes
// out as one argument; an unquoted command line that could end the command
// leaves its item out. What is reported for the log is what was sent.
TEST(GroupText, NoNameBecomesACommand)
{
    struct {
        const char *Name, *Group, *Item, *Dir;
        const char *Line;  // the AddItem line, empty when the item is left out
        const char *Added;
    } cases[] = {
        {"quotes in the group name", "Typed\")][DeleteGroup(\"Victim\")][ShowGroup(\"Victim",
         "a.exe,A", "C:\\APP", "[AddItem(C:\\APP\\a.exe,\"A\")]\n",
         "Typed')][DeleteGroup('Victim')][ShowGroup('Victim|A|a.exe"},
        {"quotes in the caption", "G", "a.exe,A\")][DeleteGroup(\"Victim", "C:\\APP",
         "[AddItem(C:\\APP\\a.exe,\"A')][DeleteGroup('Victim\")]\n",
         "G|A')][DeleteGroup('Victim|a.exe"},
        {"control characters in the caption", "G", "a.exe,A\tB\x1f\x7f", "C:\\APP",
         "[AddItem(C:\\APP\\a.exe,\"A B  \")]\n", "G|A B  |a.exe"},
        {"brackets and commas stay", "G [1], (x)", "a.exe,A, [b] (c)", "C:\\APP",
         "[AddItem(C:\\APP\\a.exe,\"A, [b] (c)\")]\n", "G [1], (x)|A, [b] (c)|a.exe"},
        {"closing parenthesis in the command file", "G", "a)][DeleteGroup(\"V\")][x(.exe,A",
         "C:\\APP", "", ""},
        {"quote in the command file", "G", "a\".exe,A", "C:\\APP", "", ""},
        {"tab in the command file", "G", "a\t.exe,A", "C:\\APP", "", ""},
        {"closing parenthesis in the directory", "G", "a.exe,A", "C:\\A)][DeleteGroup(V", "", ""},
        {"a file name with parentheses", "G", "a(1).exe,A", "C:\\APP", "", ""},
        {"brackets in the command file", "G", "a[1].exe,A", "C:\\[APP]",
         "[AddItem(C:\\[APP]\\a[1].exe,\"A\")]\n", "G|A|a[1].exe"},
    };
    for (const auto &c : cases) {
        Items items;
        items.Texts = {c.Item};
        std::vector<char> block(GroupCommandTextSize);
        BuildGroupText(block.data(), block.size(), c.Group, c.Dir, 1, ReadFromTable, Record, &items);
        std::string text = block.data();
        // Three group lines around the item, each with two quotes.
        std::string group = c.Group;
        for (char &ch : group)
            if (ch == '"') ch = '\'';
        EXPECT_EQ("[CreateGroup(\"" + group + "\")]\n[ShowGroup(\"" + group + "\",1)]\n" +
                      c.Line + "[ShowGroup(\"" + group + "\",6)]\n",
                  text)
            << c.Name;
        EXPECT_EQ(*c.Added ? std::vector<std::string>{c.Added} : std::vector<std::string>{},
                  items.Added)
            << c.Name;
    }
}

TEST(GroupText, FolderNamesOfTheGroupPage)
{
    struct {
        const char *Name;
        LeadByteTest Lead;
        bool Folder;
    } cases[] = {
        {"Demo", nullptr, true},
        {"", nullptr, true},
        {"A, B [x] (y) & 'z'", nullptr, true},
        {"Typed\")][DeleteGroup(\"Victim\")][ShowGroup(\"Victim", nullptr, false},
        {"a\\b", nullptr, false}, {"a/b", nullptr, false}, {"a:b", nullptr, false},
        {"a*", nullptr, false}, {"a?", nullptr, false}, {"\"a", nullptr, false},
        {"<a", nullptr, false}, {"a>", nullptr, false}, {"a|b", nullptr, false},
        {"a\tb", nullptr, false}, {"a\nb", nullptr, false}, {"a\x7f", nullptr, false},
        {"\xe9t\xe9", nullptr, true},
        // The second byte of a double-byte character is none of its own.
        {"\x95\x5c\x8e\xa6", Lead932, true},
        {"\x83\x7c", Lead932, true},
        {"\x95\x5c", nullptr, false},
        {"\x95\x5c\\", Lead932, false},
        {"\x95", Lead932, true},
        {"\x95\"", Lead932, false},  // a quote is never a second byte
        {"\x95\t", Lead932, false},
    };
    for (const auto &c : cases) {
        UsingCodePage codePage(c.Lead);
        EXPECT_EQ(c.Folder, IsGroupFolderName(c.Name)) << c.Name;
        // What the page accepts the shell can carry, empty aside.
        if (c.Folder && c.Name[0] && !c.Lead) {
            EXPECT_TRUE(IsSendableGroupName(c.Name)) << c.Name;
        }
    }
}

}  // namespace
