// shelldde: a stand-in for the shell's DDE server. It answers application
// "Shell", topic "AppProperties", and carries out the group commands of an
// execute request: CreateGroup("name"), ShowGroup("name",n),
// AddItem(command,"name"), DeleteItem("name") and DeleteGroup("name"), making
// and removing a folder under the user's Start-menu Programs folder and one
// shell link per item. Names are made file names (refused characters and
// device names mapped to "_"). A command that cannot be carried out whole is
// refused and the acknowledgement is negative: no Programs folder, a file
// where the group folder should be, a name, path or command too long for its
// buffer, a group to delete that still holds items.
//
//   shelldde.exe [/log <file>] [/timeout <seconds>] [/silent] [/ready <file>]
//
// /log appends every command text received to the file, byte for byte.
// /timeout ends the server after that many seconds. /silent answers the
// initiate but never acknowledges an execute. /ready creates the file once
// the server's window exists. [ExitServer()] or WM_CLOSE
// ends it too.
#include <windows.h>
#include <dde.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "commands.h"
#include "core/text.h"
#include "win32/dde_client.h"  // the acknowledgement's fAck bit

static const char ServerClass[] = "ShellDdeServer";
static const char ApplicationName[] = "Shell";
static const char TopicName[] = "AppProperties";
enum { TimeoutTimer = 1, AckTimeoutMs = 5000 };

static char LogPath[MAX_PATH];
static char ReadyPath[MAX_PATH];
static bool Silent;
static char ProgramsDir[MAX_PATH];
static char CurrentGroup[MAX_PATH];  // folder of the group last created or shown

static void AppendToLog(const char *text, size_t length)
{
    if (!LogPath[0]) return;
    FILE *log = fopen(LogPath, "ab");
    if (!log) return;
    fwrite(text, 1, length, log);
    fclose(log);
}

// True when the atom names the text, or is 0 (any name, by DDE convention).
static bool AtomMatches(ATOM atom, const char *text)
{
    if (!atom) return true;
    char name[256];
    if (!GlobalGetAtomNameA(atom, name, sizeof name)) return false;
    return lstrcmpiA(name, text) == 0;
}

static bool GroupFolder(const char *name, char *folder, size_t capacity)
{
    // Without the Programs folder a group would land in the drive's root.
    if (!ProgramsDir[0]) return false;
    char safe[MAX_PATH];
    if (!MakeFileName(name, safe, sizeof safe)) return false;
    int length = snprintf(folder, capacity, "%s\\%s", ProgramsDir, safe);
    return length > 0 && (size_t)length < capacity;
}

static bool CreateGroup(const char *name)
{
    char folder[MAX_PATH];
    if (!GroupFolder(name, folder, sizeof folder)) return false;
    if (!CreateDirectoryA(folder, 0) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // What already stands there must be a folder, not a file of that name.
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    strcpy(CurrentGroup, folder);
    return true;
}

static bool IsDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool ShowGroup(const char *name)
{
    char folder[MAX_PATH];
    // A group that is not there is no current group either: the items of
    // later commands must not land in, or vanish from, another one.
    if (!GroupFolder(name, folder, sizeof folder) || !IsDirectory(folder)) {
        CurrentGroup[0] = 0;
        return false;
    }
    strcpy(CurrentGroup, folder);
    return true;
}

// Takes the group's folder away when it holds nothing more: items that
// others put there keep it, and the command then fails.
static bool DeleteGroup(const char *name)
{
    char folder[MAX_PATH];
    if (!GroupFolder(name, folder, sizeof folder) || !IsDirectory(folder)) return false;
    if (!RemoveDirectoryA(folder)) return false;
    if (lstrcmpiA(folder, CurrentGroup) == 0) CurrentGroup[0] = 0;
    return true;
}

static bool DeleteItem(const char *name)
{
    if (!CurrentGroup[0]) return false;
    char safe[MAX_PATH], linkPath[MAX_PATH];
    if (!MakeFileName(name, safe, sizeof safe)) return false;
    int length = snprintf(linkPath, sizeof linkPath, "%s\\%s.lnk", CurrentGroup, safe);
    if (length <= 0 || (size_t)length >= sizeof linkPath) return false;
    return DeleteFileA(linkPath) != 0;
}

static bool AddItem(const char *command, const char *name)
{
    if (!CurrentGroup[0]) return false;
    char safe[MAX_PATH], linkPath[MAX_PATH], workDir[MAX_PATH];
    if (!MakeFileName(name, safe, sizeof safe)) return false;
    int length = snprintf(linkPath, sizeof linkPath, "%s\\%s.lnk", CurrentGroup, safe);
    if (length <= 0 || (size_t)length >= sizeof linkPath) return false;
    // A link holds at most MAX_PATH characters of its target.
    if (!ItemWorkingDirectory(command, workDir, sizeof workDir)) return false;

    IShellLinkA *link = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void **)&link)))
        return false;
    bool saved = false;
    link->SetPath(command);
    link->SetDescription(name);
    link->SetShowCmd(SW_SHOWNORMAL);
    if (workDir[0]) link->SetWorkingDirectory(workDir);
    IPersistFile *file = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH))
            saved = SUCCEEDED(file->Save(widePath, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

// Carries out every command line of text; false when any failed. Sets
// *exitRequested for [ExitServer()].
static bool RunCommands(const char *text, size_t length, bool *exitRequested)
{
    bool allDone = true;
    size_t at = 0;
    while (at < length) {
        char line[CommandLineSize];
        at = NextCommandLine(text, length, at, line, sizeof line);
        if (!line[0]) continue;
        GroupCommand command;
        bool done = false;
        if (ParseGroupCommand(line, &command)) {
            switch (command.Kind) {
            case CommandCreateGroup: done = CreateGroup(command.Name); break;
            case CommandShowGroup: done = ShowGroup(command.Name); break;
            case CommandAddItem: done = AddItem(command.Target, command.Name); break;
            case CommandExitServer: done = true; *exitRequested = true; break;
            case CommandDeleteGroup: done = DeleteGroup(command.Name); break;
            case CommandDeleteItem: done = DeleteItem(command.Name); break;
            }
        }
        if (!done) allDone = false;
    }
    return allDone;
}

static void OnExecute(HWND window, HWND client, LPARAM lParam)
{
    UINT_PTR unused, handle;
    UnpackDDElParam(WM_DDE_EXECUTE, lParam, &unused, &handle);
    HGLOBAL commands = (HGLOBAL)handle;
    bool exitRequested = false, done = false;
    const char *text = (const char *)GlobalLock(commands);
    if (text) {
        size_t size = GlobalSize(commands);
        size_t length = strnlen(text, size);
        AppendToLog(text, length);
        done = RunCommands(text, length, &exitRequested);
        GlobalUnlock(commands);
    }
    if (!Silent) {
        WORD status = done ? DdeAckPositive : 0;
        LPARAM ack = PackDDElParam(WM_DDE_ACK, status, (UINT_PTR)commands);
        if (!PostMessageA(client, WM_DDE_ACK, (WPARAM)window, ack))
            FreeDDElParam(WM_DDE_ACK, ack);
    }
    if (exitRequested) DestroyWindow(window);
}

static LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DDE_INITIATE:
        if ((HWND)wParam != window && AtomMatches(LOWORD(lParam), ApplicationName) &&
            AtomMatches(HIWORD(lParam), TopicName)) {
            // The atoms of the answer are ours; the client deletes them.
            ATOM application = GlobalAddAtomA(ApplicationName);
            ATOM topic = GlobalAddAtomA(TopicName);
            // A hung client must not hang the server. After a timeout the
            // answer may still be read later, so its atoms are left alone.
            DWORD_PTR result;
            SendMessageTimeoutA((HWND)wParam, WM_DDE_ACK, (WPARAM)window,
                                MAKELPARAM(application, topic), SMTO_ABORTIFHUNG,
                                AckTimeoutMs, &result);
        }
        return 0;
    case WM_DDE_EXECUTE:
        OnExecute(window, (HWND)wParam, lParam);
        return 0;
    case WM_DDE_TERMINATE:
        PostMessageA((HWND)wParam, WM_DDE_TERMINATE, (WPARAM)window, 0);
        return 0;
    case WM_DDE_ACK:
        // Nothing is ever asked of a client; release what the message carries.
        FreeDDElParam(WM_DDE_ACK, lParam);
        return 0;
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Copies an option's path; false when it does not fit (a cut path names
// another file).
static bool ReadPathOption(const char *value, char *dest, size_t capacity)
{
    int length = snprintf(dest, capacity, "%s", value);
    if (length >= 0 && (size_t)length < capacity) return true;
    dest[0] = 0;
    return false;
}

// False when an option's value does not fit.
static bool ReadOptions(int *timeoutSeconds)
{
    for (int i = 1; i < __argc; ++i) {
        const char *option = __argv[i];
        if (lstrcmpiA(option, "/log") == 0 && i + 1 < __argc) {
            if (!ReadPathOption(__argv[++i], LogPath, sizeof LogPath)) return false;
        } else if (lstrcmpiA(option, "/timeout") == 0 && i + 1 < __argc) {
            *timeoutSeconds = atoi(__argv[++i]);
        } else if (lstrcmpiA(option, "/ready") == 0 && i + 1 < __argc) {
            if (!ReadPathOption(__argv[++i], ReadyPath, sizeof ReadyPath)) return false;
        } else if (lstrcmpiA(option, "/silent") == 0) {
            Silent = true;
        }
    }
    return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int timeoutSeconds = 0;
    LeadByte = IsDBCSLeadByte;  // names come in the system's code page
    if (!ReadOptions(&timeoutSeconds)) return 1;
    CoInitialize(0);
    if (!SHGetSpecialFolderPathA(0, ProgramsDir, CSIDL_PROGRAMS, TRUE)) ProgramsDir[0] = 0;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ServerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ServerClass;
    if (!RegisterClassA(&windowClass)) return 1;
    // A hidden top-level window: the initiate is broadcast to those.
    HWND window = CreateWindowExA(0, ServerClass, "Shell DDE server", WS_OVERLAPPED, 0, 0, 0, 0,
                                  0, 0, instance, 0);
    if (!window) return 1;
    if (timeoutSeconds > 0) SetTimer(window, TimeoutTimer, (UINT)timeoutSeconds * 1000, 0);
    if (ReadyPath[0]) {
        FILE *ready = fopen(ReadyPath, "wb");
        if (ready) fclose(ready);
    }

    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CoUninitialize();
    return 0;
}
