#include "group.h"

#include <dde.h>
#include <string.h>

#include "install_log.h"
#include "core/log_format.h"
#include "registry.h"
#include "script.h"
#include "setup_state.h"
#include "core/text.h"
#include "../ui/dialogs.h"

enum { WaitSliceMs = 50 };

struct GroupTextContext {
    FILE *Log;
    const char *ShortInstallDir;
};

static void ReadItemFromScript(void *, int n, char *text)
{
    ReadNumberedKey(KeyItem, n, text);
}

// The three "Icon" lines of an item that made it into the text.
static void LogItem(void *context, const char *groupName, const ItemEntry &item)
{
    const GroupTextContext *group = (const GroupTextContext *)context;
    LogLine(group->Log, LogIconGroupFormat, groupName);
    LogLine(group->Log, LogIconNameFormat, item.Name);
    LogLine(group->Log, LogIconCmdFormat, group->ShortInstallDir, item.CommandFile);
}

void BuildGroupCommandText(char *dest, size_t capacity, const char *groupName,
                           const char *shortInstallDir, FILE *log)
{
    GroupTextContext context = {log, shortInstallDir};
    BuildGroupText(dest, capacity, groupName, shortInstallDir, ReadScriptKey(KeyNumberItem),
                   ReadItemFromScript, LogItem, &context);
}

// Sleeps until input arrives or a short slice passes; false once timeoutMs
// have gone by since start.
static bool WaitForInput(DWORD start, DWORD timeoutMs)
{
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    DWORD slice = timeoutMs - elapsed < (DWORD)WaitSliceMs ? timeoutMs - elapsed : (DWORD)WaitSliceMs;
    MsgWaitForMultipleObjects(0, 0, FALSE, slice, QS_ALLINPUT);
    return true;
}

void HoldConversation(HWND dialog, HGLOBAL commands)
{
    ATOM application = GlobalAddAtomA("Shell");
    ATOM topic = GlobalAddAtomA("AppProperties");
    // The server's answer to the broadcast reaches DlgViewSetup, which
    // records the first one as DdePartner. The handle with all bits set is a
    // broadcast, as HWND_BROADCAST is. A window that does not answer in
    // time, or is hung, is passed over, so no other program can hold the run.
    DWORD_PTR answer;
    SendMessageTimeoutA((HWND)-1, WM_DDE_INITIATE, (WPARAM)dialog,
                        MAKELPARAM(application, topic), SMTO_ABORTIFHUNG,
                        DdeBroadcastWindowTimeoutMs, &answer);
    DWORD start = GetTickCount();
    while (!Setup.DdePartner) {
        PumpMessages(dialog);
        if (Setup.DdePartner || !WaitForInput(start, DdeInitiateTimeoutMs)) break;
    }
    // No partner within the bound: no one to talk to or to terminate.
    if (Setup.DdePartner) {
        PostMessageA(Setup.DdePartner, WM_DDE_EXECUTE, (WPARAM)dialog, (LPARAM)commands);
        Setup.DdeWaiting = 1;
        start = GetTickCount();
        while (Setup.DdeWaiting) {
            PumpMessages(dialog);
            // A partner that has gone (a server killed mid-conversation)
            // will not answer: no need to wait out the bound.
            if (!Setup.DdeWaiting || !IsWindow(Setup.DdePartner) ||
                !WaitForInput(start, DdeExecuteTimeoutMs))
                break;
        }
        PostMessageA(Setup.DdePartner, WM_DDE_TERMINATE, (WPARAM)dialog, 0);
    }
    GlobalDeleteAtom(topic);
    GlobalDeleteAtom(application);
}

void CreateProgramGroup()
{
    ShortInstallDir(Setup.PageText, sizeof Setup.PageText, InstallPath);
    Setup.CurrentDialog = CreateDialogParamA(Setup.Instance, MAKEINTRESOURCEA(WaitDialogTemplate),
                                             Setup.BackgroundWindow, DlgViewSetup, 0);
    Setup.DdePartner = 0;
    HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, GroupCommandTextSize);
    if (!commands) return;
    char *text = (char *)GlobalLock(commands);
    if (text) {
        BuildGroupCommandText(text, GroupCommandTextSize, Setup.EditText, Setup.PageText,
                              Setup.InstallLog);
        GlobalUnlock(commands);
        // Without the wait dialog no answer could be received.
        if (Setup.CurrentDialog) HoldConversation(Setup.CurrentDialog, commands);
    }
    GlobalFree(commands);
}
