// The install record: its lines read back as written, damaged records are
// recognised, later runs merge into earlier ones; and the uninstaller's
// decisions over the record's entries.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/crc32.h"
#include "core/group_text.h"
#include "core/install_record.h"
#include "core/record_rules.h"

namespace {

RecordEntry Make(int kind, const char *text, const char *name = "", const char *value = "")
{
    RecordEntry entry;
    StartRecordEntry(&entry, kind);
    strcpy(entry.Text, text);
    strcpy(entry.Name, name);
    strcpy(entry.Value, value);
    return entry;
}

std::string Line(const RecordEntry &entry)
{
    char line[RecordLineSize];
    EXPECT_TRUE(FormatRecordLine(&entry, line, sizeof line));
    return line;
}

// A whole record of the given entry lines (each with its CR LF).
std::string Record(const std::string &lines)
{
    char line[RecordLineSize];
    FormatRecordHeader(line, sizeof line);
    std::string text = line + lines;
    unsigned long count = 0;
    for (size_t at = 0; (at = lines.find('\n', at)) != std::string::npos; ++at) ++count;
    FormatRecordEnd(count, UpdateCrc32(Crc32Start, text.data(), text.size()), line, sizeof line);
    return text + line;
}

RecordCheck Check(const std::string &text)
{
    return CheckRecord(text.data(), text.size(), 0);
}

bool Parse(const std::string &line, RecordEntry *entry)
{
    return ParseRecordLine(line.data(), line.size(), entry);
}

}  // namespace

TEST(InstallRecord, LinesAsWritten)
{
    RecordEntry file = Make(RecordFile, "C:\\Program Files\\Demo\\100%.txt");
    file.Size = 12;
    file.Crc = 0x0a1b2c3d;
    RecordEntry reg = Make(RecordReg, "Software\\Demo", "", "C:\\PROGRA~1\\DEMO\\");
    reg.Root = 2;
    reg.Prior = PriorPresent;
    reg.PriorType = 1;
    reg.PriorSize = 3;
    memcpy(reg.PriorData, "ab\0", 3);
    strcpy(reg.CreatedKey, "");
    RecordEntry ini = Make(RecordIni, "Demo", "Home", "x");
    ini.Prior = PriorAbsent;
    RecordEntry dir = Make(RecordDir, "C:\\");
    dir.Flag = 1;
    struct Case {
        const char *name;
        RecordEntry entry;
        const char *line;
    } cases[] = {
        {"file, blank and percent escaped", file,
         "File 0 12 0a1b2c3d :C:\\Program%20Files\\Demo\\100%25.txt\r\n"},
        {"registry value with prior data", reg,
         "Reg 2 1 1 x616200 : :Software\\Demo : :C:\\PROGRA~1\\DEMO\\\r\n"},
        {"win.ini entry that was absent", ini, "Ini 0 : :Demo :Home :x\r\n"},
        {"directory made", dir, "Dir 1 :C:\\\r\n"},
        {"group with quote and bracket", Make(RecordGroup, "A \"B\" ]C"),
         "Group 0 :A%20\"B\"%20]C\r\n"},
    };
    for (const Case &c : cases) EXPECT_EQ(c.line, Line(c.entry)) << c.name;
}

TEST(InstallRecord, EveryKindReadsBackAsWritten)
{
    RecordEntry reg = Make(RecordReg, "Software\\A B", "Name\twith tab", "v%alue\x7f");
    reg.Root = 3;
    reg.Prior = PriorPresent;
    reg.PriorType = 7;
    reg.PriorSize = RecordDataSize;
    for (int i = 0; i < RecordDataSize; ++i) reg.PriorData[i] = (unsigned char)i;
    strcpy(reg.CreatedKey, "Software\\A B");
    RecordEntry ini = Make(RecordIni, "Sec,tion", "", "");
    ini.Prior = PriorPresent;
    strcpy((char *)ini.PriorData, " old value ");
    ini.PriorSize = strlen((char *)ini.PriorData);
    RecordEntry notKept = Make(RecordReg, "", "", "");
    notKept.Prior = PriorNotKept;
    RecordEntry item = Make(RecordItem, "Group", "\xe9l\xe8ve");
    item.Flag = 1;
    RecordEntry file = Make(RecordFile, "D:\\x");
    file.Flag = 1;
    file.Size = 0xFFFFFFFFUL;
    file.Crc = 0xFFFFFFFFUL;
    std::string longText(RecordTextSize - 1, '%');
    RecordEntry title = Make(RecordTitle, longText.c_str());
    struct Case {
        const char *name;
        RecordEntry entry;
    } cases[] = {
        {"registry, every escape, full data", reg}, {"win.ini with blanks kept", ini},
        {"registry, prior not kept, root key", notKept}, {"item, 8-bit name", item},
        {"file, largest numbers", file}, {"title, longest text all escaped", title},
    };
    for (const Case &c : cases) {
        std::string line = Line(c.entry);
        ASSERT_GE(line.size(), 2u) << c.name;
        RecordEntry back;
        ASSERT_TRUE(Parse(line.substr(0, line.size() - 2), &back)) << c.name << ": " << line;
        EXPECT_EQ(line, Line(back)) << c.name;
        EXPECT_EQ(0, memcmp(&c.entry.PriorData, &back.PriorData, c.entry.PriorSize)) << c.name;
        EXPECT_STREQ(c.entry.Text, back.Text) << c.name;
        EXPECT_STREQ(c.entry.Name, back.Name) << c.name;
        EXPECT_STREQ(c.entry.Value, back.Value) << c.name;
    }
}

TEST(InstallRecord, MalformedLinesRefused)
{
    struct Case {
        const char *name;
        std::string line;
    } cases[] = {
        {"unknown keyword", "Fil 0 1 00000000 :a"},
        {"keyword in other case", "file 0 1 00000000 :a"},
        {"field missing", "File 0 1 :a"},
        {"field too many", "Dir 1 :a :b"},
        {"two blanks", "Dir  1 :a"},
        {"trailing blank", "Dir 1 :a "},
        {"flag 2", "Dir 2 :a"},
        {"root 4", "Reg 4 0 0 x : :k :n :v"},
        {"prior 3", "Ini 3 : :s :k :v"},
        {"data without prior", "Reg 1 0 0 x00 : :k :n :v"},
        {"type without prior", "Reg 1 0 1 x : :k :n :v"},
        {"ini prior text without prior", "Ini 0 :old :s :k :v"},
        {"odd data", "Reg 1 1 1 x0 : :k :n :v"},
        {"upper-case data", "Reg 1 1 1 xAB : :k :n :v"},
        {"upper-case CRC", "File 0 1 0000000A :a"},
        {"short CRC", "File 0 1 0000000 :a"},
        {"leading zero", "File 0 01 00000000 :a"},
        {"size beyond 32 bits", "File 0 4294967296 00000000 :a"},
        {"negative", "File 0 -1 00000000 :a"},
        {"text without colon", "Dir 1 a"},
        {"cut escape", "Dir 1 :a%2"},
        {"escape not hex", "Dir 1 :a%zz"},
        {"escaped NUL", "Dir 1 :a%00b"},
        {"escaped plain letter", "Dir 1 :%41"},
        {"raw control character", "Dir 1 :a\tb"},
        {"raw DEL", "Dir 1 :a\x7f"},
        {"text too long", "Title :" + std::string(RecordTextSize, 'a')},
        {"empty", ""},
    };
    for (const Case &c : cases) {
        RecordEntry entry;
        EXPECT_FALSE(Parse(c.line, &entry)) << c.name;
        EXPECT_EQ(0, entry.Kind) << c.name;
    }
}

TEST(InstallRecord, DamagedRecordsRecognised)
{
    std::string lines = "Dir 1 :C:\\Demo\r\nFile 0 3 12345678 :C:\\Demo\\a\r\n";
    std::string good = Record(lines);
    std::string flipped = good;
    flipped[good.find("12345678")] = '2';
    std::string miscounted = good;
    miscounted.replace(miscounted.find("End 2"), 5, "End 1");
    std::string version2 = good;
    version2.replace(0, 15, "InstallRecord 2");
    std::string version0 = good;
    version0.replace(0, 15, "InstallRecord 0");
    std::string lfOnly;
    for (char c : good)
        if (c != '\r') lfOnly += c;
    struct Case {
        const char *name;
        std::string text;
        RecordCheck check;
    } cases[] = {
        {"intact", good, RecordIntact},
        {"intact, no entries", Record(""), RecordIntact},
        {"one byte changed", flipped, RecordDamaged},
        {"count does not match", miscounted, RecordDamaged},
        {"cut before the end line", good.substr(0, good.find("End")), RecordDamaged},
        {"end line without its line end", good.substr(0, good.size() - 2), RecordDamaged},
        {"something after the end line", good + "Dir 1 :x\r\n", RecordDamaged},
        {"line feeds only", lfOnly, RecordDamaged},
        {"a later version", version2, RecordTooNew},
        {"version 0", version0, RecordDamaged},
        {"an entry that does not read", Record("Dir 1 :a b\r\n"), RecordDamaged},
        {"an install.log", "*** Installation Started 05/03/01 09:07 ***\r\n", RecordDamaged},
        {"empty", "", RecordDamaged},
    };
    for (const Case &c : cases) EXPECT_EQ(c.check, Check(c.text)) << c.name;

    unsigned long count = 0;
    ASSERT_EQ(RecordIntact, CheckRecord(good.data(), good.size(), &count));
    EXPECT_EQ(2u, count);
    RecordCursor cursor;
    StartRecordCursor(&cursor, good.data(), good.size());
    const char *line;
    size_t size, start;
    std::string walked;
    while (NextRecordLine(&cursor, &line, &size, &start)) walked += std::string(line, size) + "\r\n";
    EXPECT_EQ(lines, walked);
}

TEST(InstallRecord, LaterRunsMergeIntoEarlier)
{
    RecordEntry created = Make(RecordFile, "C:\\Demo\\A.TXT");
    created.Size = 1;
    created.Crc = 1;
    RecordEntry replaced = Make(RecordFile, "c:\\demo\\a.txt");
    replaced.Flag = 1;
    replaced.Size = 2;
    replaced.Crc = 2;
    RecordEntry made = Make(RecordDir, "C:\\Demo");
    made.Flag = 1;
    RecordEntry found = Make(RecordDir, "C:\\DEMO");
    RecordEntry firstReg = Make(RecordReg, "Software\\Demo", "Path", "one");
    firstReg.Prior = PriorPresent;
    firstReg.PriorType = 1;
    firstReg.PriorSize = 4;
    memcpy(firstReg.PriorData, "old", 4);
    RecordEntry laterReg = Make(RecordReg, "SOFTWARE\\demo", "PATH", "two");
    laterReg.Prior = PriorPresent;
    laterReg.PriorType = 1;
    laterReg.PriorSize = 4;
    memcpy(laterReg.PriorData, "one", 4);
    strcpy(laterReg.CreatedKey, "Software\\Demo");
    RecordEntry existingGroup = Make(RecordGroup, "Accessories");
    existingGroup.Flag = 1;
    RecordEntry sameGroupLater = Make(RecordGroup, "accessories");

    struct Case {
        const char *name;
        RecordEntry earlier, later;
        int flag;
        unsigned long size;
        const char *value, *prior, *createdKey;
    } cases[] = {
        {"file created, then replaced: still created, last content", created, replaced, 0, 2, "",
         0, ""},
        {"directory made, then found", made, found, 1, 0, "", 0, ""},
        {"directory found, then made", found, made, 1, 0, "", 0, ""},
        {"value: first prior, last data, created key of the later", firstReg, laterReg, 0, 0,
         "two", "old", "Software\\Demo"},
        {"group existed before the first run", existingGroup, sameGroupLater, 1, 0, "", 0, ""},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(SameRecordSubject(&c.earlier, &c.later)) << c.name;
        EXPECT_EQ(RecordSubjectHash(&c.earlier), RecordSubjectHash(&c.later)) << c.name;
        RecordEntry merged = c.earlier;
        MergeRecordEntry(&merged, &c.later);
        EXPECT_EQ(c.flag, merged.Flag) << c.name;
        EXPECT_EQ(c.size, merged.Size) << c.name;
        EXPECT_STREQ(c.value, merged.Value) << c.name;
        if (c.prior) EXPECT_STREQ(c.prior, (const char *)merged.PriorData) << c.name;
        EXPECT_STREQ(c.createdKey, merged.CreatedKey) << c.name;
    }

    RecordEntry otherRoot = firstReg;
    otherRoot.Root = 1;
    RecordEntry otherName = Make(RecordReg, "Software\\Demo", "Path2", "");
    RecordEntry otherKind = Make(RecordDir, "C:\\Demo\\A.TXT");
    RecordEntry otherItem = Make(RecordItem, "Accessories", "B");
    RecordEntry item = Make(RecordItem, "Accessories", "A");
    struct Pair {
        const char *name;
        RecordEntry a, b;
    } different[] = {
        {"registry root", firstReg, otherRoot},
        {"value name", firstReg, otherName},
        {"file and directory of one path", created, otherKind},
        {"items of one group", item, otherItem},
    };
    for (const Pair &p : different) EXPECT_FALSE(SameRecordSubject(&p.a, &p.b)) << p.name;
}

TEST(RecordRules, FileFates)
{
    RecordEntry created = Make(RecordFile, "C:\\Demo\\a.txt");
    created.Size = 5;
    created.Crc = 0x1234;
    RecordEntry stood = created;
    stood.Flag = 1;
    FileFound same = {true, false, false, true, 5, 0x1234};
    FileFound edited = {true, false, false, true, 5, 0x4321};
    FileFound longer = {true, false, false, true, 6, 0x1234};
    FileFound missing = {false, false, false, false, 0, 0};
    FileFound directory = {true, true, false, false, 0, 0};
    FileFound unread = {true, false, false, false, 0, 0};
    FileFound linked = {true, false, true, true, 5, 0x1234};
    struct Case {
        const char *name;
        RecordEntry entry;
        FilePlace place;
        FileFound found;
        FileFate fate;
    } cases[] = {
        {"created, unchanged", created, PlaceInstall, same, FileRemove},
        {"created in the temporary directory", created, PlaceTemp, same, FileRemove},
        {"stood there before", stood, PlaceInstall, same, FileKeptStoodBefore},
        {"edited since", created, PlaceInstall, edited, FileKeptChanged},
        {"grown since", created, PlaceInstall, longer, FileKeptChanged},
        {"already gone", created, PlaceInstall, missing, FileGoneAlready},
        {"a directory now", created, PlaceInstall, directory, FileKeptDirectory},
        {"cannot be read", created, PlaceInstall, unread, FileKeptUnread},
        {"through a junction", created, PlaceInstall, linked, FileKeptLink},
        {"shared directory", created, PlaceShared, same, FileKeptShared},
        {"elsewhere on the drive", created, PlaceOutside, same, FileKeptOutside},
    };
    for (const Case &c : cases) {
        FileFate fate = DecideFile(&c.entry, c.place, &c.found);
        EXPECT_EQ(c.fate, fate) << c.name;
        EXPECT_EQ(fate == FileRemove || fate == FileGoneAlready, FileFateReason(fate) == 0)
            << c.name;
    }
}

TEST(RecordRules, ValueFates)
{
    RecordEntry absent = Make(RecordReg, "k");
    RecordEntry present = absent;
    present.Prior = PriorPresent;
    RecordEntry notKept = absent;
    notKept.Prior = PriorNotKept;
    struct Case {
        const char *name;
        RecordEntry entry;
        ValueNow now;
        ValueFate fate;
    } cases[] = {
        {"new value, unchanged", absent, ValueAsWritten, ValueRemove},
        {"prior value, unchanged", present, ValueAsWritten, ValueRestore},
        {"prior too large, unchanged", notKept, ValueAsWritten, ValueKeptNotKept},
        {"new value, changed", absent, ValueChanged, ValueKeptChanged},
        {"prior value, changed", present, ValueChanged, ValueKeptChanged},
        {"new value, deleted since", absent, ValueMissing, ValueGoneAlready},
        {"prior value, deleted since", present, ValueMissing, ValueGoneAlready},
    };
    for (const Case &c : cases) EXPECT_EQ(c.fate, DecideValue(&c.entry, c.now)) << c.name;
}

TEST(RecordRules, KeysToRemoveDeepestFirst)
{
    struct Case {
        const char *name, *key, *created;
        std::vector<std::string> keys;
    } cases[] = {
        {"none created", "Software\\A\\B", "", {}},
        {"the key itself", "Software\\A\\B", "Software\\A\\B", {"Software\\A\\B"}},
        {"two levels", "Software\\A\\B", "software\\a", {"Software\\A\\B", "Software\\A"}},
        {"not a parent", "Software\\AB\\C", "Software\\A", {}},
        {"longer than the key", "Software\\A", "Software\\A\\B", {}},
        {"unrelated", "Software\\A", "Other", {}},
    };
    for (const Case &c : cases) {
        RecordEntry entry = Make(RecordReg, c.key);
        strcpy(entry.CreatedKey, c.created);
        char keys[8][RecordTextSize];
        int count = KeysToRemove(&entry, keys, 8);
        std::vector<std::string> got(keys, keys + count);
        EXPECT_EQ(c.keys, got) << c.name;
    }
}

TEST(RecordRules, GroupCommandsCarryNoForeignCommand)
{
    struct Case {
        const char *name, *group;
        bool deleteGroup;
        std::vector<const char *> items;
        bool built;
        const char *text;
    } cases[] = {
        {"created group", "Demo", true, {"Read Me"}, true,
         "[ShowGroup(\"Demo\",0)]\n[DeleteItem(\"Read Me\")]\n[DeleteGroup(\"Demo\")]\n"},
        {"existing group: items only", "Accessories", false, {"A", "B"}, true,
         "[ShowGroup(\"Accessories\",0)]\n[DeleteItem(\"A\")]\n[DeleteItem(\"B\")]\n"},
        {"bracket stays inside the quotes", "Brack]et (x)", true, {}, true,
         "[ShowGroup(\"Brack]et (x)\",0)]\n[DeleteGroup(\"Brack]et (x)\")]\n"},
        {"quote in the group: nothing", "Q\")][DeleteGroup(\"Startup", true, {"A"}, false, ""},
        {"quote in an item: that item left out", "Demo", false,
         {"x\")][DeleteGroup(\"Startup", "B"}, true,
         "[ShowGroup(\"Demo\",0)]\n[DeleteItem(\"B\")]\n"},
        {"line feed in an item: left out", "Demo", false, {"a\n[ExitServer()]"}, true,
         "[ShowGroup(\"Demo\",0)]\n"},
        {"empty group name: nothing", "", true, {}, false, ""},
    };
    for (const Case &c : cases) {
        char text[512] = "";
        EXPECT_EQ(c.built, AppendGroupRemoval(text, sizeof text, c.group, c.deleteGroup,
                                              c.items.data(), (int)c.items.size()))
            << c.name;
        EXPECT_STREQ(c.text, text) << c.name;
    }
    char small[40] = "kept\n";
    const char *item = "Read Me";
    EXPECT_FALSE(AppendGroupRemoval(small, sizeof small, "Demo", true, &item, 1));
    EXPECT_STREQ("kept\n", small) << "a text that does not fit leaves dest as it was";
}

TEST(RecordRules, SendableNames)
{
    struct Case {
        const char *name;
        bool sendable;
    } cases[] = {
        {"Demo", true}, {"A, B [x] (y)", true}, {"\xe9t\xe9", true}, {"", false},
        {"say \"hi\"", false}, {"a\nb", false}, {"a\rb", false}, {"tab\there", false},
    };
    for (const Case &c : cases) EXPECT_EQ(c.sendable, IsSendableGroupName(c.name)) << c.name;
}
