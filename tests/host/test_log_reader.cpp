// The log reader against the lines the setup writes (made with the writer's
// own formats) and against cut, garbled and incomplete ones.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#include "core/log_format.h"
#include "core/log_reader.h"

namespace {

// One line made with a writer's format, ended as the text-mode stream ends it.
template <class... Args> std::string Line(const char *format, Args... args)
{
    char text[1024];
    snprintf(text, sizeof text, format, args...);
    std::string line = text;
    line.insert(line.size() - 1, "\r");
    return line;
}

// The records of a text in a compact form, one per "|".
std::string Records(const std::string &text)
{
    LogCursor cursor = {text.data(), text.size(), 0};
    LogRecord record;
    std::string out;
    while (NextLogRecord(&cursor, &record, 0)) {
        if (!out.empty()) out += "|";
        switch (record.Kind) {
        case LogRecordTitle: out += "T:" + std::string(record.Text); break;
        case LogRecordSource: out += "S:" + std::string(record.Text); break;
        case LogRecordMadeDir: out += "D:" + std::string(record.Text); break;
        case LogRecordFileCopy: out += "F:" + std::string(record.Text); break;
        case LogRecordRegistry:
            out += "R" + std::to_string(record.Root) + ":" + record.Text + ":" + record.Name + "=" +
                   record.Value;
            break;
        case LogRecordIni:
            out += "I:" + std::string(record.Text) + "[" + record.Section + "]" + record.Name +
                   "=" + record.Value;
            break;
        case LogRecordIcon:
            out += "G:" + std::string(record.Text) + ":" + record.Name + "=" + record.Value;
            break;
        default: out += "?";
        }
    }
    return out;
}

const std::string Header = "*** Installation Started 05/03/01 09:07 ***\r\n";

std::string RegistryGroup(const char *key, const char *data, const char *name, int root)
{
    return Line(LogRegKeyFormat, key) + Line(LogRegValFormat, data) + Line(LogRegNameFormat, name) +
           Line(LogRegRootFormat, root);
}

}  // namespace

TEST(LogReader, EveryLineFormOfACompleteRun)
{
    std::string text = Header + Line(LogTitleFormat, "Demo, \"the\" product") +
                       Line(LogSourceFormat, "A:\\") + Line(LogMadeDirFormat, "C:\\Demo") +
                       Line(LogMadeDirFormat, "C:\\Demo\\docs") +
                       Line(LogFileCopyFormat, "C:\\Demo\\a b.txt") +
                       RegistryGroup("Software\\Demo", "C:\\DEMO~1\\x", "Path", 1) +
                       RegistryGroup("", "", "", 0) +
                       Line(LogIniFileFormat, "C:\\windows") + Line(LogIniSectFormat, "Demo, s") +
                       Line(LogIniItemFormat, "Key") + Line(LogIniValFormat, "v, w ") +
                       Line(LogIconGroupFormat, "Tools \"Best\", Ever") +
                       Line(LogIconNameFormat, "Read me, please") +
                       Line(LogIconCmdFormat, "C:\\DEMO~1", "docs\\readme.txt");
    ASSERT_TRUE(IsInstallLog(text.data(), text.size()));
    EXPECT_EQ("T:Demo, \"the\" product|S:A:\\|D:C:\\Demo|D:C:\\Demo\\docs|F:C:\\Demo\\a b.txt|"
              "R1:Software\\Demo:Path=C:\\DEMO~1\\x|R0::=|"
              "I:C:\\windows\\win.ini[Demo, s]Key=v, w |"
              "G:Tools \"Best\", Ever:Read me, please=C:\\DEMO~1\\docs\\readme.txt",
              Records(text));
}

TEST(LogReader, DamagedLinesAndGroupsArePassedOver)
{
    const std::string file = Line(LogFileCopyFormat, "C:\\f");
    const std::string longPath(LogFieldSize, 'x');
    struct Case {
        const char *what;
        std::string text;
        const char *records;
    } cases[] = {
        {"last line without its line end", file + "File Copy: C:\\cu", "F:C:\\f"},
        {"line feeds alone end lines too", "File Copy: C:\\a\nMade Dir: C:\\d\n", "F:C:\\a|D:C:\\d"},
        {"registry group without its root, then a file",
         Line(LogRegKeyFormat, "K") + Line(LogRegValFormat, "d") + Line(LogRegNameFormat, "n") + file,
         "F:C:\\f"},
        {"registry group cut at the end",
         file + Line(LogRegKeyFormat, "K") + Line(LogRegValFormat, "d"), "F:C:\\f"},
        {"registry lines out of order",
         Line(LogRegValFormat, "d") + Line(LogRegKeyFormat, "K") + Line(LogRegNameFormat, "n") +
             Line(LogRegRootFormat, 1),
         ""},
        {"root outside 0 to 3", RegistryGroup("K", "d", "n", 4) + file, "F:C:\\f"},
        {"root with more after the digit",
         Line(LogRegKeyFormat, "K") + Line(LogRegValFormat, "d") + Line(LogRegNameFormat, "n") +
             "RegDB Root: 1x\r\n",
         ""},
        {"a group broken by a garbled line, the next group whole",
         Line(LogIniFileFormat, "C:\\w") + "INI S\x01ct: s\r\n" + Line(LogIconGroupFormat, "g") +
             Line(LogIconNameFormat, "n") + Line(LogIconCmdFormat, "C:\\D", "a.exe"),
         "G:g:n=C:\\D\\a.exe"},
        {"icon group without its command", Line(LogIconGroupFormat, "g") +
             Line(LogIconNameFormat, "n") + file, "F:C:\\f"},
        {"a NUL inside a line", std::string("File Copy: C:\\a\0b\r\n", 19) + file, "F:C:\\f"},
        {"a path too long for the field is not cut into another",
         "File Copy: " + longPath + "\r\n" + file, "F:C:\\f"},
        {"empty paths name nothing", "Made Dir: \r\nFile Copy: \r\n" + file, "F:C:\\f"},
        {"prefix without its blank", "File Copy:C:\\a\r\n", ""},
        {"unknown lines", "hello\r\n\r\n*** Installation Started x ***\r\n" + file, "F:C:\\f"},
    };
    for (const Case &c : cases) EXPECT_EQ(c.records, Records(c.text)) << c.what;
}

TEST(LogReader, HeaderMarksAnInstallationLog)
{
    struct Case {
        std::string text;
        bool log;
    } cases[] = {
        {Header, true},
        {"*** Installation Started 05/03/01 09:07 ***\n", true},
        {Header + "Title: x\r\n", true},
        {"*** Installation Started 05/03/01 09:07 ***", false},  // cut
        {"Title: x\r\n" + Header, false},
        {"*** Installation Started ***\r\n", false},
        {"", false},
        {"MZ\x90\x00\x03", false},
    };
    for (const Case &c : cases) EXPECT_EQ(c.log, IsInstallLog(c.text.data(), c.text.size())) << c.text;
}
