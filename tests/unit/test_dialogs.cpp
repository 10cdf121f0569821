// The dialog framework on real windows: the status-dialog procedure, the
// message drain, the welcome page run modally, and the templates as linked.
#include <gtest/gtest.h>
#include <windows.h>
#include <dde.h>
#include <string>
#include <vector>

#include "engine/setup_state.h"
#include "core/code_page_charset.h"
#include "core/text.h"
#include "res/resource.h"
#include "win32/background.h"
#include "win32/dialogs.h"
#include "ui/page_texts.h"
#include "support.h"

namespace {

const UINT DdeAck = WM_DDE_ACK;
// A fixed label's ID as the template stores it.
const WORD FixedLabelId = (WORD)IDC_STATIC;

HWND CreateStatusDialog(int templateId)
{
    return CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(templateId), 0,
                              DlgViewSetup, 0);
}

std::string ItemText(HWND dialog, int id)
{
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool MessageQueued(UINT message)
{
    MSG found;
    return PeekMessageA(&found, 0, message, message, PM_NOREMOVE) != 0;
}

class StatusDialog : public ::testing::Test {
protected:
    void SetUp() override { ResetSetupState(); }
    void TearDown() override
    {
        if (dialog) DestroyWindow(dialog);
        PumpMessages(0);
    }
    HWND dialog = 0;
};

TEST_F(StatusDialog, ProgressDialogStartsWithEditText)
{
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "Copy file : C:\\APP\\A.EXE");
    dialog = CreateStatusDialog(ProgressDialogTemplate);
    ASSERT_TRUE(dialog);
    EXPECT_EQ("Copy file : C:\\APP\\A.EXE", ItemText(dialog, IdMainText));
    EXPECT_TRUE(GetDlgItem(dialog, IdProgressBar));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "WS_VISIBLE of the template shows it";
}

TEST_F(StatusDialog, EnterAndEscThroughTheDialogManager)
{
    dialog = CreateStatusDialog(ProgressDialogTemplate);
    ASSERT_TRUE(dialog);
    struct { WPARAM key; LONG result; const char *name; } cases[] = {
        {VK_RETURN, PageCancelled, "Enter"},
        {VK_ESCAPE, PageAbort, "Esc"},
    };
    for (const auto &c : cases) {
        ::Setup.PageResult = PageGoOn;
        PostMessageA(dialog, WM_KEYDOWN, c.key, 1);
        PumpMessages(dialog);
        EXPECT_EQ(c.result, ::Setup.PageResult) << c.name;
        EXPECT_TRUE(IsWindow(dialog)) << c.name << " must not end the status dialog";
    }
    // Other commands are not the dialog's.
    ::Setup.PageResult = PageGoOn;
    EXPECT_EQ(0, SendMessageA(dialog, WM_COMMAND, 3, 0));
    EXPECT_EQ(PageGoOn, ::Setup.PageResult);
}

TEST_F(StatusDialog, FirstDdeAckNamesThePartnerLaterOnesEndTheWait)
{
    dialog = CreateStatusDialog(WaitDialogTemplate);
    ASSERT_TRUE(dialog);
    HWND shell = CreateWindowExA(0, "STATIC", "shell", 0, 0, 0, 0, 0, 0, 0, 0, 0);
    HWND other = CreateWindowExA(0, "STATIC", "other", 0, 0, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_TRUE(shell && other);

    // Called directly: through SendMessage a dialog's own result is not returned.
    EXPECT_EQ(1, DlgViewSetup(dialog, DdeAck, (WPARAM)shell, 0));
    EXPECT_EQ(shell, ::Setup.DdePartner);
    EXPECT_EQ(1, ::Setup.DdeWaiting) << "the first answer only names the partner";

    EXPECT_EQ(1, DlgViewSetup(dialog, DdeAck, (WPARAM)other, 0));
    EXPECT_EQ(shell, ::Setup.DdePartner) << "a later answer keeps the partner";
    EXPECT_EQ(0, ::Setup.DdeWaiting) << "an answer from any window ends the wait";

    ::Setup.DdeWaiting = 1;
    SendMessageA(dialog, DdeAck, (WPARAM)shell, 0);
    EXPECT_EQ(0, ::Setup.DdeWaiting);
    DestroyWindow(shell);
    DestroyWindow(other);
}

TEST_F(StatusDialog, WaitDialogShowsItsOwnTextWhateverEditTextHolds)
{
    CopyText(::Setup.EditText, sizeof ::Setup.EditText, "C:\\PROGRA~1\\APP");
    dialog = CreateStatusDialog(WaitDialogTemplate);
    ASSERT_TRUE(dialog);
    HWND label = GetDlgItem(dialog, FixedLabelId);
    ASSERT_TRUE(label);
    char text[100];
    GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ("Create windows group.  Please wait...", text);
    EXPECT_FALSE(GetDlgItem(dialog, IdMainText));
}

TEST_F(StatusDialog, PumpWithoutDialogLeavesTheQueueAlone)
{
    dialog = CreateStatusDialog(ProgressDialogTemplate);
    ASSERT_TRUE(dialog);
    const UINT probe = WM_APP + 7;
    PostMessageA(dialog, probe, 0, 0);
    PumpMessages(0);
    EXPECT_TRUE(MessageQueued(probe)) << "no dialog: nothing drained";
    PumpMessages(dialog);
    EXPECT_FALSE(MessageQueued(probe)) << "with a dialog the queue is drained";
}

// ---- The welcome page, run modally with a timer playing the user. ----

void PostKeyToFocus(HWND page, WPARAM key)
{
    HWND focus = GetFocus();
    PostMessageA(focus ? focus : page, WM_KEYDOWN, key, 1);
}

TEST(WelcomePage, NextCancelAndEscSetThePageResult)
{
    struct {
        const char *name;
        void (*action)(HWND);
        LONG result;
    } cases[] = {
        {"Next", [](HWND page) { SendDlgItemMessageA(page, IdNext, BM_CLICK, 0, 0); }, PageGoOn},
        {"Cancel", [](HWND page) { SendDlgItemMessageA(page, IdCancel, BM_CLICK, 0, 0); }, PageCancelled},
        {"Esc", [](HWND page) { PostKeyToFocus(page, VK_ESCAPE); }, PageCancelled},
        {"Enter", [](HWND page) { PostKeyToFocus(page, VK_RETURN); }, PageGoOn},
    };
    for (const auto &c : cases) {
        ResetSetupState();
        ::Setup.PageResult = 5;
        EXPECT_EQ(c.result, RunPageAsUser(WelcomePageTemplate, WelcomePageProc, c.action)) << c.name;
        EXPECT_EQ(c.result, ::Setup.PageResult) << c.name;
        EXPECT_FALSE(::Setup.CurrentDialog) << c.name << ": closing clears the current dialog";
        EXPECT_EQ(1, ::Setup.DialogShown) << c.name;
    }
}

// A close of the background window (the taskbar's Close, a polite kill)
// keeps the window and reads as Cancel on this page and every later one; a
// page that cannot be shown is no Next either.
TEST(WelcomePage, CloseOfTheBackgroundAndFailedPagesReadAsCancel)
{
    ResetSetupState();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = KelWndProc;
    windowClass.hInstance = GetModuleHandleA(0);
    windowClass.lpszClassName = "close_test_background";
    RegisterClassA(&windowClass);
    ::Setup.BackgroundWindow = CreateWindowExA(0, windowClass.lpszClassName, "Setup",
                                               WS_OVERLAPPED, 0, 0, 100, 100, 0, 0,
                                               windowClass.hInstance, 0);
    ASSERT_TRUE(::Setup.BackgroundWindow);

    ::Setup.PageResult = PageGoOn;
    EXPECT_EQ(PageCancelled, RunPage(99, WelcomePageProc)) << "no such template";

    EXPECT_EQ(PageCancelled, RunPageAsUser(WelcomePageTemplate, WelcomePageProc, [](HWND) {
        PostMessageA(::Setup.BackgroundWindow, WM_CLOSE, 0, 0);
    }));
    EXPECT_TRUE(IsWindow(::Setup.BackgroundWindow));
    EXPECT_EQ(1, ::Setup.CloseRequested);
    EXPECT_EQ(PageCancelled, RunPage(WelcomePageTemplate, WelcomePageProc)) << "a later page is not shown";

    DestroyWindow(::Setup.BackgroundWindow);
    MSG quit;  // the window's WM_DESTROY posts one; later modal loops must not see it
    while (PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ResetSetupState();
}

TEST(WelcomePage, ShowsPageTextAndFocusesNext)
{
    ResetSetupState();
    FormatPageText(::Setup.PageText, sizeof ::Setup.PageText, WelcomeTextFormat, "Demo");
    static std::string shown;
    static int focusId;
    shown.clear();
    focusId = 0;
    RunPageAsUser(WelcomePageTemplate, WelcomePageProc, [](HWND page) {
        shown = ItemText(page, IdMainText);
        focusId = GetDlgCtrlID(GetFocus());
        SendDlgItemMessageA(page, IdCancel, BM_CLICK, 0, 0);
    });
    EXPECT_EQ("Welcome to Demo Setup.\n\nSetup will install the Demo files to your system.", shown);
    EXPECT_EQ(IdNext, focusId) << "the first tab stop, Next, takes the focus";
}

// ---- The templates as linked into the executable. ----

struct ItemSpec {
    WORD id;
    const char *className;  // "#128".. for the predefined classes
    const char *text;
    DWORD style;
    short x, y, cx, cy;
};

struct TemplateSpec {
    int id;
    short cx, cy;
    std::vector<ItemSpec> items;
};

struct Reader {
    const BYTE *at;
    WORD Word() { WORD w = *(const WORD *)at; at += 2; return w; }
    DWORD Dword() { DWORD d = *(const DWORD *)at; at += 4; return d; }
    std::string NameOrOrdinal()
    {
        WORD first = *(const WORD *)at;
        if (first == 0xFFFF) {
            at += 2;
            return "#" + std::to_string(Word());
        }
        std::string text;
        for (WORD c; (c = Word()) != 0;) text += (char)c;
        return text;
    }
    void AlignDword(const BYTE *base) { at = base + ((at - base + 3) & ~3); }
};

// Templates (2 welcome, 3 directory, 4 group, 5 progress, 6 wait) and
// control IDs are written as the numbers the program's convention fixes (1
// Next, 2 Cancel, 11 main text or edit box, 12 progress bar, 13 list box, 14
// required space, 15 page text, 16 available space, 0xFFFF fixed labels):
// other programs and the test driver find the templates and controls by them.
const ItemSpec NextButton = {1, "#128", "Next >", 0x50010300, 136, 116, 50, 14};
const ItemSpec CancelButton = {2, "#128", "Cancel", 0x50010300, 192, 116, 50, 14};

TEST(Templates, MatchTheLayoutTables)
{
    const TemplateSpec templates[] = {
        {2, 250, 140,
         {NextButton, CancelButton,
          {11, "#130", "Welcome", 0x50000000, 12, 8, 228, 68}}},
        {3, 250, 140,
         {NextButton, CancelButton,
          {15, "#130", "Text1", 0x50000000, 7, 4, 236, 32},
          {11, "#129", "Install Dir", 0x50810000, 3, 40, 243, 16},
          {13, "#131", "ListBox1", 0x50A10003, 4, 60, 116, 72},
          {0xFFFF, "#130", "Required space:", 0x50000000, 128, 80, 52, 12},
          {0xFFFF, "#130", "Available space:", 0x50000000, 128, 61, 52, 15},
          {16, "#130", "Text5", 0x50000000, 184, 62, 60, 14},
          {14, "#130", "Text6", 0x50000000, 184, 80, 60, 13}}},
        {4, 250, 140,
         {NextButton, CancelButton,
          {15, "#130", "Text1", 0x50000001, 7, 4, 236, 32},
          {11, "#129", "Install Dir", 0x50810000, 3, 40, 243, 16},
          {13, "#131", "ListBox1", 0x50A10003, 4, 60, 116, 72}}},
        {5, 250, 60,
         {{11, "#130", "Text1", 0x50000000, 13, 4, 224, 16},
          {12, "msctls_progress32", "ProgressBar1", 0x50800000, 9, 32, 232, 17}}},
        {6, 250, 60,
         {{0xFFFF, "#130", "Create windows group.  Please wait...", 0x50000001, 51, 23,
           148, 13}}},
    };
    HMODULE module = GetModuleHandleA(0);
    for (const auto &t : templates) {
        SCOPED_TRACE("template " + std::to_string(t.id));
        HRSRC found = FindResourceExA(module, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(t.id),
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        ASSERT_TRUE(found) << "a language-neutral DIALOG resource";
        const BYTE *base = (const BYTE *)LockResource(LoadResource(module, found));
        ASSERT_TRUE(base);
        Reader r{base};
        ASSERT_NE(0xFFFF0001u, *(const DWORD *)base) << "DIALOG, not DIALOGEX";
        EXPECT_EQ(0x908008C4u, r.Dword());
        EXPECT_EQ(0x00000001u, r.Dword());
        WORD count = r.Word();
        EXPECT_EQ(0, (short)r.Word());
        EXPECT_EQ(0, (short)r.Word());
        EXPECT_EQ(t.cx, (short)r.Word());
        EXPECT_EQ(t.cy, (short)r.Word());
        EXPECT_EQ("", r.NameOrOrdinal()) << "menu";
        EXPECT_EQ("", r.NameOrOrdinal()) << "class";
        EXPECT_EQ("", r.NameOrOrdinal()) << "title";
        EXPECT_EQ(8, r.Word()) << "point size";
        EXPECT_EQ("MS Shell Dlg", r.NameOrOrdinal());
        ASSERT_EQ(t.items.size(), count);
        for (size_t i = 0; i < t.items.size(); i++) {
            const ItemSpec &want = t.items[i];
            SCOPED_TRACE("control " + std::to_string(i) + " \"" + want.text + "\"");
            r.AlignDword(base);
            EXPECT_EQ(want.style, r.Dword());
            EXPECT_EQ(0u, r.Dword()) << "no extended style";
            EXPECT_EQ(want.x, (short)r.Word());
            EXPECT_EQ(want.y, (short)r.Word());
            EXPECT_EQ(want.cx, (short)r.Word());
            EXPECT_EQ(want.cy, (short)r.Word());
            EXPECT_EQ(want.id, r.Word());
            // Class names compare without case, as the window manager looks them up.
            std::string className = r.NameOrOrdinal();
            EXPECT_EQ(0, lstrcmpiA(want.className, className.c_str()))
                << "class " << className << ", want " << want.className;
            EXPECT_EQ(want.text, r.NameOrOrdinal());
            r.at += r.Word();  // creation data
        }
    }
}

}  // namespace

// The program's icon is resource 1: the shell and the window class take it
// by that number.
// The title font's character set is the one the system names for its own
// code page, and the font mapper's choice for one it does not know.
TEST(TitleFont, CharsetOfEachAnsiCodePage)
{
    const unsigned codePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252,
                                  1253, 1254, 1255, 1256, 1257, 1258};
    for (unsigned codePage : codePages) {
        CHARSETINFO info;
        ASSERT_TRUE(TranslateCharsetInfo((DWORD *)(UINT_PTR)codePage, &info, TCI_SRCCODEPAGE))
            << codePage;
        EXPECT_EQ(info.ciCharset, CharsetOfCodePage(codePage)) << codePage;
    }
    EXPECT_EQ(DEFAULT_CHARSET, CharsetOfCodePage(437)) << "an OEM code page";
    EXPECT_EQ(DEFAULT_CHARSET, CharsetOfCodePage(65001)) << "UTF-8";
    EXPECT_EQ(DEFAULT_CHARSET, CharsetOfUnlistedCodePage);
}

TEST(Templates, IconIsResourceOne)
{
    EXPECT_TRUE(FindResourceA(GetModuleHandleA(0), MAKEINTRESOURCEA(1), (LPCSTR)RT_GROUP_ICON));
}
