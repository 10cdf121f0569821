#include "dde_client.h"

#include <dde.h>

#include "message_pump.h"
#include "program_state.h"

enum { WaitSliceMs = 50 };

// Whether the conversation under way reads the execute answer, and what it
// read.
static bool AnswerWanted;
static DdeAnswer Answer;  // set at the start of each conversation

static void ReadAnswer(HWND sender, LPARAM lParam)
{
    if (Program.DdePartner && Program.DdeWaiting && sender == Program.DdePartner) {
        UINT_PTR status = 0, handle = 0;
        if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &handle)) {
            Answer = (status & DdeAckPositive) ? DdeDone : DdeRefused;
            FreeDDElParam(WM_DDE_ACK, lParam);
        }
    } else if (!Program.DdeWaiting) {
        // An answer to the initiate: its atoms are the client's to delete.
        if (LOWORD(lParam)) GlobalDeleteAtom(LOWORD(lParam));
        if (HIWORD(lParam)) GlobalDeleteAtom(HIWORD(lParam));
    }
}

void RecordDdeAck(HWND sender, LPARAM lParam)
{
    if (AnswerWanted) ReadAnswer(sender, lParam);
    if (!Program.DdePartner)
        Program.DdePartner = sender;
    else
        Program.DdeWaiting = 0;
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

static void Converse(HWND dialog, HGLOBAL commands)
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
    while (!Program.DdePartner) {
        PumpMessages(dialog);
        if (Program.DdePartner || !WaitForInput(start, DdeInitiateTimeoutMs)) break;
    }
    // No partner within the bound: no one to talk to or to terminate.
    if (Program.DdePartner) {
        PostMessageA(Program.DdePartner, WM_DDE_EXECUTE, (WPARAM)dialog, (LPARAM)commands);
        Program.DdeWaiting = 1;
        start = GetTickCount();
        while (Program.DdeWaiting) {
            PumpMessages(dialog);
            // A partner that has gone (a server killed mid-conversation)
            // will not answer: no need to wait out the bound.
            if (!Program.DdeWaiting || !IsWindow(Program.DdePartner) ||
                !WaitForInput(start, DdeExecuteTimeoutMs))
                break;
        }
        PostMessageA(Program.DdePartner, WM_DDE_TERMINATE, (WPARAM)dialog, 0);
    }
    GlobalDeleteAtom(topic);
    GlobalDeleteAtom(application);
}

void HoldDdeConversation(HWND dialog, HGLOBAL commands, DdeAnswer *answer)
{
    // The mode stays after the conversation, so that a late answer to the
    // initiate still has its atoms deleted.
    AnswerWanted = answer != 0;
    Answer = DdeNoAnswer;
    if (answer) {
        Program.DdePartner = 0;
        Program.DdeWaiting = 0;  // set again once the execute request is posted
    }
    Converse(dialog, commands);
    if (answer) {
        Program.DdeWaiting = 0;
        *answer = Answer;
    }
}
