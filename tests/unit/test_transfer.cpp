// File transfer: what each entry does, the progress range, the directories,
// and whole transfers run in-process on real files with the real dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "core/install_record.h"
#include "core/record_name.h"
#include "engine/registry.h"
#include "engine/run_record.h"
#include "engine/script.h"
#include "engine/transfer.h"
#include "res/resource.h"
#include "support.h"

namespace {

struct Transfer : ::testing::Test {
    std::string root, src, tmp, win, sys, inst;
    void SetUp() override
    {
        ResetSetupState();
        InitCommonControls();
        ::Setup.Instance = GetModuleHandleA(0);
        root = ScratchDir("transfer");
        src = root + "\\src";
        tmp = root + "\\tmp";
        win = root + "\\win";
        sys = root + "\\sys";
        inst = root + "\\inst";
        for (auto *dir : {&src, &tmp, &win, &sys, &inst}) CreateDirectoryA(dir->c_str(), 0);
        strcpy(SourceDir, src.c_str());
        strcpy(TempDir, tmp.c_str());
        strcpy(WindowsDir, win.c_str());
        strcpy(SystemDir, sys.c_str());
        strcpy(InstallPath, inst.c_str());
    }
    void TearDown() override
    {
        if (::Setup.CurrentDialog) DestroyWindow(::Setup.CurrentDialog);
        if (::Setup.InstallLog) fclose(::Setup.InstallLog);
        SetCurrentDirectoryA("C:\\");
    }
    // Profile reads are cached by the platform; a flush makes it see the file.
    static void WriteProfile(const std::string &path, const std::string &text)
    {
        WriteWholeFile(path, text);
        WritePrivateProfileStringA(0, 0, 0, path.c_str());
    }
    void UseScript(const std::string &text)
    {
        std::string path = root + "\\setup.inf";
        WriteProfile(path, text);
        strcpy(::Setup.ScriptPath, path.c_str());
    }
    void SetLocale(const char *text)  // null: no system.cb at all
    {
        std::string path = win + "\\system.cb";
        DeleteFileA(path.c_str());
        if (text) WriteProfile(path, std::string("[Intl]\r\nSystemLocale=") + text + "\r\n");
        else WritePrivateProfileStringA(0, 0, 0, path.c_str());
    }
    std::string Status()
    {
        char text[EditTextSize] = "";
        GetDlgItemTextA(::Setup.CurrentDialog, IdMainText, text, sizeof text);
        return text;
    }
    LRESULT BarPosition() { return SendMessageA(::Setup.ProgressBar, PBM_GETPOS, 0, 0); }
    void OpenLog()
    {
        ::Setup.InstallLog = fopen((root + "\\install.log").c_str(), "wb");
    }
    std::string CloseLog()
    {
        fclose(::Setup.InstallLog);
        ::Setup.InstallLog = 0;
        return ReadWholeFile(root + "\\install.log");
    }
};

TEST_F(Transfer, PlanPerEntryType)
{
    SetLocale(0);
    std::string longName(240, 'n');
    std::string longDestination = "3,a," + longName, longSource = "3," + longName + ",b";
    struct {
        const char *text;
        EntryOperation operation;
        bool onlyWhenMissing, showsProgress;
        std::string source, destination;
    } cases[] = {
        {"1,a.ex_,a.exe", EntryExpand, true, true, src + "\\a.ex_", win + "\\a.exe"},
        {"2,b.dl_,sub\\b.dll", EntryExpand, true, true, src + "\\b.dl_", sys + "\\sub\\b.dll"},
        {"X,c.tx_,c.txt", EntryExpand, true, true, src + "\\c.tx_", sys + "\\c.txt"},
        {"3,d.tx_,d.txt", EntryExpand, false, true, src + "\\d.tx_", inst + "\\d.txt"},
        {"3;d.tx_,d.txt", EntryExpand, false, true, src + "\\d.tx_", inst + "\\d.txt"},
        {"12,e,f", EntryExpand, true, true, src + "\\,e", win + "\\f"},
        {"4,g.dl_,g.dl_", EntryCopyRaw, false, false, src + "\\g.dl_", tmp + "\\g.dl_"},
        {"5,g.dl_,g.dll", EntryExpandFromTemp, false, true, tmp + "\\g.dl_", inst + "\\g.dll"},
        {"6,ru.tx_,en.tx_,h.txt", EntryExpand, false, true, src + "\\en.tx_", inst + "\\h.txt"},
        {"3,na,me.tx_,i.txt", EntryExpand, false, true, src + "\\na,me.tx_", inst + "\\i.txt"},
        {"0,a,b", EntryNothing, false, false, "", ""},
        {"7,a,b", EntryNothing, false, false, "", ""},
        {"8,a,b", EntryNothing, false, false, "", ""},
        {"9,a,b", EntryNothing, false, false, "", ""},
        {"", EntryNothing, false, false, "", ""},
        {"3,", EntryNothing, false, false, "", ""},
        {"3,ab", EntryNothing, false, true, "", ""},
        {"3,a,", EntryNothing, false, true, "", ""},
        {"3,,b", EntryNothing, false, true, "", ""},
        {"6,a,b", EntryNothing, false, true, "", ""},
        {longDestination.c_str(), EntryNothing, false, true, "", ""},
        {longSource.c_str(), EntryNothing, false, true, "", ""},
        // Names that would leave their directory.
        {"3,a,..\\a.txt", EntryNothing, false, true, "", ""},
        {"1,a,C:\\boot.ini", EntryNothing, false, true, "", ""},
        {"4,a,\\a", EntryNothing, false, false, "", ""},
        {"5,sub/../../a,b", EntryNothing, false, true, "", ""},
        {"6,a,b,d\\..\\..\\c", EntryNothing, false, true, "", ""},
        {"3,..\\shared\\a,b", EntryExpand, false, true, src + "\\..\\shared\\a", inst + "\\b"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        EntryPlan plan;
        memset(&plan, 'X', sizeof plan);
        EXPECT_EQ(c.operation != EntryNothing, PlanFileEntry(c.text, &plan));
        EXPECT_EQ(c.operation, plan.Operation);
        EXPECT_EQ(c.onlyWhenMissing, plan.OnlyWhenMissing);
        EXPECT_EQ(c.showsProgress, plan.ShowsProgress);
        EXPECT_EQ(c.source, plan.Source);
        EXPECT_EQ(c.destination, plan.Destination);
        // A planned entry's status line names its destination.
        if (c.operation != EntryNothing) {
            EXPECT_EQ(c.destination, plan.StatusPath);
        }
    }
}

// A refused entry of a type that shows progress names, on its status line,
// its destination as given below its type's own directory; type 4 and the
// undefined types show none.
TEST_F(Transfer, RefusedEntriesNameTheirTypesDirectory)
{
    SetLocale(0);
    struct {
        const char *text;
        bool showsProgress;
        std::string status;
    } cases[] = {
        {"1,a,..\\x", true, win + "\\..\\x"},
        {"2,a,..\\x", true, sys + "\\..\\x"},
        {"X,a,..\\x", true, sys + "\\..\\x"},
        {"3,a,..\\x", true, inst + "\\..\\x"},
        {"4,a,..\\x", false, ""},
        {"5,..\\a,x", true, inst + "\\x"},  // the staged name leaves the temporary directory
        {"6,a,b,..\\x", true, inst + "\\..\\x"},
        {"6,a,x", true, inst + "\\x"},     // one source: malformed
        {"7,a,..\\x", false, ""},
        {"0,a,..\\x", false, ""},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        EntryPlan plan;
        EXPECT_FALSE(PlanFileEntry(c.text, &plan));
        EXPECT_EQ(EntryNothing, plan.Operation);
        EXPECT_EQ(c.showsProgress, plan.ShowsProgress);
        EXPECT_EQ(c.status, plan.StatusPath);
        EXPECT_STREQ("", plan.Destination);
    }
}

// A device name (in any component, any case, with an extension or the dots
// and blanks the platform trims) names the device, not a file: such an
// entry plans nothing, as a name that leaves its directory does.
TEST_F(Transfer, DeviceNamesAreRefused)
{
    SetLocale(0);
    struct {
        const char *text;
        bool planned;
    } cases[] = {
        {"3,a.tx_,NUL", false},
        {"3,a.tx_,con", false},
        {"3,a.tx_,Prn.txt", false},
        {"3,a.tx_,AUX.", false},
        {"3,a.tx_,com1", false},
        {"3,a.tx_,COM9.log", false},
        {"3,a.tx_,LPT1.TXT", false},
        {"3,a.tx_,lpt9 .txt", false},
        {"3,a.tx_,nul ", false},
        {"3,a.tx_,sub\\NUL\\a.txt", false},
        {"3,a.tx_,sub/con", false},
        {"1,a.dl_,CON.dll", false},
        {"2,a.dl_,sys\\aux", false},
        {"4,a.dl_,NUL.dl_", false},
        {"5,NUL,a.dll", false},      // the staged source is deleted afterwards
        {"6,a,b,LPT2.TXT", false},
        // Names that only look alike are files.
        {"3,a.tx_,CONSOLE.TXT", true},
        {"3,a.tx_,NULL", true},
        {"3,a.tx_,COM10", true},
        {"3,a.tx_,LPT", true},
        {"3,a.tx_,a.con", true},
        {"3,a.tx_,conin\\a.txt", true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        EntryPlan plan;
        bool planned = PlanFileEntry(c.text, &plan);
        EXPECT_EQ(c.planned, planned);
    }
}

TEST_F(Transfer, DeviceDirectoriesAreNotMade)
{
    UseScript("[SubDir]\r\nNumberDirs=3\r\nDir1=NUL\r\nDir2=docs\r\nDir3=docs\\LPT1.TXT\r\n");
    SubDirCount = 3;
    OpenLog();
    EXPECT_TRUE(CreateInstallDirectories());
    EXPECT_EQ("Made Dir: " + inst + "\\docs\n", CloseLog());
}

// An install directory that is a drive root is joined with one backslash:
// the directories and files made, their log lines, and the short form that
// the group's commands and the registry values take.
TEST_F(Transfer, ADriveRootInstallDirectoryTakesOneBackslash)
{
    std::string name = "root-" + std::to_string(GetCurrentProcessId());
    WriteWholeFile(src + "\\plain", "plain");
    UseScript("[SubDir]\r\nNumberDirs=1\r\nDir1=" + name + "\r\n");
    SubDirCount = 1;
    strcpy(InstallPath, "C:\\");
    OpenLog();
    EXPECT_TRUE(CreateInstallDirectories());
    EntryPlan plan;
    ASSERT_TRUE(PlanFileEntry(("3,plain," + name + "\\a.txt").c_str(), &plan));
    EXPECT_EQ("C:\\" + name + "\\a.txt", std::string(plan.Destination));
    FileResult result = FileWritten;
    RunEntryPlan(plan, &result);
    EXPECT_EQ(FileWritten, result);
    EXPECT_EQ("Made Dir: C:\\" + name + "\nFile Copy: C:\\" + name + "\\a.txt\n", CloseLog());
    EXPECT_EQ("plain", ReadWholeFile("C:\\" + name + "\\a.txt"));
    DeleteFileA(("C:\\" + name + "\\a.txt").c_str());
    RemoveDirectoryA(("C:\\" + name).c_str());

    char shortDir[MAX_PATH];
    ShortInstallDir(shortDir, sizeof shortDir, "C:\\");
    EXPECT_STREQ("C:", shortDir);
    ShortInstallDir(shortDir, sizeof shortDir, inst.c_str());
    EXPECT_EQ(inst.substr(inst.size() - 5), std::string(shortDir).substr(strlen(shortDir) - 5));
}

TEST_F(Transfer, LocaleChoosesTheSource)
{
    struct { const char *stored; const char *source; } cases[] = {
        {"419", "\\ru.tx_"}, {"000419", "\\ru.tx_"}, {"1049", "\\en.tx_"},
        {"", "\\en.tx_"}, {0, "\\en.tx_"}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "no system.cb");
        SetLocale(c.stored);
        EntryPlan plan;
        ASSERT_TRUE(PlanFileEntry("6,ru.tx_,en.tx_,h.txt", &plan));
        EXPECT_EQ(src + c.source, plan.Source);
    }
}

// The section-based entry reads must give what a profile read of each key
// gives, on awkward scripts and on a section larger than the first buffer.
TEST_F(Transfer, SectionReadsMatchProfileReads)
{
    std::string awkward =
        "[disk1]\r\nfile1=3,a,b\r\nFILE2 = 3,c,d   \r\nFile3=\"3,q,r\"\r\nfile4='3,s,t'\r\n"
        "file5=\"unbalanced\r\nfile01=3,zero,lead\r\nfile6=3,first,dup\r\nfile6=3,second,dup\r\n"
        "file7\r\nfile8=\r\nfile9=" + std::string(150, 'v') + "\r\nfile10=3,x,y ; not a comment\r\n"
        "; file11=3,comment,line\r\nfile12 =   3,spaced , value  \r\nother=1\r\nfile1x=bad\r\n"
        "file13=\"\r\nfile14=\"\"\r\n[Disk2]\r\nfile15=3,other,section\r\n";
    std::string large = "[Disk1]\r\n";
    for (int n = 1; n <= 1200; ++n)
        large += "file" + std::to_string(n) + "=3," + std::string(80, 'a' + n % 26) + "," +
                 std::to_string(n) + "\r\n";
    struct { const char *name; const std::string *script; int count; } cases[] = {
        {"awkward", &awkward, 16}, {"large", &large, 1200}, {"count past the index", &awkward, 200000},
        {"no section", &awkward, 0}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        UseScript(*c.script);
        DiskEntries entries;
        LoadDiskEntries(1, c.count, &entries);
        EXPECT_EQ(c.count > 0 && c.count <= 1200, entries.Section != 0);
        int last = c.count < 1300 ? c.count + 1 : 20;
        for (int n = 0; n <= last; ++n) {
            char expected[FileEntryLimit], actual[FileEntryLimit];
            ReadDiskFileEntry(1, n, expected);
            memset(actual, 'X', sizeof actual);
            GetDiskEntry(entries, n, actual);
            ASSERT_STREQ(expected, actual) << "file" << n;
        }
        FreeDiskEntries(&entries);
    }
}

// Every missing level is made, top first, logged and recorded as made; a
// level that stood is neither logged nor recorded as made, and the install
// directory or a [SubDir] entry that stood is recorded as found. The last
// one made is the current directory.
TEST_F(Transfer, EveryMissingLevelIsMadeLoggedAndRecorded)
{
    struct {
        const char *name, *install, *subDirs, *standing;
        const char *made;     // below root, in order, "|" between
        const char *record;   // the Dir entries of the record: flag and path below root
        const char *current;  // below root
    } cases[] = {
        {"three new levels", "a\\b\\c", "", "", "a|a\\b|a\\b\\c", "1 a|1 a\\b|1 a\\b\\c", "a\\b\\c"},
        {"the top level stood", "e\\f\\g", "", "e", "e\\f|e\\f\\g", "1 e\\f|1 e\\f\\g", "e\\f\\g"},
        {"a trailing backslash", "t\\u\\", "", "", "t|t\\u", "1 t|1 t\\u", "t\\u"},
        {"the install directory stood", "inst", "", "", "", "0 inst", "inst"},
        {"a sub-directory whose parent is not listed", "inst", "Dir1=docs\\more\\deep", "",
         "inst\\docs|inst\\docs\\more|inst\\docs\\more\\deep",
         "0 inst|1 inst\\docs|1 inst\\docs\\more|1 inst\\docs\\more\\deep", "inst\\docs\\more\\deep"},
        {"a child listed before its parent", "inst", "Dir1=x\\y\r\nDir2=x", "", "inst\\x|inst\\x\\y",
         "0 inst|1 inst\\x|1 inst\\x\\y", "inst\\x"},
    };
    auto below = [&](const std::string &list, const char *prefix) {
        std::string text, item;
        for (size_t at = 0; at <= list.size(); ++at) {
            if (at < list.size() && list[at] != '|') {
                item += list[at];
                continue;
            }
            if (!item.empty()) text += prefix + root + "\\" + item + "\n";
            item.clear();
        }
        return text;
    };
    std::string recordDir = root + "\\record";
    CreateDirectoryA(recordDir.c_str(), 0);
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string script = std::string("[SubDir]\r\n") + c.subDirs + "\r\n";
        UseScript(script);
        SubDirCount = c.subDirs[0] ? 2 : 0;
        if (c.standing[0]) CreateDirectoryA((root + "\\" + c.standing).c_str(), 0);
        strcpy(InstallPath, (root + "\\" + c.install).c_str());
        char recordName[RecordNameSize];
        ASSERT_TRUE(FormatProductFileName("Title", RecordExtension, recordName, sizeof recordName));
        DeleteFileA((recordDir + "\\" + recordName).c_str());
        OpenRunRecord(tmp.c_str(), "Title");
        OpenLog();
        unsigned long failure = 1;
        EXPECT_TRUE(CreateInstallDirectories(&failure));
        EXPECT_EQ(1u, failure);
        CloseRunRecord(tmp.c_str(), recordDir.c_str());
        EXPECT_EQ(below(c.made, "Made Dir: "), CloseLog());
        std::string record = ReadWholeFile(recordDir + "\\" + recordName), dirs;
        RecordCursor cursor;
        StartRecordCursor(&cursor, record.data(), record.size());
        const char *line;
        size_t size;
        RecordEntry entry;
        while (NextRecordLine(&cursor, &line, &size, 0))
            if (ParseRecordLine(line, size, &entry) && entry.Kind == RecordDir)
                dirs += std::to_string(entry.Flag) + " " + entry.Text + "|";
        std::string expected;
        for (const char *at = c.record; *at;) {
            const char *bar = strchr(at, '|');
            std::string item(at, bar ? bar : at + strlen(at));
            expected += item.substr(0, 2) + root + "\\" + item.substr(2) + "|";
            at = bar ? bar + 1 : at + strlen(at);
        }
        EXPECT_EQ(expected, dirs);
        char current[MAX_PATH];
        GetCurrentDirectoryA(sizeof current, current);
        EXPECT_STRCASEEQ((root + "\\" + c.current).c_str(), current);
    }
    SubDirCount = 0;
}

// An install directory that cannot be made: false with the platform's
// reason, no log line, nothing made, what stood there untouched.
TEST_F(Transfer, InstallDirectoriesThatCannotBeMade)
{
    char unmapped[] = "?:\\App";
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D'; --letter)
        if (!(drives & (1u << (letter - 'A')))) unmapped[0] = letter;
    ASSERT_NE('?', unmapped[0]);
    WriteWholeFile(root + "\\file", "a file");
    struct {
        const char *name;
        std::string install;
        unsigned long failure;  // 0: any
    } cases[] = {
        {"a file stands at a level", root + "\\file\\app\\deeper", ERROR_FILE_EXISTS},
        {"a file stands at the directory", root + "\\file", ERROR_FILE_EXISTS},
        {"a drive that is missing", unmapped, 0},
        {"a name the platform refuses", root + "\\new\\bad<name>", 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        strcpy(InstallPath, c.install.c_str());
        OpenLog();
        unsigned long failure = 0;
        EXPECT_FALSE(CreateInstallDirectories(&failure));
        if (c.failure) {
            EXPECT_EQ(c.failure, failure);
        }
        EXPECT_NE(0u, failure);
        EXPECT_EQ("", CloseLog());
    }
    EXPECT_EQ("a file", ReadWholeFile(root + "\\file"));
    EXPECT_FALSE(FileExists(root + "\\new\\bad<name>"));
}

TEST(DirectoryErrorText, NamesTheFolderAndTheReason)
{
    struct {
        const char *name;
        unsigned long error;
        size_t capacity;
        const char *expected;  // null: the system's text, not the fallback
    } cases[] = {
        {"a file in the way", ERROR_FILE_EXISTS, 400, 0},
        {"no such path", ERROR_PATH_NOT_FOUND, 400, 0},
        {"an error without a text", 0x2000ABCD, 400,
         "Setup cannot create the folder C:\\ACME\\Ledger.\n\n"
         "The system gives no text for error 536914893."},
        {"cut to fit", 0x2000ABCD, 20, "Setup cannot create"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        char text[400];
        FormatDirectoryErrorText(text, c.capacity, "C:\\ACME\\Ledger", c.error);
        if (c.expected) {
            EXPECT_STREQ(c.expected, text);
            continue;
        }
        std::string shown = text, head = "Setup cannot create the folder C:\\ACME\\Ledger.\n\n";
        ASSERT_EQ(head, shown.substr(0, head.size()));
        std::string reason = shown.substr(head.size());
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(std::string::npos, reason.find("gives no text"));
        EXPECT_GT((unsigned char)reason[reason.size() - 1], ' ');  // no line end of its own
    }
}

// A file whose directory is missing gets every missing level made, logged,
// then the file; a directory is never made for a file that cannot be had or
// where a file stands in its place.
TEST_F(Transfer, MissingDestinationDirectoriesAreMadeOnDemand)
{
    WriteWholeFile(src + "\\plain", "plain");
    WriteWholeFile(inst + "\\blocker", "a file");
    struct {
        const char *name;
        EntryOperation operation;
        std::string source, destination;
        FileResult result;
        std::string log;
    } cases[] = {
        {"two levels", EntryExpand, src + "\\plain", inst + "\\new\\deeper\\a.txt", FileWritten,
         "Made Dir: " + inst + "\\new\n" + "Made Dir: " + inst + "\\new\\deeper\n" +
             "File Copy: " + inst + "\\new\\deeper\\a.txt\n"},
        {"one level more", EntryExpand, src + "\\plain", inst + "\\new\\other/b.txt", FileWritten,
         "Made Dir: " + inst + "\\new\\other\n" + "File Copy: " + inst + "\\new\\other/b.txt\n"},
        {"raw copy", EntryCopyRaw, src + "\\plain", tmp + "\\stage\\c.dl_", FileWritten,
         "Made Dir: " + tmp + "\\stage\n"},
        {"missing source", EntryExpand, src + "\\absent", inst + "\\none\\d.txt", FileNoSource, ""},
        {"a file in the way", EntryExpand, src + "\\plain", inst + "\\blocker\\e.txt", FileDenied, ""},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        EntryPlan plan;
        memset(&plan, 0, sizeof plan);
        plan.Operation = c.operation;
        strcpy(plan.Source, c.source.c_str());
        strcpy(plan.Destination, c.destination.c_str());
        FileResult result = FileWritten;
        OpenLog();
        RunEntryPlan(plan, &result);
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.log, CloseLog());
        EXPECT_EQ(c.result == FileWritten, FileExists(c.destination));
    }
    EXPECT_FALSE(FileExists(inst + "\\none"));
    EXPECT_EQ("a file", ReadWholeFile(inst + "\\blocker"));
}

// The file operations report what happened; the transfer writes the log line:
// one "File Copy" line for a file that is whole in place, none for any other
// result, and none for a raw copy into the temporary directory.
TEST_F(Transfer, OnlyFilesWrittenWholeAreLogged)
{
    const char *data = getenv("TEST_DATA_DIR");
    std::string packed = std::string("Z:") + (data ? data : "") + "/multiblock.bi_";
    for (char &c : packed)
        if (c == '/') c = '\\';
    std::string longDir = inst + "\\" + std::string(130, 'd');
    CreateDirectoryA(longDir.c_str(), 0);
    WriteWholeFile(src + "\\plain", "plain");
    WriteWholeFile(tmp + "\\staged", "staged");
    // The header promises 16 bytes; none follow.
    WriteWholeFile(src + "\\cut.tx_", std::string("SZDD\x88\xf0\x27\x33" "A\0\x10\0\0\0", 14));
    std::string locked = inst + "\\locked";
    WriteWholeFile(locked, "old");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    struct {
        const char *name;
        EntryOperation operation;
        std::string source, destination;
        FileResult result;
        bool logged;
    } cases[] = {
        {"compressed source", EntryExpand, packed, inst + "\\multiblock.bin", FileWritten, true},
        {"plain source", EntryExpand, src + "\\plain", inst + "\\plain", FileWritten, true},
        {"path past 128 characters", EntryExpand, src + "\\plain", longDir + "\\plain",
         FileWritten, true},
        {"from the temporary directory", EntryExpandFromTemp, tmp + "\\staged",
         inst + "\\staged", FileWritten, true},
        {"raw copy", EntryCopyRaw, src + "\\plain", tmp + "\\raw", FileWritten, false},
        {"missing source", EntryExpand, src + "\\absent", inst + "\\absent", FileNoSource, false},
        {"damaged source", EntryExpand, src + "\\cut.tx_", inst + "\\cut", FileDamaged, false},
        {"read-only destination", EntryExpand, src + "\\plain", locked, FileDenied, false},
        // Skipped, but the file is in place: logged.
        {"same file", EntryExpand, src + "\\plain", src + "\\PLAIN", FileSkipped, true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        EntryPlan plan;
        memset(&plan, 0, sizeof plan);
        plan.Operation = c.operation;
        plan.ShowsProgress = true;
        strcpy(plan.Source, c.source.c_str());
        strcpy(plan.Destination, c.destination.c_str());
        FileResult result = FileWritten;
        OpenLog();
        RunEntryPlan(plan, &result);
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.logged ? "File Copy: " + c.destination + "\n" : "", CloseLog());
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Transfer, TypesReplaceOrKeepAndMoveThroughTemp)
{
    for (const char *name : {"one", "two", "three", "staged", "new1", "new2"})
        WriteWholeFile(src + "\\" + name, std::string("fresh ") + name);
    WriteWholeFile(src + "\\Disk1", "");
    WriteWholeFile(win + "\\one", "old one");
    WriteWholeFile(sys + "\\two", "old two");
    WriteWholeFile(inst + "\\three", "old three");
    UseScript("[Title]\r\nNumberDisk=1\r\n[Disk1]\r\nNumberFiles=9\r\n"
              "file1=3,three,three\r\nfile2=1,one,one\r\nfile3=2,two,two\r\nfile4=Q,two,two\r\n"
              "file5=4,staged,staged.tmp\r\nfile6=5,staged.tmp,staged\r\n"
              "file7=1,new1,new1\r\nfile8=X,new2,new2\r\nfile9=0,one,x\r\n");
    DiskCount = 1;
    OpenLog();
    ASSERT_EQ(TransferCompleted, TransferFiles());
    EXPECT_EQ("fresh three", ReadWholeFile(inst + "\\three"));
    EXPECT_EQ("old one", ReadWholeFile(win + "\\one"));
    EXPECT_EQ("old two", ReadWholeFile(sys + "\\two"));
    EXPECT_EQ("fresh staged", ReadWholeFile(inst + "\\staged"));
    EXPECT_FALSE(FileExists(tmp + "\\staged.tmp"));
    EXPECT_EQ("fresh new1", ReadWholeFile(win + "\\new1"));
    EXPECT_EQ("fresh new2", ReadWholeFile(sys + "\\new2"));
    // The type-0 entry last: neither the status line nor the stale path moved.
    EXPECT_EQ("Copy file : " + sys + "\\new2", Status());
    EXPECT_EQ(40, BarPosition());
    EXPECT_EQ(std::string(::Setup.EditText), Status());
    EXPECT_EQ("File Copy: " + inst + "\\three\n" + "File Copy: " + inst + "\\staged\n" +
                  "File Copy: " + win + "\\new1\n" + "File Copy: " + sys + "\\new2\n",
              CloseLog());
    PBRANGE range;
    SendMessageA(::Setup.ProgressBar, PBM_GETRANGE, 0, (LPARAM)&range);
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(100, range.iHigh);
}

// Entries that do nothing (types 1 and 2 over a present file, 7, a missing
// key, a type 4) leave the status line and the bar; malformed entries of the
// types that show progress (5 and 7 here) step it all the same.
TEST_F(Transfer, SkippedEntriesLeaveStatusAndBar)
{
    WriteWholeFile(src + "\\Disk1", "");
    WriteWholeFile(src + "\\a", "fresh");
    WriteWholeFile(win + "\\a", "old");
    WriteWholeFile(sys + "\\a", "old");
    UseScript("[Disk1]\r\nNumberFiles=8\r\nfile1=3,a,a\r\nfile2=1,a,a\r\nfile3=2,a,a\r\n"
              "file4=7,a,b\r\nfile5=3,a\r\nfile7=6,a,b\r\nfile8=4,a,t\r\n");
    DiskCount = 1;
    ASSERT_EQ(TransferCompleted, TransferFiles());
    EXPECT_EQ("Copy file : " + inst + "\\b", Status());
    EXPECT_EQ(30, BarPosition());
    EXPECT_EQ("old", ReadWholeFile(win + "\\a"));
    EXPECT_EQ("fresh", ReadWholeFile(tmp + "\\t"));
}

TEST_F(Transfer, LocaleEntriesEndToEnd)
{
    WriteWholeFile(src + "\\Disk1", "");
    WriteWholeFile(src + "\\ru", "russian");
    WriteWholeFile(src + "\\en", "other");
    UseScript("[Disk1]\r\nNumberFiles=1\r\nfile1=6,ru,en,d\\text\r\n");
    CreateDirectoryA((inst + "\\d").c_str(), 0);
    DiskCount = 1;
    struct { const char *stored; const char *expected; } cases[] = {
        {"419", "russian"}, {"000419", "russian"}, {"409", "other"}, {0, "other"}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "no system.cb");
        SetLocale(c.stored);
        ASSERT_EQ(TransferCompleted, TransferFiles());
        EXPECT_EQ(c.expected, ReadWholeFile(inst + "\\d\\text"));
        DestroyWindow(::Setup.CurrentDialog);
        ::Setup.CurrentDialog = 0;
    }
}

TEST_F(Transfer, NoDisksAndLargeCounts)
{
    UseScript("[Disk1]\r\nNumberFiles=7000\r\n[Disk2]\r\nNumberFiles=-1\r\n");
    struct { int disks; int high; } cases[] = {{0, 10}, {2, 70010}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.disks);
        DiskCount = c.disks;
        WriteWholeFile(src + "\\Disk1", "");
        WriteWholeFile(src + "\\Disk2", "");
        ASSERT_EQ(TransferCompleted, TransferFiles());
        PBRANGE range;
        SendMessageA(::Setup.ProgressBar, PBM_GETRANGE, 0, (LPARAM)&range);
        EXPECT_EQ(0, range.iLow);
        EXPECT_EQ(c.high, range.iHigh);
        EXPECT_EQ(0, BarPosition());
        DestroyWindow(::Setup.CurrentDialog);
        ::Setup.CurrentDialog = 0;
    }
}

// Commands posted to the progress dialog as it is created reach it in the
// first drain, as keys pressed during the first file would.
UINT PostedCommand;
HHOOK CommandHook;
LRESULT CALLBACK PostOnCreate(int code, WPARAM wParam, LPARAM lParam)
{
    auto *call = (CWPSTRUCT *)lParam;
    if (code == HC_ACTION && call->message == WM_INITDIALOG)
        PostMessageA(call->hwnd, WM_COMMAND, PostedCommand, 0);
    return CallNextHookEx(CommandHook, code, wParam, lParam);
}

TEST_F(Transfer, EscAbortsAfterTheEntryEnterDoesNot)
{
    WriteWholeFile(src + "\\Disk1", "");
    WriteWholeFile(src + "\\a", "fresh");
    WriteWholeFile(win + "\\a", "old");
    UseScript("[Disk1]\r\nNumberFiles=2\r\nfile1=1,a,a\r\nfile2=3,a,a\r\n");
    DiskCount = 1;
    struct { UINT command; TransferOutcome outcome; bool secondCopied; } cases[] = {
        {IDCANCEL, TransferAborted, false}, {IDOK, TransferCompleted, true}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.command);
        DeleteFileA((inst + "\\a").c_str());
        PostedCommand = c.command;
        CommandHook = SetWindowsHookExA(WH_CALLWNDPROC, PostOnCreate, 0, GetCurrentThreadId());
        TransferOutcome outcome = TransferFiles();
        UnhookWindowsHookEx(CommandHook);
        EXPECT_EQ(c.outcome, outcome);
        EXPECT_EQ(c.secondCopied, FileExists(inst + "\\a"));
        EXPECT_EQ("old", ReadWholeFile(win + "\\a"));
        DestroyWindow(::Setup.CurrentDialog);
        ::Setup.CurrentDialog = 0;
    }
}

// Answers each disk prompt in turn from a list, recording its text and
// owner; the tag file appears before the answer named "insert".
struct PromptAnswer { int answer; bool insert; };
std::vector<PromptAnswer> Answers;
std::vector<std::string> Prompts;
std::string TagToInsert;
std::function<void()> Remedy;  // done instead of inserting the tag, when set
const char *PromptCaption = DiskPromptCaption;
HWND PromptOwner;
HHOOK PromptHook;
LRESULT CALLBACK AnswerPrompt(int code, WPARAM wParam, LPARAM lParam)
{
    char caption[64] = "";
    if (code == HCBT_ACTIVATE && GetWindowTextA((HWND)wParam, caption, sizeof caption) &&
        strcmp(caption, PromptCaption) == 0) {
        char text[512] = "";
        GetDlgItemTextA((HWND)wParam, 0xFFFF, text, sizeof text);
        Prompts.push_back(text);
        PromptOwner = GetWindow((HWND)wParam, GW_OWNER);
        PromptAnswer next = {IDCANCEL, false};
        if (!Answers.empty()) {
            next = Answers.front();
            Answers.erase(Answers.begin());
        }
        if (next.insert) {
            if (Remedy)
                Remedy();
            else
                WriteWholeFile(TagToInsert, "");
        }
        PostMessageA((HWND)wParam, WM_COMMAND, next.answer, 0);
    }
    return CallNextHookEx(PromptHook, code, wParam, lParam);
}

TEST_F(Transfer, DiskPromptsRepeatUntilTheTagOrCancel)
{
    WriteWholeFile(src + "\\a", "fresh");
    UseScript("[Disk1]\r\nNumberFiles=1\r\nfile1=3,a,a\r\n[Disk2]\r\nNumberFiles=1\r\n"
              "file1=3,a,b\r\n");
    DiskCount = 2;
    WriteWholeFile(src + "\\Disk1", "");
    TagToInsert = src + "\\Disk2";
    struct { const char *name; std::vector<PromptAnswer> answers; TransferOutcome outcome;
             size_t prompts; bool secondCopied; } cases[] = {
        {"ok while missing, then inserted", {{IDOK, false}, {IDOK, true}}, TransferCompleted, 2, true},
        {"cancel", {{IDCANCEL, false}}, TransferAborted, 1, false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(TagToInsert.c_str());
        DeleteFileA((inst + "\\b").c_str());
        Answers = c.answers;
        Prompts.clear();
        PromptHook = SetWindowsHookExA(WH_CBT, AnswerPrompt, 0, GetCurrentThreadId());
        TransferOutcome outcome = TransferFiles();
        UnhookWindowsHookEx(PromptHook);
        EXPECT_EQ(c.outcome, outcome);
        ASSERT_EQ(c.prompts, Prompts.size());
        for (auto &text : Prompts) EXPECT_EQ("Please insert disk #2", text);
        EXPECT_EQ(::Setup.CurrentDialog, PromptOwner);
        EXPECT_TRUE(FileExists(inst + "\\a"));
        EXPECT_EQ(c.secondCopied, FileExists(inst + "\\b"));
        DestroyWindow(::Setup.CurrentDialog);
        ::Setup.CurrentDialog = 0;
    }
}

// A file that cannot be written brings up the File Copy Error prompt: Retry
// once the cause is gone completes the file, Cancel ends the transfer with
// the old file, the staged copy and an honest log.
TEST_F(Transfer, FailedFilesPromptRetryOrCancel)
{
    WriteWholeFile(src + "\\Disk1", "");
    WriteWholeFile(src + "\\s", "fresh s");
    WriteWholeFile(src + "\\a", "fresh a");
    UseScript("[Disk1]\r\nNumberFiles=3\r\nfile1=4,s,s.tmp\r\nfile2=5,s.tmp,b\r\n"
              "file3=3,a,c\r\n");
    DiskCount = 1;
    std::string locked = inst + "\\b";
    Remedy = [&] { SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL); };
    PromptCaption = FileErrorCaption;
    struct { const char *name; int answer; TransferOutcome outcome; const char *b; bool staged; } cases[] = {
        {"retry after the cause is gone", IDRETRY, TransferCompleted, "fresh s", false},
        {"cancel", IDCANCEL, TransferAborted, "old b", true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteWholeFile(locked, "old b");
        SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
        DeleteFileA((inst + "\\c").c_str());
        Answers = {{c.answer, c.answer == IDRETRY}};
        Prompts.clear();
        OpenLog();
        PromptHook = SetWindowsHookExA(WH_CBT, AnswerPrompt, 0, GetCurrentThreadId());
        TransferOutcome outcome = TransferFiles();
        UnhookWindowsHookEx(PromptHook);
        std::string log = CloseLog();
        EXPECT_EQ(c.outcome, outcome);
        ASSERT_EQ(1u, Prompts.size());
        EXPECT_NE(std::string::npos, Prompts[0].find(locked));
        EXPECT_NE(std::string::npos, Prompts[0].find("in use"));
        EXPECT_EQ(::Setup.CurrentDialog, PromptOwner);
        EXPECT_EQ(c.b, ReadWholeFile(locked));
        EXPECT_EQ(c.staged, FileExists(tmp + "\\s.tmp"));
        bool whole = c.outcome == TransferCompleted;
        EXPECT_EQ(whole ? "File Copy: " + locked + "\n" + "File Copy: " + inst + "\\c\n" : "", log);
        DestroyWindow(::Setup.CurrentDialog);
        ::Setup.CurrentDialog = 0;
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    Remedy = nullptr;
    PromptCaption = DiskPromptCaption;
}

// The status line and bar as the next disk prompt shows them.
std::string StatusAtPrompt;
LRESULT BarAtPrompt;
HHOOK ProgressHook;
LRESULT CALLBACK RecordProgressAtPrompt(int code, WPARAM wParam, LPARAM lParam)
{
    char caption[64] = "";
    if (code == HCBT_ACTIVATE && GetWindowTextA((HWND)wParam, caption, sizeof caption) &&
        strcmp(caption, DiskPromptCaption) == 0) {
        char text[EditTextSize] = "";
        GetDlgItemTextA(::Setup.CurrentDialog, IdMainText, text, sizeof text);
        StatusAtPrompt = text;
        BarAtPrompt = SendMessageA(::Setup.ProgressBar, PBM_GETPOS, 0, 0);
        PostMessageA((HWND)wParam, WM_COMMAND, IDCANCEL, 0);
    }
    return CallNextHookEx(ProgressHook, code, wParam, lParam);
}

// Every entry of types 1, 2 (destination missing), 3, 5 and 6 shows its
// status line and steps the bar whatever became of its file; the prompt for
// the next disk shows them current. Disk 1 holds a first file and the case.
TEST_F(Transfer, EveryEntryStepsWhateverBecameOfItsFile)
{
    WriteWholeFile(src + "\\Disk1", "");
    WriteWholeFile(src + "\\first", "first");
    WriteWholeFile(src + "\\a", "fresh");
    WriteWholeFile(win + "\\present", "old");
    DiskCount = 2;
    struct {
        const char *name, *entry;
        std::string install;   // the install directory (src: the same-file case)
        std::string status;    // empty: the first file's status line stays
        LRESULT bar;
        std::string logged;    // the case's own log line, if any
        std::string check = "";     // [Check1] file2, if any
        std::string standing = "";  // what stands at inst\\a before, if anything
    } cases[] = {
        {"written", "3,a,a", inst, inst + "\\a", 20, inst + "\\a"},
        {"source missing", "3,absent,a", inst, inst + "\\a", 20, ""},
        {"type 1, destination missing, source missing", "1,absent,w", inst, win + "\\w", 20, ""},
        {"type 1, destination present", "1,a,present", inst, "", 10, ""},
        {"type 2 written", "2,a,s", inst, sys + "\\s", 20, sys + "\\s"},
        {"type 5, source missing", "5,absent,five", inst, inst + "\\five", 20, ""},
        {"type 6 written", "6,a,a,six", inst, inst + "\\six", 20, inst + "\\six"},
        {"type 4 never steps", "4,a,t", inst, "", 10, ""},
        {"empty source name", "3,,b", inst, inst + "\\b", 20, ""},
        {"empty destination", "3,a,", inst, inst + "\\", 20, ""},
        {"name leaving its directory", "3,a,..\\x", inst, inst + "\\..\\x", 20, ""},
        {"same file, skipped", "3,a,A", src, src + "\\A", 20, src + "\\A"},
        {"checked, in place", "3,a,a", inst, inst + "\\a", 20, inst + "\\a", "5,1801d773", "fresh"},
        {"checked, other content", "3,a,a", inst, inst + "\\a", 20, inst + "\\a", "5,1801d773", "stale"},
        {"checked, source missing, in place", "3,absent,a", inst, inst + "\\a", 20, inst + "\\a",
         "5,1801d773", "fresh"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        for (const char *name : {"a", "five", "six", "b", "first"}) DeleteFileA((inst + "\\" + name).c_str());
        DeleteFileA((win + "\\w").c_str());
        DeleteFileA((sys + "\\s").c_str());
        strcpy(InstallPath, c.install.c_str());
        if (!c.standing.empty()) WriteWholeFile(inst + "\\a", c.standing);
        UseScript(std::string("[Disk1]\r\nNumberFiles=2\r\nfile1=3,first,first\r\nfile2=") +
                  c.entry + "\r\n[Disk2]\r\nNumberFiles=1\r\nfile1=3,first,later\r\n" +
                  "[Check1]\r\nfile2=" + c.check + "\r\n");
        StatusAtPrompt.clear();
        BarAtPrompt = -1;
        OpenLog();
        ProgressHook = SetWindowsHookExA(WH_CBT, RecordProgressAtPrompt, 0, GetCurrentThreadId());
        TransferOutcome outcome = TransferFiles();
        UnhookWindowsHookEx(ProgressHook);
        std::string log = CloseLog();
        EXPECT_EQ(TransferAborted, outcome);
        std::string first = c.install + "\\first";
        EXPECT_EQ("Copy file : " + (c.status.empty() ? first : c.status), StatusAtPrompt);
        EXPECT_EQ(c.bar, BarAtPrompt);
        std::string expected = "File Copy: " + first + "\n";
        if (!c.logged.empty()) expected += "File Copy: " + c.logged + "\n";
        EXPECT_EQ(expected, log);
        EXPECT_EQ("fresh", ReadWholeFile(src + "\\a"));
        if (!c.standing.empty()) {
            EXPECT_EQ("fresh", ReadWholeFile(inst + "\\a"));
        }
        EXPECT_FALSE(FileExists(root + "\\x"));
        DestroyWindow(::Setup.CurrentDialog);
        ::Setup.CurrentDialog = 0;
    }
    strcpy(InstallPath, inst.c_str());
}

}  // namespace
