#include "dde_client.h"

#include <dde.h>

#include "message_pump.h"
#include "program_state.h"

enum { WaitSliceMs = 50 };

// Whether the conversation under way reads the execute answer, and what it
// read; whether the execute request has gone to the partner, whose next
// answers then carry a packed parameter.
static bool AnswerWanted;
static DdeAnswer Answer;  // set at the start of each conversation
static bool ExecutePosted;

// The client's part of the platform's rules: an answer to the initiate
// carries two atoms, which the client deletes; the answer to the execute
// request carries the status and the command block packed, which the
// client unpacks and frees (the block itself it frees after the
// conversation).
void RecordDdeAck(HWND sender, LPARAM lParam)
{
    if (ExecutePosted && sender == Program.DdePartner) {
        UINT_PTR status = 0, handle = 0;
        if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &handle)) {
            if (AnswerWanted && Program.DdeWaiting)
                Answer = (status & DdeAckPositive) ? DdeDone : DdeRefused;
            FreeDDElParam(WM_DDE_ACK, lParam);
        }
    } else {
        if (LOWORD(lParam)) GlobalDeleteAtom(LOWORD(lParam));
        if (HIWORD(lParam)) GlobalDeleteAtom(HIWORD(lParam));
    }
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
    ExecutePosted = false;
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
        ExecutePosted = true;
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
