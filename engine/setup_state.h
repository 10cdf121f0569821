// The program-wide state shared by the driver, the phases and the window and
// dialog procedures. One instance, static lifetime, all fields zero at start
// except DdeWaiting.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <time.h>

#include "core/entries.h"

// What the driver learns from a page or a status dialog.
enum PageResultValue {
    PageGoOn = 0,       // Next accepted; reset before each drain during the copy
    PageCancelled = 1,  // Cancel/Esc on a page, or Enter in a status dialog
    PageAbort = 2       // Esc in a status dialog
};

// Capacities of the shared buffers, terminator included.
enum {
    ProductTitleSize = 101,
    EditTextSize = 260,
    PageTextSize = 256,
    ScriptPathSize = 256,
    DirSize = 150,          // SourceDir, TempDir, WindowsDir, SystemDir
    InstallPathSize = 256,
    PathBufferSize = 256    // joined paths of the phases
};

struct SetupState {
    // Shared with the window and dialog procedures.
    DLGPROC PageHandler;
    LONG PageResult;
    LONG DialogShown;
    LONG DdeWaiting;
    HWND CurrentDialog;
    HWND DdePartner;
    HWND ProgressBar;
    FILE *InstallLog;
    // Set when the background window was asked to close: the run then ends
    // through the cleanup as after a Cancel, at the next page or entry.
    LONG CloseRequested;

    // The process and the script settings.
    HINSTANCE Instance;
    char ProductTitle[ProductTitleSize];
    char EditText[EditTextSize];
    char PageText[PageTextSize];
    char ScriptPath[ScriptPathSize];
    HWND BackgroundWindow;
    HFONT TitleFont;
    LONG AvailableKb;
    LONG SizeInst;
    time_t StartCalendarTime;
    struct tm StartTime;
};

extern SetupState Setup;

// Paths the driver alone holds, without a trailing backslash.
extern char SourceDir[DirSize];
extern char TempDir[DirSize];
extern char WindowsDir[DirSize];
extern char SystemDir[DirSize];
extern char InstallPath[InstallPathSize];

// Counts read at start-up from [Title] NumberDisk and [SubDir] NumberDirs.
extern int DiskCount;
extern int SubDirCount;

// The four predefined roots, indexed by a registry entry's root digit.
extern const HKEY RegistryRoot[RegistryRootCount];

// Puts every field back to its initial value (used by tests between cases).
void ResetSetupState();
