// WinMain: the bootstrap, the fixed sequence of pages and phases, and the one
// cleanup path that every way out of the sequence takes.
#include "driver.h"

#include <windows.h>
#include <string.h>

#include "win32/ctl3d.h"
#include "fileops.h"
#include "group.h"
#include "install_log.h"
#include "core/paths.h"
#include "registry.h"
#include "run_record.h"
#include "script.h"
#include "setup_state.h"
#include "win32/system_dirs.h"
#include "core/text.h"
#include "transfer.h"
#include "win32/background.h"
#include "win32/dialogs.h"
#include "ui/page_texts.h"
#include "ui/directory_page.h"
#include "ui/group_page.h"
#include "win32/program_windows.h"

enum { GroupPauseMs = 2000 };

#define SetupCaption "Setup"
// The temporary script and log have fixed names, so two runs would share them.
#define SingleInstanceMutex "Setup_KEL_window.running"
#define AlreadyRunningText "Setup is already running. Finish it before you start Setup again."
#define SourceTooLongText "Setup cannot run from this folder because its path is too long.\n\n" \
    "Copy the setup files into a folder with a shorter path and start Setup there."
#define TempTooLongText "The folder for temporary files has too long a path.\n\n" \
    "Set TEMP to a shorter path and start Setup again."

static void Refuse(const char *text)
{
    MessageBoxA(0, text, SetupCaption, MB_OK | MB_ICONHAND);
}

// Bootstrap steps 5 to 12: directories, the script, the 3D controls, the
// [Title] settings and the background window. False, after a message and
// before anything is written, when the program's own directory or the
// temporary directory does not fit its buffer: a cut path would find no
// script and no disks.
static bool Bootstrap()
{
    char compressedScript[PathBufferSize], module[MAX_PATH];
    DWORD moduleLength = GetModuleFileNameA(Setup.Instance, module, sizeof module);
    if (moduleLength == 0 || moduleLength >= sizeof module) {
        Refuse(SourceTooLongText);
        return false;
    }
    DeriveSourceDir(module);
    if (!CopyText(SourceDir, sizeof SourceDir, module)) {
        Refuse(SourceTooLongText);
        return false;
    }
    FormatText(compressedScript, sizeof compressedScript, "%s\\setup.in_", SourceDir);

    if (!FindSystemDirectories()) {
        Refuse(TempTooLongText);
        return false;
    }

    if (JoinPath(Setup.ScriptPath, sizeof Setup.ScriptPath, TempDir, "setup.inf")) {
        // A missing setup.in_ expands nothing; a script left behind by an
        // earlier run that did not end must not stand in for it.
        DeleteFileAt(Setup.ScriptPath);
        ExpandFile(compressedScript, Setup.ScriptPath);
    }

    char packedLibrary[PathBufferSize], library[PathBufferSize] = "";
    if (JoinPath(packedLibrary, sizeof packedLibrary, SourceDir, "ctl3d32.dl_") &&
        JoinPath(library, sizeof library, SystemDir, "ctl3d32.dll") &&
        !FileIsPresent(library) && FileIsPresent(packedLibrary))
        ExpandFile(packedLibrary, library);
    BindCtl3d(library);
    CallCtl3dRegister(Setup.Instance);
    CallCtl3dAutoSubclass(Setup.Instance);
    CallCtl3dEnabled();

    ReadScriptKey(KeyInstalDir, Setup.EditText);
    ReadScriptKey(KeyDlgTitle, Setup.ProductTitle);
    Setup.SizeInst = ReadScriptKey(KeySizeInst);
    DiskCount = ReadScriptKey(KeyNumberDisk);
    SubDirCount = ReadScriptKey(KeyNumberDirs);

    CreateBackgroundWindow();
    return true;
}

// The pages and phases; returns when the run goes to the cleanup.
static void RunSequence()
{
    FormatPageText(Setup.PageText, sizeof Setup.PageText, WelcomeTextFormat, Setup.ProductTitle);
    if (RunPage(WelcomePageTemplate, WelcomePageProc) != PageGoOn) return;

    FormatPageText(Setup.PageText, sizeof Setup.PageText, DirectoryTextFormat, Setup.ProductTitle);
    if (RunPage(DirectoryPageTemplate, DirectoryPageProc) != PageGoOn) return;
    CopyText(InstallPath, sizeof InstallPath, Setup.EditText);

    Setup.InstallLog = OpenInstallLog(TempDir, &Setup.StartTime, Setup.ProductTitle, SourceDir);
    OpenRunRecord(TempDir, Setup.ProductTitle);
    unsigned long failure = 0;
    if (!CreateInstallDirectories(&failure)) {
        char text[PathBufferSize + DirectoryReasonSize + 40];
        FormatDirectoryErrorText(text, sizeof text, InstallPath, failure);
        MessageBoxA(Setup.BackgroundWindow, text, SetupCaption, MB_OK | MB_ICONHAND);
        return;
    }
    if (TransferFiles() != TransferCompleted) return;
    WriteRegistryEntries();
    WriteWinIniEntries();
    CloseCurrentDialog();

    ReadScriptKey(KeyGroupTitle, Setup.EditText);
    FormatPageText(Setup.PageText, sizeof Setup.PageText, GroupTextFormat, Setup.ProductTitle);
    if (RunPage(GroupPageTemplate, GroupPageProc) != PageGoOn) return;
    CreateProgramGroup();
    Sleep(GroupPauseMs);
}

static void Cleanup()
{
    if (Setup.ScriptPath[0]) DeleteFileAt(Setup.ScriptPath);
    CloseInstallLog(Setup.InstallLog, TempDir, InstallPath);
    Setup.InstallLog = 0;
    CloseRunRecord(TempDir, InstallPath);
    SetCurrentDirectoryA(SourceDir);
    CloseProgramWindows();
    CallCtl3dUnregister(Setup.Instance);
    DeleteTitleFont();
}

int RunSetup(void *instance)
{
    Setup.Instance = (HINSTANCE)instance;
    // Before anything else, so a second copy touches nothing. The handle is
    // held to the end of the process.
    HANDLE running = CreateMutexA(0, FALSE, SingleInstanceMutex);
    if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(running);
        Refuse(AlreadyRunningText);
        return 1;
    }
    Setup.StartCalendarTime = time(0);
    struct tm *local = localtime(&Setup.StartCalendarTime);
    if (local) Setup.StartTime = *local;
    StartProgramWindows(Setup.Instance);
    if (Bootstrap()) RunSequence();
    Cleanup();
    return 1;
}
