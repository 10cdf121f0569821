// SETUP.EXE's program-wide state, shared by the driver, the phases and the
// window and dialog procedures. One instance, static lifetime, all fields
// zero at start except DdeWaiting. The fields the shared windows and the
// pages read come from the records it derives from (ProgramState,
// PageState); the rest are the driver's.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <time.h>

#include "core/entries.h"
#include "ui/page_state.h"
#include "win32/registry_read.h"
#include "win32/system_dirs.h"

enum {
    ScriptPathSize = 256,
    PathBufferSize = 256    // joined paths of the phases
};

struct SetupState : PageState {
    FILE *InstallLog{};
    char ScriptPath[ScriptPathSize]{};
    time_t StartCalendarTime{};
    struct tm StartTime{};
};

extern SetupState Setup;

// Paths the driver alone holds, without a trailing backslash. WindowsDir,
// SystemDir and TempDir are the shared system directories (system_dirs.h).
extern char SourceDir[DirSize];
extern char InstallPath[InstallPathSize];

// Counts read at start-up from [Title] NumberDisk and [SubDir] NumberDirs.
extern int DiskCount;
extern int SubDirCount;

// Puts every field back to its initial value (used by tests between cases).
void ResetSetupState();
