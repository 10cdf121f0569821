// What the windows and dialogs that SETUP.EXE and UNINST.EXE both show share
// with the program that runs them: the page slot and result, the current
// dialog and its bar, the DDE partner, the product title and the texts the
// dialogs show. All zero at start except DdeWaiting. Each program keeps one record of static lifetime that
// derives from this one and binds Program to it.
#pragma once

#include <windows.h>

// What the program learns from a page or a status dialog.
enum PageResultValue {
    PageGoOn = 0,       // Next accepted; reset before each drain during the copy
    PageCancelled = 1,  // Cancel/Esc on a page, or Enter in a status dialog
    PageAbort = 2       // Esc in a status dialog
};

// Capacities of the shared buffers, terminator included.
enum {
    ProductTitleSize = 101,
    EditTextSize = 260,
    PageTextSize = 256
};

struct ProgramState {
    // Shared with the window and dialog procedures.
    DLGPROC PageHandler{};
    LONG PageResult{};
    LONG DialogShown{};
    // 1 while no conversation is under way; StartProgramWindows sets it, so
    // that the record starts all zero and takes no room in the program file.
    LONG DdeWaiting{};
    HWND CurrentDialog{};
    HWND DdePartner{};
    HWND ProgressBar{};
    // Set when the background window was asked to close: the run then ends
    // through the cleanup as after a Cancel, at the next page or entry.
    LONG CloseRequested{};

    HINSTANCE Instance{};
    char ProductTitle[ProductTitleSize]{};
    char EditText[EditTextSize]{};
    char PageText[PageTextSize]{};
    HWND BackgroundWindow{};
    HFONT TitleFont{};
};

// The running program's record, defined by each program.
extern ProgramState &Program;
