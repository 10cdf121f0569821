// The two ways of running: UNINST.EXE itself checks the log and starts its
// copy in the temporary directory; the copy (or UNINST.EXE, when no copy
// could run) asks, removes and reports.
#include "uninstall.h"

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "in_use.h"
#include "log_text.h"
#include "record_removal.h"
#include "removal.h"
#include "remover_paths.h"
#include "report.h"
#include "core/record_name.h"
#include "core/uninstall_text.h"
#include "core/wininit_text.h"
#include "win32/platform.h"
#include "win32/program_state.h"
#include "win32/system_dirs.h"
#include "core/text.h"
#include "win32/background.h"
#include "win32/dialogs.h"
#include "win32/program_windows.h"
#include "win32/whole_file.h"

// UNINST.EXE's record: the shared windows' fields are all it holds.
static ProgramState UninstallState;
ProgramState &Program = UninstallState;

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
    if (Program.BackgroundWindow) SetWindowTextA(Program.BackgroundWindow, UninstallCaption);

    int status = 1;
    FormatPageText(Program.PageText, sizeof Program.PageText,
                   byRecord ? ConfirmTextFormat : UncheckedConfirmTextFormat, Program.ProductTitle);
    if (RunPage(WelcomePageTemplate, ConfirmPageProc) == PageGoOn) {
        FormatText(Program.EditText, sizeof Program.EditText, "Removing %s...", Program.ProductTitle);
        OpenProgressDialog(byRecord ? installRecord.Count + 1 : (unsigned long)log.Count + 1);
        if (Program.ProgressBar) SendMessageA(Program.ProgressBar, PBM_SETSTEP, 1, 0);
        if (byRecord)
            RemoveByRecord(&installRecord);
        else
            RemoveAll(&log);
        CloseCurrentDialog();
        ShowReport();
        status = 0;
    }
    CloseProgramWindows();
    DeleteTitleFont();
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
    FormatText(commandLine, sizeof commandLine, "\"%s\" %s /remove %I64u \"%s\"", copy,
               RecordName, (unsigned long long)(UINT_PTR)self, OriginalPath);
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

// Adds the deletion of path (in its short form, which the system's start-up
// reads) to WININIT.INI in the Windows directory, keeping what is there.
static bool AddToWininit(const char *path)
{
    char shortPath[MAX_PATH], wininit[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath ||
        !JoinPath(wininit, sizeof wininit, WindowsDir, WininitFileName))
        return false;
    size_t size = 0;
    char *text = ReadWholeFile(wininit, WininitSizeLimit, &size);
    // No WININIT.INI yet is an empty one; one that cannot be read stays as it is.
    if (!text && (GetFileAttributesA(wininit) != INVALID_FILE_ATTRIBUTES ||
                  GetLastError() != ERROR_FILE_NOT_FOUND))
        return false;
    size_t capacity = size + WininitDeletionGrowth(shortPath) + 1;
    char *edited = (char *)malloc(capacity);
    size_t editedSize =
        edited ? AddWininitDeletion(text ? text : "", size, shortPath, edited, capacity) : 0;
    bool ok = false;
    if (editedSize > 0) {
        HANDLE file =
            CreateFileA(wininit, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        DWORD written = 0;
        ok = file != INVALID_HANDLE_VALUE &&
             WriteFile(file, edited, (DWORD)editedSize, &written, 0) && written == editedSize;
        if (file != INVALID_HANDLE_VALUE) ok = CloseHandle(file) && ok;
    }
    free(text);
    free(edited);
    return ok;
}

// Has the file deleted when the system next starts: the 95 family through
// WININIT.INI (it has no MoveFileExA), the NT family through MoveFileExA.
bool RemoveAtNextStart(const char *path)
{
    if (IsWindows95Family()) return AddToWininit(path);
    return MoveFileExA(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

int RunUninstall(HINSTANCE instance, const char *commandLine)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(0, module, sizeof module);
    if (length == 0 || length >= sizeof module) return 1;
    LongForm(module, SelfPath, sizeof SelfPath);
    FindDirectories();
    // The record to go by may be named first (the product's UninstallString).
    commandLine = TakeRecordArgument(commandLine, RecordName, RecordNameSize);
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
        if (!SamePath(SelfPath, OriginalPath)) RemoveAtNextStart(SelfPath);
        return status;
    }
    UseOriginal(SelfPath);
    if (!CheckInstallation()) return 1;
    if (StartRemover()) return 0;
    // No copy could run: remove in place; this program's file stays.
    SetCurrentDirectoryA(TempDir);
    return Remove(instance);
}
