// The client side of one DDE conversation with the shell's server
// (application "Shell", topic "AppProperties"), held through a status dialog
// whose procedure, DlgViewSetup, passes every acknowledgement to
// RecordDdeAck. The state is SetupState's DdePartner and DdeWaiting.
#pragma once

#include <windows.h>

enum {
    DdeInitiateTimeoutMs = 10000,
    DdeBroadcastWindowTimeoutMs = 2000,  // per window: a hung one is passed over
    DdeExecuteTimeoutMs = 30000,
    DdeAckPositive = 0x8000  // DDEACK's fAck bit: the server carried the request out
};

// The server's answer to the execute request.
enum DdeAnswer { DdeNoAnswer = -1, DdeRefused = 0, DdeDone = 1 };

// An acknowledgement that reached the dialog: while DdePartner is none it
// names the partner, any later one (from whichever window) clears
// DdeWaiting. The atoms of an answer to the initiate and the packed
// parameter of the partner's answer to the execute request are freed; when
// the conversation asked for the answer, that answer's fAck bit is read.
void RecordDdeAck(HWND sender, LPARAM lParam);

// One conversation through dialog: initiate, execute the command block, wait
// for the acknowledgement, terminate, each wait bounded. The caller clears
// DdePartner beforehand. With answer given, DdePartner and DdeWaiting start
// cleared and *answer receives what the server said (DdeNoAnswer also when
// no server answered the initiate: DdePartner then stays none).
void HoldDdeConversation(HWND dialog, HGLOBAL commands, DdeAnswer *answer = 0);
