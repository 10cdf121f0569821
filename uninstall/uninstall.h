// UNINST.EXE: takes away what install.log, beside it, says the setup
// installed, and nothing else.
//
// Started as itself it checks the log, copies itself into the temporary
// directory and starts that copy as the remover ("/remove <handle> <path>"),
// then ends: a running program cannot delete its own file, and the remover
// waits for this process to end before it touches anything.
#pragma once

#include <windows.h>

#define UninstallCaption "Uninstall"
#define UninstallLogName "uninstall.log"
#define ConfirmTextFormat                                                                  \
    "Remove %s?\n\nThe uninstaller takes away the files, directories, registry values, " \
    "win.ini entries and program group that the setup installed. Files added and "      \
    "settings changed since then stay."
#define ConfirmButtonText "Remove"
#define WininitFileName "WININIT.INI"
#define NoLogText "There is no installation log (install.log) beside the uninstaller, so nothing was removed."
#define NotLogText "The file install.log beside the uninstaller is no installation log, so nothing was removed."

enum {
    RemoverWaitMs = 30000,   // for the original UNINST.EXE to end
    LogSizeLimit = 4 << 20,  // a longer install.log is refused
    ReportSize = 32768,      // each part of the report
    MessageTextLimit = 1500, // what the final message box shows of it (fits a 768-line screen)
    MaxIcons = 512,          // group items taken away in one conversation
    WininitSizeLimit = 1 << 20  // a longer WININIT.INI is left alone
};

// Exit status: 0 removed (or the remover started), 1 nothing removed.
int RunUninstall(HINSTANCE instance, const char *commandLine);
