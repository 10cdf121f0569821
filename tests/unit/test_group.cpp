// Program groups: the command text and its log lines, built from a script,
// and the conversation held with fake servers in this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <dde.h>
#include <string.h>

#include <string>
#include <vector>

#include "engine/group.h"
#include "engine/script.h"
#include "engine/setup_state.h"
#include "support.h"
#include "win32/dde_client.h"
#include "win32/dialogs.h"

namespace {

struct Group : ScriptAndLogTest {
    std::string Build(const char *group, const char *dir)
    {
        std::vector<char> text(GroupCommandTextSize, 'M');
        BuildGroupCommandText(text.data(), text.size(), group, dir, log);
        return text.data();
    }
};

std::string Items(const std::vector<std::string> &items, int count)
{
    std::string script = "[WinGroup]\r\nNumberItem=" + std::to_string(count) + "\r\n";
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].empty())
            script += "item" + std::to_string(i + 1) + "=" + items[i] + "\r\n";
    return script;
}

TEST_F(Group, TextHoldsTheCommandsInOrderAndTheLogTheItems)
{
    UseScript(Items({"APP.EXE,My App", "DOC\\README.TXT,Read me"}, 2));
    EXPECT_EQ("[CreateGroup(\"Tools\")]\n"
              "[ShowGroup(\"Tools\",1)]\n"
              "[AddItem(C:\\LONGIN~1\\APP.EXE,\"My App\")]\n"
              "[AddItem(C:\\LONGIN~1\\DOC\\README.TXT,\"Read me\")]\n"
              "[ShowGroup(\"Tools\",6)]\n",
              Build("Tools", "C:\\LONGIN~1"));
    EXPECT_EQ("Icon Group: Tools\nIcon Name: My App\nIcon Cmd: C:\\LONGIN~1\\APP.EXE\n"
              "Icon Group: Tools\nIcon Name: Read me\nIcon Cmd: C:\\LONGIN~1\\DOC\\README.TXT\n",
              Log());
}

TEST_F(Group, CountsAndMalformedItems)
{
    struct Case {
        const char *What;
        std::string Script;
        const char *Group;
        const char *Text;
    } cases[] = {
        {"no items", Items({"A.EXE,A"}, 0), "G", "[ShowGroup(\"G\",6)]\n"},
        {"no section", "[Title]\r\nDlgTitle=x\r\n", "", "[ShowGroup(\"\",6)]\n"},
        {"negative count", Items({"A.EXE,A"}, -2), "G",
         "[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n[ShowGroup(\"G\",6)]\n"},
        {"quotes become apostrophes, commas stay", Items({"X.EXE,Na\"me, with, commas"}, 1),
         "A \"q\", b",
         "[CreateGroup(\"A 'q', b\")]\n[ShowGroup(\"A 'q', b\",1)]\n"
         "[AddItem(D:\\X.EXE,\"Na'me, with, commas\")]\n[ShowGroup(\"A 'q', b\",6)]\n"},
        {"a command file that could end the command", Items({"X).EXE,X", "Y.EXE,Y"}, 2), "G",
         "[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n[AddItem(D:\\Y.EXE,\"Y\")]\n"
         "[ShowGroup(\"G\",6)]\n"},
        {"two commas", Items({"a.exe,b,c"}, 1), "G",
         "[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n[AddItem(D:\\a.exe,\"b,c\")]\n"
         "[ShowGroup(\"G\",6)]\n"},
        {"no comma and missing", Items({"NOCOMMA.EXE", "", "B.EXE,B"}, 4), "G",
         "[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n[AddItem(D:\\B.EXE,\"B\")]\n"
         "[ShowGroup(\"G\",6)]\n"},
        {"percent signs", Items({"%s.EXE,%n%d"}, 1), "%s%%",
         "[CreateGroup(\"%s%%\")]\n[ShowGroup(\"%s%%\",1)]\n[AddItem(D:\\%s.EXE,\"%n%d\")]\n"
         "[ShowGroup(\"%s%%\",6)]\n"},
    };
    for (const Case &c : cases) {
        UseScript(c.Script);
        EXPECT_EQ(c.Text, Build(c.Group, "D:")) << c.What;
    }
    std::string text = Log();
    // The names as sent.
    EXPECT_EQ("Icon Group: A 'q', b\nIcon Name: Na'me, with, commas\nIcon Cmd: D:\\X.EXE\n"
              "Icon Group: G\nIcon Name: Y\nIcon Cmd: D:\\Y.EXE\n"
              "Icon Group: G\nIcon Name: b,c\nIcon Cmd: D:\\a.exe\n"
              "Icon Group: G\nIcon Name: B\nIcon Cmd: D:\\B.EXE\n"
              "Icon Group: %s%%\nIcon Name: %n%d\nIcon Cmd: D:\\%s.EXE\n",
              text);
}

TEST_F(Group, OverlongLinesAreLeftOutWholeAndGroupLinesFit)
{
    std::string dir = "C:\\" + std::string(200, 'D');
    std::string longItem = "LONG.EXE," + std::string(45, 'n');   // 15 + 203 + 8 + 45 > 255
    std::string fitting = "OK.EXE," + std::string(20, 'n');
    UseScript(Items({longItem, fitting}, 2));
    std::string text = Build("G", dir.c_str());
    EXPECT_EQ("[CreateGroup(\"G\")]\n[ShowGroup(\"G\",1)]\n[AddItem(" + dir + "\\OK.EXE,\"" +
                  std::string(20, 'n') + "\")]\n[ShowGroup(\"G\",6)]\n",
              text);
    EXPECT_EQ("Icon Group: G\nIcon Name: " + std::string(20, 'n') + "\nIcon Cmd: " + dir +
                  "\\OK.EXE\n",
              Log());

    // The longest group name the page allows: each line stays whole.
    std::string group(249, 'g');
    UseScript(Items({"A.EXE,A"}, 1));
    text = Build(group.c_str(), "C:");
    size_t start = 0, lines = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        ASSERT_NE(std::string::npos, end);
        std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size() + 1, 255u) << line;
        EXPECT_EQ(")]", line.substr(line.size() - 2)) << line;
        if (line.compare(0, 9, "[AddItem(") != 0) {
            EXPECT_NE(std::string::npos, line.find("(\"" + group.substr(0, 235) + "\"")) << line;
        }
        EXPECT_EQ('[', line[0]) << line;
        start = end + 1;
        ++lines;
    }
    EXPECT_EQ(4u, lines);
}

TEST_F(Group, TextStaysWithinTheBlockWithManyItems)
{
    std::vector<std::string> items;
    for (int i = 1; i <= 120; ++i)
        items.push_back("BIN\\PROGRAM" + std::to_string(i) + ".EXE,Item number " +
                        std::to_string(i) + std::string(60, '.'));
    UseScript(Items(items, 120));
    std::vector<char> block(GroupCommandTextSize + 16, 'M');
    BuildGroupCommandText(block.data(), GroupCommandTextSize, "Many", "C:\\PROGRA~1\\PRODUCT",
                          log);
    std::string text = block.data();
    EXPECT_LT(text.size(), (size_t)GroupCommandTextSize);
    EXPECT_GT(text.size(), (size_t)GroupCommandTextSize - 200);
    for (size_t i = GroupCommandTextSize; i < block.size(); ++i) EXPECT_EQ('M', block[i]) << i;
    const std::string last = "[ShowGroup(\"Many\",6)]\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(last, text.substr(text.size() - last.size()));

    // The items in the text are the first ones, each with its three log lines.
    size_t added = 0, at = 0;
    while ((at = text.find("[AddItem(", at)) != std::string::npos) {
        ++added;
        std::string expected = "[AddItem(C:\\PROGRA~1\\PRODUCT\\BIN\\PROGRAM" +
                               std::to_string(added) + ".EXE,";
        EXPECT_EQ(expected, text.substr(at, expected.size()));
        ++at;
    }
    EXPECT_GT(added, 50u);
    EXPECT_LT(added, 120u);
    std::string logText = Log();
    size_t cmds = 0;
    for (at = 0; (at = logText.find("Icon Cmd: ", at)) != std::string::npos; ++at) ++cmds;
    EXPECT_EQ(added, cmds);
}

// Fake servers in this process: they answer the initiate for Shell and
// AppProperties, record what they receive, and acknowledge an execute unless
// told to stay silent.
struct FakeServer {
    HWND Window = 0;
    bool Silent = false;
    UINT_PTR Status = DdeAckPositive;  // of the execute's acknowledgement
    std::vector<UINT> Messages;
    std::vector<HWND> Senders;
    std::string Received;
    LPARAM ExecuteParam = 0;
    LPARAM PackedAck = 0;  // the packed parameter of its answer to the execute request
};
std::vector<FakeServer *> Servers;
std::vector<HWND> Answered;  // servers in the order they answered the initiate
// The names of the atoms the servers answer the initiate with.
std::string AnswerApplication = "Shell", AnswerTopic = "AppProperties";

bool AtomIs(ATOM atom, const char *name)
{
    char text[64] = "";
    GlobalGetAtomNameA(atom, text, sizeof text);
    return lstrcmpiA(text, name) == 0;
}

LRESULT CALLBACK FakeServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FakeServer *server = 0;
    for (FakeServer *s : Servers)
        if (s->Window == window) server = s;
    if (!server || message < WM_DDE_FIRST || message > WM_DDE_LAST)
        return DefWindowProcA(window, message, wParam, lParam);
    server->Messages.push_back(message);
    server->Senders.push_back((HWND)wParam);
    switch (message) {
    case WM_DDE_INITIATE:
        if (AtomIs(LOWORD(lParam), "Shell") && AtomIs(HIWORD(lParam), "AppProperties")) {
            Answered.push_back(window);
            SendMessageA((HWND)wParam, WM_DDE_ACK, (WPARAM)window,
                         MAKELPARAM(GlobalAddAtomA(AnswerApplication.c_str()),
                                    GlobalAddAtomA(AnswerTopic.c_str())));
        }
        break;
    case WM_DDE_EXECUTE: {
        server->ExecuteParam = lParam;
        const char *text = (const char *)GlobalLock((HGLOBAL)lParam);
        if (text) server->Received = text;
        GlobalUnlock((HGLOBAL)lParam);
        if (!server->Silent) {
            server->PackedAck = PackDDElParam(WM_DDE_ACK, server->Status, (UINT_PTR)lParam);
            PostMessageA((HWND)wParam, WM_DDE_ACK, (WPARAM)window, server->PackedAck);
        }
        break;
    }
    }
    return 0;
}

double CpuSeconds()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return (double)(((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

struct Conversation : Group {
    FakeServer first, second;
    void SetUp() override
    {
        Group::SetUp();
        ::Setup.Instance = GetModuleHandleA(0);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = FakeServerProc;
        windowClass.hInstance = ::Setup.Instance;
        windowClass.lpszClassName = "FakeShellServer";
        RegisterClassA(&windowClass);
        std::string dir = root + "\\Long Install Directory Name";
        CreateDirectoryA(dir.c_str(), 0);
        strcpy(InstallPath, dir.c_str());
        strcpy(::Setup.EditText, "My Group");
        UseScript(Items({"APP.EXE,My App", "README.TXT,Read me"}, 2));
    }
    void Start(FakeServer &server)
    {
        server.Window = CreateWindowExA(0, "FakeShellServer", "", WS_OVERLAPPED, 0, 0, 0, 0, 0,
                                        0, ::Setup.Instance, 0);
        Servers.push_back(&server);
    }
    // What CreateProgramGroup posted last is still queued.
    void Deliver()
    {
        MSG message;
        while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    FakeServer &ByWindow(HWND window) { return window == first.Window ? first : second; }
    void TearDown() override
    {
        for (FakeServer *s : Servers) DestroyWindow(s->Window);
        Servers.clear();
        Answered.clear();
        Group::TearDown();
    }
    std::string ShortDir()
    {
        char dir[MAX_PATH];
        GetShortPathNameA(InstallPath, dir, sizeof dir);
        return dir;
    }
};

TEST_F(Conversation, ThePartnerGetsExecuteAndTerminateFromTheWaitDialog)
{
    Start(first);
    Start(second);
    ::Setup.InstallLog = log;
    DWORD start = GetTickCount();
    CreateProgramGroup();
    DWORD took = GetTickCount() - start;
    ::Setup.InstallLog = 0;
    Deliver();

    HWND dialog = ::Setup.CurrentDialog;
    ASSERT_TRUE(dialog != 0);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(ShortDir(), ::Setup.PageText);
    ASSERT_EQ(2u, Answered.size());
    EXPECT_EQ(Answered[0], ::Setup.DdePartner);
    FakeServer &partner = ByWindow(Answered[0]), &other = ByWindow(Answered[1]);
    EXPECT_EQ(0, ::Setup.DdeWaiting);
    EXPECT_LT(took, 5000u);

    std::vector<UINT> expected = {WM_DDE_INITIATE, WM_DDE_EXECUTE, WM_DDE_TERMINATE};
    EXPECT_EQ(expected, partner.Messages);
    for (HWND sender : partner.Senders) EXPECT_EQ(dialog, sender);
    std::string shortDir = ShortDir();
    EXPECT_EQ("[CreateGroup(\"My Group\")]\n[ShowGroup(\"My Group\",1)]\n"
              "[AddItem(" + shortDir + "\\APP.EXE,\"My App\")]\n"
              "[AddItem(" + shortDir + "\\README.TXT,\"Read me\")]\n"
              "[ShowGroup(\"My Group\",6)]\n",
              partner.Received);
    // The second answer came during the broadcast: nothing more for it.
    EXPECT_EQ(std::vector<UINT>{WM_DDE_INITIATE}, other.Messages);
    EXPECT_EQ("Icon Group: My Group\nIcon Name: My App\nIcon Cmd: " + shortDir +
                  "\\APP.EXE\nIcon Group: My Group\nIcon Name: Read me\nIcon Cmd: " + shortDir +
                  "\\README.TXT\n",
              Log());
}

TEST_F(Conversation, AServerThatNeverAcknowledgesCostsTheBoundedWait)
{
    first.Silent = true;
    Start(first);
    DWORD start = GetTickCount();
    double cpuBefore = CpuSeconds();
    CreateProgramGroup();
    DWORD took = GetTickCount() - start;
    // The wait sleeps between drains rather than spinning.
    EXPECT_LT(CpuSeconds() - cpuBefore, took / 1000.0 * 0.2);
    Deliver();
    EXPECT_EQ(first.Window, ::Setup.DdePartner);
    EXPECT_GE(took, (DWORD)DdeExecuteTimeoutMs - 100);
    EXPECT_LT(took, (DWORD)DdeExecuteTimeoutMs + 3000);
    std::vector<UINT> expected = {WM_DDE_INITIATE, WM_DDE_EXECUTE, WM_DDE_TERMINATE};
    EXPECT_EQ(expected, first.Messages);
}

// A conversation that asks for the answer (the uninstaller's) starts from no
// partner and reads the fAck bit of the partner's acknowledgement, whatever
// the server's own return code.
TEST_F(Conversation, AnAskedAnswerIsTheAcknowledgementsFlag)
{
    Start(first);
    struct {
        const char *name;
        UINT_PTR status;
        DdeAnswer expected;
    } cases[] = {
        {"done", DdeAckPositive, DdeDone},
        {"done with a return code", DdeAckPositive | 0x12, DdeDone},
        {"refused", 0, DdeRefused},
        {"refused with a return code", 0x12, DdeRefused},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        first.Status = c.status;
        first.Messages.clear();
        HWND dialog = CreateDialogParamA(::Setup.Instance, MAKEINTRESOURCEA(WaitDialogTemplate),
                                         0, DlgViewSetup, 0);
        ASSERT_TRUE(dialog != 0);
        ::Setup.DdePartner = dialog;  // a partner of an earlier run is forgotten
        ::Setup.DdeWaiting = 1;
        HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, 64);
        strcpy((char *)GlobalLock(commands), "[DeleteGroup(\"My Group\")]\n");
        GlobalUnlock(commands);
        DdeAnswer answer = DdeNoAnswer;
        HoldDdeConversation(dialog, commands, &answer);
        Deliver();
        EXPECT_EQ(c.expected, answer);
        EXPECT_EQ(first.Window, ::Setup.DdePartner);
        EXPECT_EQ(0, ::Setup.DdeWaiting);
        std::vector<UINT> expected = {WM_DDE_INITIATE, WM_DDE_EXECUTE, WM_DDE_TERMINATE};
        EXPECT_EQ(expected, first.Messages);
        EXPECT_EQ("[DeleteGroup(\"My Group\")]\n", first.Received);
        GlobalFree(commands);
        DestroyWindow(dialog);
    }
}

// The platform's DDE rules give the client the atoms of each answer to the
// initiate (two servers answer here) and the packed parameter of the answer
// to the execute request: none is left once the conversation is over, in
// the setup's conversation and in the uninstaller's.
TEST_F(Conversation, TheAnswersAtomsAndPackedParameterAreFreed)
{
    Start(first);
    Start(second);
    // Atoms of names of their own: the system's shell may hold "Shell".
    std::string id = std::to_string(GetCurrentProcessId());
    AnswerApplication = "Shell answered " + id;
    AnswerTopic = "AppProperties answered " + id;
    struct Restore {
        ~Restore() { AnswerApplication = "Shell", AnswerTopic = "AppProperties"; }
    } restore;
    ASSERT_EQ(0, GlobalFindAtomA(AnswerApplication.c_str()));
    ASSERT_EQ(0, GlobalFindAtomA(AnswerTopic.c_str()));
    for (bool uninstaller : {false, true}) {
        SCOPED_TRACE(uninstaller ? "uninstaller" : "setup");
        first.PackedAck = second.PackedAck = 0;
        Answered.clear();
        LPARAM packed = 0;
        if (!uninstaller) {
            CreateProgramGroup();
            packed = ByWindow(::Setup.DdePartner).PackedAck;
            ASSERT_NE(0, packed);
            // Still unused memory of this process: nothing has run since.
            EXPECT_EQ(0u, GlobalSize((HGLOBAL)packed)) << "the packed parameter is freed";
        } else {
            HWND dialog = CreateDialogParamA(::Setup.Instance, MAKEINTRESOURCEA(WaitDialogTemplate),
                                             0, DlgViewSetup, 0);
            HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, 64);
            strcpy((char *)GlobalLock(commands), "[ShowGroup(\"My Group\",0)]\n");
            GlobalUnlock(commands);
            DdeAnswer answer = DdeNoAnswer;
            HoldDdeConversation(dialog, commands, &answer);
            packed = ByWindow(::Setup.DdePartner).PackedAck;
            ASSERT_NE(0, packed);
            EXPECT_EQ(0u, GlobalSize((HGLOBAL)packed)) << "the packed parameter is freed";
            EXPECT_EQ(DdeDone, answer);
            GlobalFree(commands);
            DestroyWindow(dialog);
        }
        Deliver();
        EXPECT_EQ(2u, Answered.size());
        EXPECT_EQ(0, GlobalFindAtomA(AnswerApplication.c_str())) << "an application atom is left";
        EXPECT_EQ(0, GlobalFindAtomA(AnswerTopic.c_str())) << "a topic atom is left";
    }
}

}  // namespace
