// The group's command text from items given by a table: what is in it, what
// is reported for the log, and that it stays within its block.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/group_text.h"

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
    items.Texts = {"app.exe,The \"App\", started", "nocomma", "docs\\r.txt,Read me"};
    EXPECT_EQ("[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n"
              "[AddItem(C:\\PROGRA~1\\APP\\app.exe,\"The \"App\", started\")]\n"
              "[AddItem(C:\\PROGRA~1\\APP\\docs\\r.txt,\"Read me\")]\n[ShowGroup(\"G\",6)]\n",
              Build(items, "G", 3));
    std::vector<std::string> added = {"G|The \"App\", started|app.exe", "G|Read me|docs\\r.txt"};
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

}  // namespace
