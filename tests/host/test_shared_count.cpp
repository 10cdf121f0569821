// Shared files' reference counts: what an installation leaves, what an
// uninstall does at each count, and the record line that says by how much
// the installation raised a count.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/install_record.h"
#include "core/shared_count.h"

namespace {

RecordEntry SharedEntry(const char *path, unsigned long raised)
{
    RecordEntry entry;
    StartRecordEntry(&entry, RecordShared);
    strcpy(entry.Text, path);
    entry.Size = raised;
    return entry;
}

}  // namespace

TEST(SharedCount, RaisedOnInstall)
{
    struct Case {
        const char *name;
        bool present, hasCount;
        unsigned long count, raised;
    } cases[] = {
        {"placed, no count", false, false, 0, 1},
        {"placed, a count left by others", false, true, 3, 4},
        {"found, no count: used once already", true, false, 0, 2},
        {"found, counted once", true, true, 1, 2},
        {"found, a count of zero is none", true, true, 0, 2},
        {"placed, a count of zero", false, true, 0, 1},
        {"found, count at its largest stays", true, true, 0xFFFFFFFFUL, 0xFFFFFFFFUL},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.raised, RaisedSharedCount(c.present, c.hasCount, c.count)) << c.name;
}

TEST(SharedCount, LoweredOnUninstall)
{
    RecordEntry written;
    StartRecordEntry(&written, RecordFile);
    strcpy(written.Text, "C:\\WINDOWS\\SYSTEM\\DEMO.DLL");
    written.Size = 5;
    written.Crc = 0x1234;
    RecordEntry stood = written;
    stood.Flag = 1;
    FileFound same = {true, false, false, true, 5, 0x1234};
    FileFound changed = {true, false, false, true, 5, 0x4321};
    FileFound gone = {false, false, false, false, 0, 0};
    FileFound linked = {true, false, true, false, 0, 0};
    struct Case {
        const char *name;
        bool hasCount;
        unsigned long count, raised;
        const RecordEntry *file;
        FileFound found;
        FileFate fate;
        unsigned long left;
    } cases[] = {
        {"last user, unchanged: removed", true, 1, 1, &written, same, FileRemove, 0},
        {"others still count on it", true, 3, 1, &written, same, FileKeptStillUsed, 2},
        {"found without a count once: one user stays", true, 2, 1, 0, same, FileKeptStillUsed, 1},
        {"two runs of this product raised it twice", true, 2, 2, &written, same, FileRemove, 0},
        {"count lower than raised: zero, not below", true, 1, 3, &written, same, FileRemove, 0},
        {"at zero but changed", true, 1, 1, &written, changed, FileKeptChanged, 0},
        {"at zero, only found by the installation", true, 1, 1, 0, same, FileKeptStoodBefore, 0},
        {"at zero, it stood there before", true, 1, 1, &stood, same, FileKeptStoodBefore, 0},
        {"at zero, already gone", true, 1, 1, &written, gone, FileGoneAlready, 0},
        {"at zero, through a link", true, 1, 1, &written, linked, FileKeptLink, 0},
        {"the count is missing", false, 0, 1, &written, same, FileKeptNoCount, 0},
    };
    for (const Case &c : cases) {
        unsigned long left = 99;
        EXPECT_EQ(c.fate, DecideSharedFile(c.hasCount, c.count, c.raised, c.file, &c.found, &left))
            << c.name;
        EXPECT_EQ(c.left, left) << c.name;
        EXPECT_EQ(c.fate == FileRemove || c.fate == FileGoneAlready, FileFateReason(c.fate) == 0)
            << c.name;
    }
}

TEST(SharedCount, RecordLine)
{
    char line[RecordLineSize];
    struct Written {
        const char *name;
        RecordEntry entry;
        const char *line;
    } written[] = {
        {"raised once", SharedEntry("C:\\WINDOWS\\SYSTEM\\A B.DLL", 1),
         "Shared 1 :C:\\WINDOWS\\SYSTEM\\A%20B.DLL\r\n"},
        {"raised by three runs", SharedEntry("C:\\x", 3), "Shared 3 :C:\\x\r\n"},
    };
    for (const Written &w : written) {
        ASSERT_TRUE(FormatRecordLine(&w.entry, line, sizeof line)) << w.name;
        EXPECT_STREQ(w.line, line) << w.name;
        RecordEntry back;
        ASSERT_TRUE(ParseRecordLine(line, strlen(line) - 2, &back)) << w.name;
        EXPECT_EQ(RecordShared, back.Kind) << w.name;
        EXPECT_EQ(w.entry.Size, back.Size) << w.name;
        EXPECT_STREQ(w.entry.Text, back.Text) << w.name;
    }
    RecordEntry none = SharedEntry("C:\\x", 0);
    EXPECT_FALSE(FormatRecordLine(&none, line, sizeof line)) << "raised by nothing";

    struct Refused {
        const char *name;
        std::string line;
    } refused[] = {
        {"raised by nothing", "Shared 0 :C:\\x"},
        {"no number", "Shared :C:\\x"},
        {"a flag too many", "Shared 1 1 :C:\\x"},
        {"text without colon", "Shared 1 C:\\x"},
        {"leading zero", "Shared 01 :C:\\x"},
    };
    for (const Refused &r : refused) {
        RecordEntry entry;
        EXPECT_FALSE(ParseRecordLine(r.line.data(), r.line.size(), &entry)) << r.name;
    }
}

TEST(SharedCount, RunsAddUpInTheMerge)
{
    struct Case {
        const char *name;
        unsigned long earlier, later, merged;
    } cases[] = {
        {"two runs", 1, 1, 2},
        {"a third run", 2, 1, 3},
        {"no wrap past the largest", 0xFFFFFFFFUL, 1, 0xFFFFFFFFUL},
    };
    for (const Case &c : cases) {
        RecordEntry earlier = SharedEntry("C:\\WINDOWS\\SYSTEM\\DEMO.DLL", c.earlier);
        RecordEntry later = SharedEntry("c:\\windows\\system\\demo.dll", c.later);
        ASSERT_TRUE(SameRecordSubject(&earlier, &later)) << c.name;
        EXPECT_EQ(RecordSubjectHash(&earlier), RecordSubjectHash(&later)) << c.name;
        MergeRecordEntry(&earlier, &later);
        EXPECT_EQ(c.merged, earlier.Size) << c.name;
    }
    RecordEntry shared = SharedEntry("C:\\x", 1);
    RecordEntry file;
    StartRecordEntry(&file, RecordFile);
    strcpy(file.Text, "C:\\x");
    EXPECT_FALSE(SameRecordSubject(&shared, &file)) << "a file and its count are apart";
}
