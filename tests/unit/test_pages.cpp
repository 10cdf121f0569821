// The directory and group pages: free space, display paths, the registry read,
// the listing of program groups, and both pages run modally on real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <ctype.h>
#include <functional>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "support.h"
#include "engine/setup_state.h"
#include "core/text.h"
#include "win32/dialogs.h"
#include "ui/directory_page.h"
#include "ui/group_page.h"

namespace {

const char Marker = '\x7E';

std::string MissingDriveRoot()
{
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; letter++)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
    return "";
}

std::string ShortName(const std::string &path)
{
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    return shortPath;
}

std::string DisplayPath(const std::string &path)
{
    char buffer[MAX_PATH];
    CopyText(buffer, sizeof buffer, path.c_str());
    MakeDisplayPath(buffer);
    return buffer;
}

std::string ItemText(HWND page, int id)
{
    char text[300] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

std::vector<std::string> ListEntries(HWND list)
{
    std::vector<std::string> entries;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        char entry[MAX_PATH] = "";
        SendMessageA(list, LB_GETTEXT, i, (LPARAM)entry);
        entries.push_back(entry);
    }
    return entries;
}

void DoubleClick(HWND page, const char *entry)
{
    HWND list = GetDlgItem(page, IdList);
    LRESULT index = entry ? SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)entry) : -1;
    if (entry) {
        EXPECT_NE(LB_ERR, index) << "no entry " << entry;
    }
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IdList, LBN_DBLCLK), (LPARAM)list);
}

void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }

// Listing changes the current directory; every page test puts it back.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSetupState();
        GetCurrentDirectoryA(sizeof savedDir, savedDir);
    }
    void TearDown() override { SetCurrentDirectoryA(savedDir); }
    char savedDir[MAX_PATH];
};

// ---- Free space ----

TEST(FreeSpace, RealAndMissingDrives)
{
    EXPECT_GT(GetFreeSpaceKb("C:\\"), 0);
    std::string missing = MissingDriveRoot();
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(0, GetFreeSpaceKb(missing.c_str())) << missing;
}

// ---- Display paths ----

TEST(DisplayPath, ComponentsBecomeDisplayNames)
{
    std::string scratch = ScratchDir("pages_display");
    std::string longDir = scratch + "\\Long Directory Name";
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), 0));
    std::string shortDir = ShortName(longDir);
    ASSERT_NE(std::string::npos, shortDir.find('~')) << shortDir;
    std::string base = DisplayPath(scratch);
    ASSERT_EQ('\\', base.back());

    struct { std::string path, expected; const char *name; } cases[] = {
        {"C:\\", "C:\\", "drive root stays"},
        {"c:\\", "c:\\", "the letter keeps its case"},
        {shortDir, base + "Long Directory Name\\", "short name gives the long display name"},
        {scratch + "\\Not Made Yet", base + "Not Made Yet\\", "a missing component keeps its text"},
        {scratch + "\\Not Made Yet\\Deeper", base + "Not Made Yet\\Deeper\\", "missing below missing"},
        {scratch + "\\", base, "a trailing backslash is not doubled"},
    };
    for (const auto &c : cases) {
        char buffer[MAX_PATH];
        CopyText(buffer, sizeof buffer, c.path.c_str());
        EXPECT_TRUE(MakeDisplayPath(buffer)) << c.name;
        EXPECT_EQ(c.expected, buffer) << c.name;
    }
}

TEST(DisplayPath, LongPathFitsExactlyOrIsRefused)
{
    // Not existing: every component keeps its own text, and a backslash is added.
    const std::string head = "C:\\pages_missing_dir\\";
    for (size_t length : {258u, 259u}) {
        std::string path = head + std::string(length - head.size(), 'x');
        char buffer[MAX_PATH + 16];
        memset(buffer, Marker, sizeof buffer);
        memcpy(buffer, path.c_str(), path.size() + 1);
        bool fits = MakeDisplayPath(buffer);
        if (length == 258) {
            EXPECT_TRUE(fits);
            EXPECT_EQ(path + "\\", buffer) << "259 characters fit exactly";
        } else {
            EXPECT_FALSE(fits) << "260 characters do not fit";
            EXPECT_EQ(path, buffer) << "a refused path is left as it was";
        }
        for (size_t i = MAX_PATH; i < sizeof buffer; i++)
            ASSERT_EQ(Marker, buffer[i]) << "written past the buffer at " << i;
    }
}

// ---- The registry read ----

const char *TestKey = "Software\\SetupExeUnitTest\\Pages";

TEST(RegistryRead, CutsToTheDestinationAndFailsOnlyWithoutKeyOrValue)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, 0, 0, KEY_ALL_ACCESS,
                                             0, &key, 0));
    std::string big(600, 'L');
    struct { const char *name; std::string value; } values[] = {
        {"Short", "abc"}, {"Exact", std::string(15, 'e')}, {"OneOver", std::string(16, 'o')},
        {"Big", big}, {"Empty", ""}};
    for (const auto &v : values)
        RegSetValueExA(key, v.name, 0, REG_SZ, (const BYTE *)v.value.c_str(),
                       (DWORD)v.value.size() + 1);
    RegCloseKey(key);

    struct { int root; const char *key, *value; bool ok; std::string text; } cases[] = {
        {1, TestKey, "Short", true, "abc"},
        {1, TestKey, "Exact", true, std::string(15, 'e')},
        {1, TestKey, "OneOver", true, std::string(15, 'o')},
        {1, TestKey, "Big", true, std::string(15, 'L')},
        {1, TestKey, "Empty", true, ""},
        {1, TestKey, "Missing", false, ""},
        {1, "Software\\SetupExeUnitTest\\NoSuchKey", "Short", false, ""},
        {2, TestKey, "Short", false, ""},
        {4, TestKey, "Short", false, ""},
        {-1, TestKey, "Short", false, ""},
    };
    for (const auto &c : cases) {
        std::string name = std::to_string(c.root) + " " + c.key + " " + c.value;
        char dest[16 + 16];
        memset(dest, Marker, sizeof dest);
        EXPECT_EQ(c.ok, ReadRegistryString(c.root, c.key, c.value, dest, 16)) << name;
        EXPECT_EQ(c.text, dest) << name;
        for (size_t i = 16; i < sizeof dest; i++)
            ASSERT_EQ(Marker, dest[i]) << name << ": written past the destination";
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, TestKey);
}

// ---- Listing the program groups ----

std::vector<std::string> ListGroups(const char *folder)
{
    HWND list = CreateWindowExA(0, "LISTBOX", 0, LBS_SORT, 0, 0, 100, 100, 0, 0,
                                GetModuleHandleA(0), 0);
    FillProgramGroups(GetModuleHandleA(0), list, folder);
    std::vector<std::string> entries = ListEntries(list);
    DestroyWindow(list);
    return entries;
}

std::string MakeProgramsFolder()
{
    std::string programs = ScratchDir("pages_programs");
    for (const char *name : {"Beta", "alpha", "Long Group Name", "Accessories"})
        CreateDirectoryA((programs + "\\" + name).c_str(), 0);
    WriteWholeFile(programs + "\\Readme.lnk", "not a real shortcut");
    WriteWholeFile(programs + "\\notes.txt", "x");
    return programs;
}

TEST(ProgramGroups, OnlySubFoldersUnderDisplayNamesSorted)
{
    std::string programs = MakeProgramsFolder();
    std::string onlyFiles = ScratchDir("pages_only_files");
    WriteWholeFile(onlyFiles + "\\App.lnk", "shortcut");
    std::string empty = ScratchDir("pages_empty");
    typedef std::vector<std::string> Names;
    struct { std::string folder; Names expected; const char *name; } cases[] = {
        {programs, {"Accessories", "alpha", "Beta", "Long Group Name"}, "folders only, sorted"},
        {ShortName(programs + "\\Long Group Name") + "\\..", {"Accessories", "alpha", "Beta",
                                                             "Long Group Name"}, "via short name"},
        {onlyFiles, {}, "only shortcut files"},
        {empty, {}, "no sub-folders"},
        {programs + "\\No Such Folder", {}, "missing folder"},
        {"", {}, "no folder at all"},
    };
    for (const auto &c : cases) EXPECT_EQ(c.expected, ListGroups(c.folder.c_str())) << c.name;
}

// ---- The directory page, modally ----

TEST_F(PageTest, DirectoryPageShowsProposalAndBothFigures)
{
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "C:\\Pages Proposal");
    CopyText(::Setup.PageText, sizeof ::Setup.PageText, "Install text");
    ::Setup.SizeInst = 1234;
    std::string proposal, pageText, required, available;
    long before = GetFreeSpaceKb("C:\\");
    std::vector<std::string> entries;
    int focusId = 0;
    LONG result = RunPageAsUser(DirectoryPageTemplate, DirectoryPageProc, [&](HWND page) {
        proposal = ItemText(page, IdMainText);
        pageText = ItemText(page, IdPageText);
        required = ItemText(page, IdRequiredSpace);
        available = ItemText(page, IdAvailableSpace);
        entries = ListEntries(GetDlgItem(page, IdList));
        focusId = GetDlgCtrlID(GetFocus());
        Click(page, IdCancel);
    });
    EXPECT_EQ(PageCancelled, result);
    EXPECT_EQ("C:\\Pages Proposal", proposal);
    EXPECT_EQ("Install text", pageText);
    EXPECT_EQ("1234 Kb", required);
    // Other work on the same disk moves the figure between two reads.
    long shownKb = -1;
    char unit[8] = "";
    EXPECT_EQ(2, sscanf(available.c_str(), "%ld %7s", &shownKb, unit)) << available;
    EXPECT_STREQ("Kb", unit);
    long after = GetFreeSpaceKb("C:\\");
    EXPECT_GE(shownKb, std::min(before, after) - 65536) << available;
    EXPECT_LE(shownKb, std::max(before, after) + 65536) << available;
    EXPECT_NE(entries.end(), std::find(entries.begin(), entries.end(), "[-c-]"));
    for (const auto &entry : entries) EXPECT_EQ('[', entry[0]) << "no files: " << entry;
    EXPECT_EQ(IdNext, focusId);
    EXPECT_FALSE(::Setup.CurrentDialog);
}

TEST_F(PageTest, DirectoryNextNeedsMoreSpaceThanRequired)
{
    std::string missing = MissingDriveRoot() + "x";
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "C:\\Pages");
    bool openAfterHuge = false, openAfterMissing = false;
    std::string figureAfterMissing;
    LONG result = RunPageAsUser(DirectoryPageTemplate, DirectoryPageProc, [&](HWND page) {
        ::Setup.SizeInst = 0x7FFFFFFF;
        SetDlgItemTextA(page, IdMainText, "C:\\Pages Huge");
        Click(page, IdNext);
        openAfterHuge = PageOpen(page);
        ::Setup.SizeInst = 0;
        SetDlgItemTextA(page, IdMainText, missing.c_str());
        Click(page, IdNext);
        openAfterMissing = PageOpen(page);
        figureAfterMissing = ItemText(page, IdAvailableSpace);
        SetDlgItemTextA(page, IdMainText, "c:\\Typed  As Is ");
        Click(page, IdNext);
    });
    EXPECT_TRUE(openAfterHuge) << "too little room keeps the page";
    EXPECT_TRUE(openAfterMissing) << "a missing drive has no room";
    EXPECT_EQ("0 Kb", figureAfterMissing);
    EXPECT_EQ(PageGoOn, result);
    EXPECT_STREQ("c:\\Typed  As Is ", ::Setup.EditText) << "taken as typed";
    EXPECT_FALSE(::Setup.CurrentDialog);
}

TEST_F(PageTest, DirectoryDoubleClickProposesFolderAndTitle)
{
    std::string scratch = ScratchDir("pages_dirlist");
    CreateDirectoryA((scratch + "\\Long Directory Name").c_str(), 0);
    std::string missingDrive = MissingDriveRoot();
    std::string fakeEntry = "[-" + std::string(1, (char)tolower(missingDrive[0])) + "-]";
    // The listing writes the current path with a lower-case drive letter.
    std::string base = DisplayPath(scratch);
    base[0] = (char)tolower(base[0]);
    CopyText(::Setup.ProductTitle, sizeof ::Setup.ProductTitle, "Demo App");
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "C:\\Demo App");
    std::string intoChild, upToParent, noSelection, unenterable, atRoot;
    size_t countBefore = 0, countAfter = 0;
    RunPageAsUser(DirectoryPageTemplate, DirectoryPageProc, [&](HWND page) {
        char listPattern[MAX_PATH];
        CopyText(listPattern, sizeof listPattern, scratch.c_str());
        DlgDirListA(page, listPattern, IdList, IdMainText, DirectoryListFlags);
        DoubleClick(page, "[Long Directory Name]");
        intoChild = ItemText(page, IdMainText);
        DoubleClick(page, "[..]");
        upToParent = ItemText(page, IdMainText);

        SetDlgItemTextA(page, IdMainText, "kept as typed");
        countBefore = ListEntries(GetDlgItem(page, IdList)).size();
        DoubleClick(page, 0);
        noSelection = ItemText(page, IdMainText);

        SendDlgItemMessageA(page, IdList, LB_ADDSTRING, 0, (LPARAM)fakeEntry.c_str());
        DoubleClick(page, fakeEntry.c_str());
        unenterable = ItemText(page, IdMainText);
        countAfter = ListEntries(GetDlgItem(page, IdList)).size();

        CopyText(listPattern, sizeof listPattern, "C:\\");
        DlgDirListA(page, listPattern, IdList, IdMainText, DirectoryListFlags);
        DoubleClick(page, "[-c-]");
        atRoot = ItemText(page, IdMainText);
        Click(page, IdCancel);
    });
    EXPECT_EQ(base + "Long Directory Name\\Demo App", intoChild);
    EXPECT_EQ(base + "Demo App", upToParent);
    EXPECT_EQ("kept as typed", noSelection);
    EXPECT_EQ("kept as typed", unenterable) << "a drive that cannot be listed changes nothing";
    EXPECT_EQ(countBefore + 1, countAfter) << "the list keeps its entries";
    EXPECT_EQ(0, lstrcmpiA("c:\\Demo App", atRoot.c_str())) << atRoot;
}

TEST_F(PageTest, DirectoryProposalTooLongKeepsThePlainPath)
{
    std::string scratch = ScratchDir("pages_deep");
    std::string deep = scratch + "\\" + std::string(150, 'D');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), 0));
    CopyText(::Setup.ProductTitle, sizeof ::Setup.ProductTitle, std::string(100, 'T').c_str());
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "C:\\x");
    std::string shown;
    char current[MAX_PATH] = "";
    RunPageAsUser(DirectoryPageTemplate, DirectoryPageProc, [&](HWND page) {
        char listPattern[MAX_PATH];
        CopyText(listPattern, sizeof listPattern, scratch.c_str());
        DlgDirListA(page, listPattern, IdList, IdMainText, DirectoryListFlags);
        DoubleClick(page, ("[" + std::string(150, 'D') + "]").c_str());
        shown = ItemText(page, IdMainText);
        GetCurrentDirectoryA(sizeof current, current);
        Click(page, IdCancel);
    });
    EXPECT_EQ(0, lstrcmpiA(deep.c_str(), current)) << "the listing entered the folder";
    EXPECT_EQ(0, lstrcmpiA(current, shown.c_str())) << "no cut proposal: " << shown;
}

// ---- The group page, modally ----

class GroupPageTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        hadValue = ReadRegistryString(1, ShellFoldersKey, ProgramsValue, saved, sizeof saved);
    }
    void TearDown() override
    {
        if (hadValue) SetPrograms(saved);
        PageTest::TearDown();
    }
    void SetPrograms(const std::string &folder)
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, 0, 0, KEY_ALL_ACCESS, 0, &key,
                            0) != ERROR_SUCCESS)
            return;
        RegSetValueExA(key, ProgramsValue, 0, REG_SZ, (const BYTE *)folder.c_str(),
                       (DWORD)folder.size() + 1);
        RegCloseKey(key);
    }
    char saved[MAX_PATH];
    bool hadValue = false;
};

TEST_F(GroupPageTest, ListsGroupsAndDoubleClickReplacesTheName)
{
    SetPrograms(MakeProgramsFolder());
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "Demo Group");
    CopyText(::Setup.PageText, sizeof ::Setup.PageText, "Setup will create a group for Demo");
    std::string proposed, pageText, picked, afterNoSelection;
    std::vector<std::string> groups;
    LONG result = RunPageAsUser(GroupPageTemplate, GroupPageProc, [&](HWND page) {
        proposed = ItemText(page, IdMainText);
        pageText = ItemText(page, IdPageText);
        groups = ListEntries(GetDlgItem(page, IdList));
        DoubleClick(page, "Long Group Name");
        picked = ItemText(page, IdMainText);
        SetDlgItemTextA(page, IdMainText, "Typed Name");
        DoubleClick(page, 0);
        afterNoSelection = ItemText(page, IdMainText);
        DoubleClick(page, "alpha");
        Click(page, IdNext);
    });
    EXPECT_EQ("Demo Group", proposed);
    EXPECT_EQ("Setup will create a group for Demo", pageText);
    EXPECT_EQ((std::vector<std::string>{"Accessories", "alpha", "Beta", "Long Group Name"}), groups);
    EXPECT_EQ("Long Group Name", picked);
    EXPECT_EQ("Typed Name", afterNoSelection);
    EXPECT_EQ(PageGoOn, result);
    EXPECT_STREQ("alpha", ::Setup.EditText);
    EXPECT_FALSE(::Setup.CurrentDialog);
}

TEST_F(GroupPageTest, AnyNameIsAcceptedUpTo249Characters)
{
    SetPrograms(MakeProgramsFolder());
    std::string longName(300, 'n');
    struct { std::string typed, expected; } cases[] = {{"", ""}, {longName, longName.substr(0, 249)}};
    for (const auto &c : cases) {
        CopyText(::Setup.EditText, sizeof ::Setup.EditText, "Proposed");
        LONG result = RunPageAsUser(GroupPageTemplate, GroupPageProc, [&](HWND page) {
            SetDlgItemTextA(page, IdMainText, c.typed.c_str());
            Click(page, IdNext);
        });
        EXPECT_EQ(PageGoOn, result) << c.typed.size();
        EXPECT_EQ(c.expected, ::Setup.EditText) << c.typed.size();
    }
}

// The message box the page opens over itself: its text is kept and it is
// answered with OK, from a timer, as a user would.
std::string BoxText;
int BoxesAnswered;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND page = ::Setup.CurrentDialog;
    for (HWND box = FindWindowExA(0, 0, "#32770", 0); box; box = FindWindowExA(0, box, "#32770", 0)) {
        if (box == page || GetWindow(box, GW_OWNER) != page || !IsWindowVisible(box)) continue;
        char text[512] = "", caption[64] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        GetWindowTextA(box, caption, sizeof caption);
        BoxText = std::string(caption) + "|" + text;
        ++BoxesAnswered;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
    }
}

// A name that cannot be a folder, or could end the shell's command, gets a
// message naming the characters, and the page stays with the name.
TEST_F(GroupPageTest, ANameNoFolderCanHaveIsRefusedAndThePageStays)
{
    SetPrograms(MakeProgramsFolder());
    const char *message =
        "Setup|A group name cannot contain any of these characters:\n\\ / : * ? \" < > |";
    struct { const char *typed; bool refused; } cases[] = {
        {"Typed\")][DeleteGroup(\"Victim\")][ShowGroup(\"Victim", true},
        {"a\\b", true}, {"a/b", true}, {"C: drive", true}, {"a*", true}, {"why?", true},
        {"<a>", true}, {"a|b", true}, {"tab\there", true},
        {"Group, [1] (x) & 'y'", false}, {"", false},
    };
    for (const auto &c : cases) {
        CopyText(::Setup.EditText, sizeof ::Setup.EditText, "Proposed");
        BoxText.clear();
        BoxesAnswered = 0;
        bool stayed = false;
        std::string kept;
        UINT_PTR timer = SetTimer(0, 0, 50, AnswerBox);
        LONG result = RunPageAsUser(GroupPageTemplate, GroupPageProc, [&](HWND page) {
            SetDlgItemTextA(page, IdMainText, c.typed);
            Click(page, IdNext);
            stayed = PageOpen(page);
            kept = ItemText(page, IdMainText);
            if (stayed) {
                SetDlgItemTextA(page, IdMainText, "Fine Name");
                Click(page, IdNext);
            }
        });
        KillTimer(0, timer);
        EXPECT_EQ(PageGoOn, result) << c.typed;
        EXPECT_EQ(c.refused, stayed) << c.typed;
        EXPECT_EQ(c.refused ? 1 : 0, BoxesAnswered) << c.typed;
        EXPECT_EQ(c.refused ? message : "", BoxText) << c.typed;
        if (c.refused) {
            EXPECT_EQ(c.typed, kept) << c.typed;
            EXPECT_STREQ("Fine Name", ::Setup.EditText) << c.typed;
        } else {
            EXPECT_STREQ(c.typed, ::Setup.EditText) << c.typed;
        }
    }
}

TEST_F(GroupPageTest, WithoutAProgramsFolderTheListIsEmpty)
{
    SetPrograms("C:\\No Such Programs Folder");
    size_t count = 99;
    LONG result = RunPageAsUser(GroupPageTemplate, GroupPageProc, [&](HWND page) {
        count = ListEntries(GetDlgItem(page, IdList)).size();
        Click(page, IdCancel);
    });
    EXPECT_EQ(0u, count);
    EXPECT_EQ(PageCancelled, result);
    EXPECT_FALSE(::Setup.CurrentDialog);
}

}  // namespace
