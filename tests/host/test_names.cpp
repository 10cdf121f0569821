// Names from the script that are joined to a directory must stay inside it
// and name a file there.
#include <gtest/gtest.h>

#include "core/names.h"

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

// Before Windows 11 a device name is the device in every directory, with
// any extension, in any case, and with the dots and blanks the platform
// trims; the name is refused in any component.
TEST(IsContainedName, DeviceNames)
{
    struct { const char *name; bool contained; } cases[] = {
        {"NUL", false},
        {"nul", false},
        {"Con", false},
        {"PRN", false},
        {"aux", false},
        {"COM1", false},
        {"com9", false},
        {"LPT1", false},
        {"lpt9", false},
        {"LPT1.TXT", false},
        {"con.tar.gz", false},
        {"NUL.", false},
        {"NUL...", false},
        {"NUL ", false},
        {"nul .txt", false},
        {"AUX . txt", false},
        {"sub\\NUL", false},
        {"NUL\\a.txt", false},
        {"a/b/com3.log", false},
        {"sub\\\\prn", false},
        {"CONIN$", false},
        {"conout$.txt", false},
        {"COM0", false},
        {"LPT\xB9", false},        // the superscript one of the ANSI code page
        // Look-alikes are names.
        {"NULL", true},
        {"CONSOLE", true},
        {"COM10", true},
        {"LPT", true},
        {"COMA", true},
        {"a.nul", true},
        {"nul_", true},
        {"_nul.txt", true},
        {"xcon\\a", true},
        {"AUXI.TXT", true},
        {"CONIN", true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.contained, IsContainedName(c.name));
    }
}

}  // namespace
