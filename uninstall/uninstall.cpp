// The two ways of running: UNINST.EXE itself checks the log and starts its
// copy in the temporary directory; the copy (or UNINST.EXE, when no copy
// could run) asks, removes and reports.
#include "uninstall.h"

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "log_text.h"
#include "record_removal.h"
#include "removal.h"
#include "remover_paths.h"
#include "report.h"
#include "uninstall_text.h"
#include "engine/setup_state.h"
#include "core/text.h"
#include "engine/transfer.h"
#include "ui/background.h"
#include "ui/dialogs.h"
#include "ui/program_windows.h"

namespace {

INT_PTR CALLBACK ConfirmPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) SetDlgItemTextA(window, IdNext, ConfirmButtonText);
    return WelcomePageProc(window, message, wParam, lParam);
}

// The main flow: the log, the confirmation, the removal under the progress
// dialog and the report.
int Remove(HINSTANCE instance)
{
    // The install record decides where there is one; the log only for an
    // installation made before the record.
    RecordText installRecord;
    RecordLoad loaded = LoadRecord(&installRecord);
    if (loaded == RecordRefused) return 1;
    bool byRecord = loaded == RecordUsable;
    LogText log = {0, 0, 0, 0};
    if (!byRecord && !LoadIndexedLog(&log)) return 1;

    StartProgramWindows(instance);
    CreateBackgroundWindow();
    if (Setup.BackgroundWindow) SetWindowTextA(Setup.BackgroundWindow, UninstallCaption);

    int status = 1;
    FormatPageText(Setup.PageText, sizeof Setup.PageText,
                   byRecord ? ConfirmTextFormat : UncheckedConfirmTextFormat, Setup.ProductTitle);
    if (RunPage(WelcomePageTemplate, ConfirmPageProc) == PageGoOn) {
        FormatText(Setup.EditText, sizeof Setup.EditText, "Removing %s...", Setup.ProductTitle);
        OpenProgressDialog(byRecord ? installRecord.Count + 1 : (unsigned long)log.Count + 1);
        if (Setup.ProgressBar) SendMessageA(Setup.ProgressBar, PBM_SETSTEP, 1, 0);
        if (byRecord)
            RemoveByRecord(&installRecord);
        else
            RemoveAll(&log);
        CloseCurrentDialog();
        ShowReport();
        status = 0;
    }
    CloseProgramWindows();
    free(log.Starts);
    free(log.Text);
    FreeRecord(&installRecord);
    return status;
}

// Copies this program into the temporary directory and starts the copy as
// the remover. False when that cannot be done.
bool StartRemover()
{
    char copy[MAX_PATH], commandLine[3 * MAX_PATH];
    if (!FormatText(copy, sizeof copy, "%s\\~uninst%lu.exe", TempDir, GetCurrentProcessId()) ||
        !CopyFileA(SelfPath, copy, FALSE))
        return false;
    HANDLE self = 0;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE, TRUE, 0)) {
        DeleteFileA(copy);
        return false;
    }
    FormatText(commandLine, sizeof commandLine, "\"%s\" /remove %llu \"%s\"", copy,
               (unsigned long long)(UINT_PTR)self, OriginalPath);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // The temporary directory as its current one, so that nothing holds the
    // install directory.
    bool started = CreateProcessA(copy, commandLine, 0, 0, TRUE, 0, 0, TempDir, &startup,
                                  &process) != 0;
    CloseHandle(self);
    if (!started) {
        DeleteFileA(copy);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

int RunUninstall(HINSTANCE instance, const char *commandLine)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(0, module, sizeof module);
    if (length == 0 || length >= sizeof module) return 1;
    LongForm(module, SelfPath, sizeof SelfPath);
    FindDirectories();
    unsigned long long handle = 0;
    char original[MAX_PATH];
    char longTemp[MAX_PATH];
    LongForm(TempDir, longTemp, sizeof longTemp);
    // Only the copy in the temporary directory is the remover: UNINST.EXE
    // itself never waits for, or closes, a handle that a command line names.
    if (PathIsInside(SelfPath, longTemp) &&
        ParseRemoverCommandLine(commandLine, &handle, original, sizeof original)) {
        // The remover: wait for UNINST.EXE to end, then do the work, and have
        // this copy deleted when the system next starts.
        HANDLE process = (HANDLE)(UINT_PTR)handle;
        WaitForSingleObject(process, RemoverWaitMs);
        CloseHandle(process);
        UseOriginal(original);
        SetCurrentDirectoryA(TempDir);
        int status = Remove(instance);
        if (!SamePath(SelfPath, OriginalPath)) MoveFileExA(SelfPath, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
        return status;
    }
    UseOriginal(SelfPath);
    if (!CheckInstallation()) return 1;
    if (StartRemover()) return 0;
    // No copy could run: remove in place; this program's file stays.
    SetCurrentDirectoryA(TempDir);
    return Remove(instance);
}
