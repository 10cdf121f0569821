// WEBSTUB.EXE: the front of a product downloaded as one program. It checks
// the product appended to it, unpacks it into a new folder in the temporary
// directory, runs SETUP.EXE from there, waits, removes the folder and
// exits with SETUP.EXE's status. A damaged download runs nothing.
#include <windows.h>

#include "payload.h"
#include "unpack_folder.h"

namespace {

// Exit statuses of the stub's own failures; SETUP.EXE's status otherwise.
enum { ExitDamaged = 2, ExitUnpackFailed = 3, ExitSetupNotStarted = 4 };

const char Caption[] = "Setup";
const char DamagedText[] = "This download is damaged or incomplete. Please download it again.";
const char NoFolderText[] = "Setup could not make a folder in the temporary directory.";
const char UnpackFailedText[] =
    "Setup could not unpack its files into %s. There may not be enough free disk space.";
const char NotStartedText[] = "Setup could not start %s (error %lu).";

void Tell(const char *text)
{
    MessageBoxA(0, text, Caption, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

// Runs folder\SETUP.EXE in folder and waits for it; false when it did not start.
bool RunSetup(const char *folder, DWORD *status)
{
    char program[MAX_PATH], commandLine[MAX_PATH + 2], text[MAX_PATH + 64];
    wsprintfA(program, "%s\\SETUP.EXE", folder);
    wsprintfA(commandLine, "\"%s\"", program);
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(program, commandLine, 0, 0, FALSE, 0, 0, folder, &startup, &process)) {
        wsprintfA(text, NotStartedText, program, GetLastError());
        Tell(text);
        return false;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    if (!GetExitCodeProcess(process.hProcess, status)) *status = 0;
    CloseHandle(process.hProcess);
    return true;
}

int RunDownload()
{
    char self[MAX_PATH], folder[MAX_PATH], text[MAX_PATH + 128];
    DWORD length = GetModuleFileNameA(0, self, sizeof self);
    Payload payload;
    payload.File = INVALID_HANDLE_VALUE;
    if (!length || length >= sizeof self || OpenPayload(self, &payload) != PayloadOk ||
        CheckPayload(&payload) != PayloadOk) {
        ClosePayload(&payload);
        Tell(DamagedText);
        return ExitDamaged;
    }
    if (!MakeUnpackFolder(folder, sizeof folder)) {
        ClosePayload(&payload);
        Tell(NoFolderText);
        return ExitUnpackFailed;
    }
    PayloadResult unpacked = UnpackPayload(&payload, folder);
    ClosePayload(&payload);
    DWORD status = ExitSetupNotStarted;
    if (unpacked == PayloadOk) {
        if (!RunSetup(folder, &status)) status = ExitSetupNotStarted;
    } else {
        wsprintfA(text, UnpackFailedText, folder);
        Tell(unpacked == PayloadDamaged ? DamagedText : text);
        status = unpacked == PayloadDamaged ? ExitDamaged : ExitUnpackFailed;
    }
    RemoveUnpackFolder(folder);
    return (int)status;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunDownload();
}
