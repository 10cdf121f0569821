// Program-group creation: the shell's DDE server, application "Shell" and
// topic "AppProperties", receives a text of bracketed commands.
#pragma once

#include <windows.h>
#include <stdio.h>

#include "core/group_text.h"

enum {
    WaitDialogTemplate = 6,
    DdeInitiateTimeoutMs = 10000,
    DdeBroadcastWindowTimeoutMs = 2000,  // per window: a hung one is passed over
    DdeExecuteTimeoutMs = 30000
};

// Builds the command text for group name and the [WinGroup] items of the
// script into dest (capacity bytes), writing the three "Icon" lines per item
// that fits. An item whose line does not fit is left out of text and log.
void BuildGroupCommandText(char *dest, size_t capacity, const char *groupName,
                           const char *shortInstallDir, FILE *log);

// One conversation with the shell through the status dialog (whose
// procedure records the answers in DdePartner and DdeWaiting): initiate,
// execute the command block, terminate, each wait bounded.
void HoldConversation(HWND dialog, HGLOBAL commands);

void CreateProgramGroup();
