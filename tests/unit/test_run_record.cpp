// The setup's side of the install record: the run's entries, their merge
// into the install directory's record at cleanup, and what the registry and
// win.ini writers find before they write.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "core/install_record.h"
#include "core/crc32.h"
#include "core/record_name.h"
#include "win32/record_digest.h"
#include "engine/registry.h"
#include "engine/run_record.h"
#include "support.h"

namespace {

// The entries of an intact record file; fails the test for any other.
std::vector<RecordEntry> Entries(const std::string &path)
{
    std::vector<RecordEntry> entries;
    std::string text = ReadWholeFile(path);
    unsigned long count = 0;
    EXPECT_EQ(RecordIntact, CheckRecord(text.data(), text.size(), &count)) << path;
    RecordCursor cursor;
    StartRecordCursor(&cursor, text.data(), text.size());
    const char *line;
    size_t size;
    RecordEntry entry;
    while (NextRecordLine(&cursor, &line, &size, 0)) {
        EXPECT_TRUE(ParseRecordLine(line, size, &entry));
        entries.push_back(entry);
    }
    EXPECT_EQ(count, entries.size());
    return entries;
}

const RecordEntry *Find(const std::vector<RecordEntry> &entries, int kind, const char *text,
                        const char *name = 0)
{
    for (const RecordEntry &entry : entries)
        if (entry.Kind == kind && strcmp(entry.Text, text) == 0 &&
            (!name || strcmp(entry.Name, name) == 0))
            return &entry;
    return 0;
}

// The product's record, or its run file, in dir.
std::string ProductFile(const std::string &dir, const char *title, const char *extension)
{
    char name[RecordNameSize];
    EXPECT_TRUE(FormatProductFileName(title, extension, name, sizeof name)) << title;
    return dir + "\\" + name;
}

std::string RecordOf(const std::string &dir, const char *title)
{
    return ProductFile(dir, title, RecordExtension);
}

std::string RunOf(const std::string &dir, const char *title)
{
    return ProductFile(dir, title, RunExtension);
}

}  // namespace

TEST(RunRecord, RunsMergeIntoTheRecordAndACancelledRunRemovesNothing)
{
    std::string temp = ScratchDir("record_temp"), inst = ScratchDir("record_inst");
    std::string file = inst + "\\a.txt", other = inst + "\\b.txt", sub = inst + "\\sub";

    // First run: the directory made, two files created.
    OpenRunRecord(temp.c_str(), "Ledger Title");
    RecordRunDirectory(sub.c_str(), true);
    RecordRunFile(file.c_str(), false, 5, 0x11111111UL);
    RecordRunFile(other.c_str(), true, 7, 0x22222222UL);
    CloseRunRecord(temp.c_str(), inst.c_str());
    EXPECT_FALSE(FileExists(RunOf(temp, "Ledger Title"))) << "the run's file goes once merged";
    std::vector<RecordEntry> first = Entries(RecordOf(inst, "Ledger Title"));
    ASSERT_EQ(4u, first.size());

    // Second run, cancelled early: it found the directory and replaced a.txt.
    OpenRunRecord(temp.c_str(), "LEDGER title");
    RecordRunDirectory(sub.c_str(), false);
    RecordRunFile(file.c_str(), true, 9, 0x33333333UL);
    CloseRunRecord(temp.c_str(), inst.c_str());
    std::vector<RecordEntry> merged = Entries(RecordOf(inst, "Ledger Title"));
    ASSERT_EQ(4u, merged.size()) << "no entry added twice, none removed";

    const RecordEntry *title = Find(merged, RecordTitle, "LEDGER title");
    const RecordEntry *dir = Find(merged, RecordDir, sub.c_str());
    const RecordEntry *a = Find(merged, RecordFile, file.c_str());
    const RecordEntry *b = Find(merged, RecordFile, other.c_str());
    ASSERT_TRUE(title && dir && a && b);
    EXPECT_EQ(1, dir->Flag) << "made by the first run";
    EXPECT_EQ(0, a->Flag) << "created by the first run, though the second replaced it";
    EXPECT_EQ(9u, a->Size);
    EXPECT_EQ(0x33333333UL, a->Crc);
    EXPECT_EQ(1, b->Flag);
    EXPECT_EQ(7u, b->Size) << "untouched by the second run";
}

TEST(RunRecord, DamagedRecordAndMissingDirectoryLeaveEverythingAsItWas)
{
    std::string temp = ScratchDir("record_damaged_temp"), inst = ScratchDir("record_damaged");
    std::string damaged = "InstallRecord 1\r\nDir 1 :C:\\x\r\nEnd 1 00000000\r\n";
    WriteWholeFile(RecordOf(inst, "Title"), damaged);
    OpenRunRecord(temp.c_str(), "Title");
    RecordRunFile((inst + "\\a.txt").c_str(), false, 1, 1);
    CloseRunRecord(temp.c_str(), inst.c_str());
    EXPECT_EQ(damaged, ReadWholeFile(RecordOf(inst, "Title"))) << "damaged record";
    EXPECT_TRUE(FileExists(RunOf(temp, "Title"))) << "damaged record: the run's entries";

    std::string missing = inst + "\\not made";
    OpenRunRecord(temp.c_str(), "Title");
    CloseRunRecord(temp.c_str(), missing.c_str());
    EXPECT_TRUE(FileExists(RunOf(temp, "Title"))) << "no install directory";
    EXPECT_FALSE(FileExists(RecordOf(missing, "Title"))) << "no install directory";
}

TEST(RunRecord, WritersRecordWhatStoodBefore)
{
    std::string temp = ScratchDir("record_values_temp"), inst = ScratchDir("record_values");
    HKEY key;
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupUnitRecord\\New\\Deeper");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupUnitRecord\\New");
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SetupUnitRecord", 0, 0,
                                             0, KEY_ALL_ACCESS, 0, &key, 0));
    RegSetValueExA(key, "Old", 0, REG_DWORD, (const BYTE *)"\x2a\0\0\0", 4);
    RegDeleteValueA(key, "Fresh");
    RegCloseKey(key);

    OpenRunRecord(temp.c_str(), "Title");
    WriteRegistryString(1, "Software\\SetupUnitRecord", "Old", "new", 0);
    WriteRegistryString(1, "Software\\SetupUnitRecord", "Fresh", "new", 0);
    WriteRegistryString(1, "Software\\SetupUnitRecord\\New\\Deeper", "", "new", 0);
    CloseRunRecord(temp.c_str(), inst.c_str());
    std::vector<RecordEntry> entries = Entries(RecordOf(inst, "Title"));

    struct Case {
        const char *name, *key, *value;
        int prior;
        unsigned long type;
        size_t size;
        const char *createdKey;
    } cases[] = {
        {"a DWORD value that stood before", "Software\\SetupUnitRecord", "Old", PriorPresent,
         REG_DWORD, 4, ""},
        {"a value that did not", "Software\\SetupUnitRecord", "Fresh", PriorAbsent, 0, 0, ""},
        {"two keys made", "Software\\SetupUnitRecord\\New\\Deeper", "", PriorAbsent, 0, 0,
         "Software\\SetupUnitRecord\\New"},
    };
    for (const Case &c : cases) {
        const RecordEntry *entry = Find(entries, RecordReg, c.key, c.value);
        ASSERT_TRUE(entry != 0) << c.name;
        EXPECT_EQ(c.prior, entry->Prior) << c.name;
        EXPECT_EQ(c.type, entry->PriorType) << c.name;
        EXPECT_EQ(c.size, entry->PriorSize) << c.name;
        EXPECT_STREQ(c.createdKey, entry->CreatedKey) << c.name;
        EXPECT_STREQ("new", entry->Value) << c.name;
    }
    const RecordEntry *old = Find(entries, RecordReg, "Software\\SetupUnitRecord", "Old");
    ASSERT_TRUE(old != 0);
    EXPECT_EQ(0, memcmp(old->PriorData, "\x2a\0\0\0", 4));

    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupUnitRecord\\New\\Deeper");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupUnitRecord\\New");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupUnitRecord");
}

// A run file a crashed run left is taken first, its cut last line passed
// over; a record the product's digests do not vouch for is replaced, not
// merged into; each title keeps a record of its own.
TEST(RunRecord, LeftoversAreMergedAndUnvouchedRecordsReplaced)
{
    std::string temp = ScratchDir("record_crash_temp"), inst = ScratchDir("record_crash");
    std::string file = inst + "\\a.txt", forged = inst + "\\forged.txt";
    WriteWholeFile(RunOf(temp, "Crash Title"), "InstallRecord 1\r\nTitle :Crash%20Title\r\nFile 0 5 "
                                               "11111111 :" + file + "\r\nFile 0 9 2222");
    // Planted before the run: intact, but no digest was ever kept for it.
    std::string body = "InstallRecord 1\r\nFile 0 1 00000000 :" + forged + "\r\n";
    char end[64];
    snprintf(end, sizeof end, "End 1 %08lx\r\n", UpdateCrc32(Crc32Start, body.data(), body.size()));
    WriteWholeFile(RecordOf(inst, "Crash Title"), body + end);

    OpenRunRecord(temp.c_str(), "Crash Title");
    RecordRunFile(file.c_str(), true, 7, 0x33333333UL);
    CloseRunRecord(temp.c_str(), inst.c_str());
    std::vector<RecordEntry> entries = Entries(RecordOf(inst, "Crash Title"));
    const RecordEntry *a = Find(entries, RecordFile, file.c_str());
    ASSERT_TRUE(a != 0);
    EXPECT_EQ(0, a->Flag) << "created by the crashed run, though this one found it";
    EXPECT_EQ(7u, a->Size);
    EXPECT_TRUE(Find(entries, RecordFile, forged.c_str()) == 0) << "the planted record's entry";
    EXPECT_EQ(2u, entries.size()) << "the title and a.txt, nothing of the cut line";
    std::string record = ReadWholeFile(RecordOf(inst, "Crash Title"));
    EXPECT_EQ(RecordVouchMachine, VouchRecord(record.data(), record.size(), "Crash Title"));

    OpenRunRecord(temp.c_str(), "Other Title");
    RecordRunFile((inst + "\\b.txt").c_str(), false, 1, 1);
    CloseRunRecord(temp.c_str(), inst.c_str());
    EXPECT_EQ(2u, Entries(RecordOf(inst, "Other Title")).size()) << "another title's record";
    EXPECT_EQ(record, ReadWholeFile(RecordOf(inst, "Crash Title"))) << "untouched by the other";
    EXPECT_EQ(RecordVouchMachine, VouchRecord(record.data(), record.size(), "Crash Title"));
}
