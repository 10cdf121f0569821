#include "group.h"

#include <dde.h>
#include <string.h>

#include "install_log.h"
#include "registry.h"
#include "script.h"
#include "setup_state.h"
#include "text.h"
#include "../ui/dialogs.h"

#define CreateGroupFormat "[CreateGroup(\"%s\")]\n"
#define ShowGroupOpenFormat "[ShowGroup(\"%s\",1)]\n"
#define AddItemFormat "[AddItem(%s\\%s,\"%s\")]\n"
#define ShowGroupLastFormat "[ShowGroup(\"%s\",6)]\n"

enum {
    // The longest group command, "[ShowGroup(\"\",1)]\n", has 20 characters
    // around the name; a longer name is cut so that every group line fits.
    GroupNameFit = GroupCommandLineSize - 1 - 20,
    WaitSliceMs = 50
};

void BuildGroupCommandText(char *dest, size_t capacity, const char *groupName,
                           const char *shortInstallDir, FILE *log)
{
    if (capacity == 0) return;
    dest[0] = 0;
    char name[GroupNameFit + 1];
    CopyText(name, sizeof name, groupName);

    char line[GroupCommandLineSize], last[GroupCommandLineSize];
    FormatText(last, sizeof last, ShowGroupLastFormat, name);
    size_t used = 0;
    int count = ReadScriptKey(KeyNumberItem);
    if (count != 0) {
        FormatText(line, sizeof line, CreateGroupFormat, name);
        AppendText(dest, capacity, line);
        FormatText(line, sizeof line, ShowGroupOpenFormat, name);
        AppendText(dest, capacity, line);
        used = strnlen(dest, capacity);
    }
    size_t reserved = strlen(last);
    for (int n = 1; n <= count; ++n) {
        char text[ItemLimit];
        ReadNumberedKey(KeyItem, n, text);
        ItemEntry item;
        if (!ParseItem(text, &item)) continue;
        // An item whose line does not fit, or that would leave no room for
        // the closing command, is left out of text and log alike.
        if (!FormatText(line, sizeof line, AddItemFormat, shortInstallDir, item.CommandFile,
                        item.Name))
            continue;
        size_t length = strlen(line);
        if (used + length + reserved >= capacity) continue;
        memcpy(dest + used, line, length + 1);
        used += length;
        LogLine(log, "Icon Group: %s\n", name);
        LogLine(log, "Icon Name: %s\n", item.Name);
        LogLine(log, "Icon Cmd: %s\\%s\n", shortInstallDir, item.CommandFile);
    }
    AppendText(dest, capacity, last);
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

static void HoldConversation(HWND dialog, HGLOBAL commands)
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
