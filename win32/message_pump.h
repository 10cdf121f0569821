// The drain of the message queue that the long phases run between units of
// work, so that the status dialogs and the background window respond.
#pragma once

#include <windows.h>

// Drains the queue through dialog; does nothing when dialog is null.
void PumpMessages(HWND dialog);
