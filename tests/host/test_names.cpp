// Names from the script that are joined to a directory must stay inside it.
#include <gtest/gtest.h>

#include "core/entries.h"

namespace {

TEST(IsContainedName, Table)
{
    struct { const char *name; bool contained; } cases[] = {
        {"a.txt", true},
        {"sub\\a.txt", true},
        {"sub/a.txt", true},
        {"deep\\er\\a.txt", true},
        {".\\a.txt", true},
        {"a..b", true},            // dots inside a name are a name
        {"..a", true},
        {"a.", true},
        {".profile", true},
        {"", false},
        {"..", false},
        {"..\\a.txt", false},
        {"../a.txt", false},
        {"sub\\..\\..\\a.txt", false},
        {"sub/../a.txt", false},
        {"sub\\..", false},
        {"...", false},            // trailing dots go: the parent again
        {".. ", false},
        {". .", false},
        {"sub\\...\\a", false},
        {"\\a.txt", false},
        {"/a.txt", false},
        {"\\\\server\\share\\a", false},
        {"C:\\a.txt", false},
        {"C:a.txt", false},
        {"a.txt:stream", false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.contained, IsContainedName(c.name));
    }
}

}  // namespace
