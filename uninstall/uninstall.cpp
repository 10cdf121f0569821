#include <windows.h>
#include <commctrl.h>
#include <dde.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "uninstall.h"
#include "uninstall_text.h"
#include "engine/group.h"
#include "engine/install_log.h"
#include "core/log_reader.h"
#include "engine/setup_state.h"
#include "core/text.h"
#include "engine/transfer.h"
#include "ui/background.h"
#include "ui/dialogs.h"

namespace {

const char *const RootNames[RegistryRootCount] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                  "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

// The run's paths, all in long form where the file system gives one.
char SelfPath[MAX_PATH];      // this program
char OriginalPath[MAX_PATH];  // UNINST.EXE in the install directory
char InstallDir[MAX_PATH];
char LogPath[MAX_PATH];
char LongWindowsDir[MAX_PATH];
char LongSystemDir[MAX_PATH];

// The report, in three parts, and how many entries each has.
char Removed[ReportSize], Left[ReportSize], Gone[ReportSize];
int RemovedCount, LeftCount, GoneCount;

// The answer to the execute request: 1 done, 0 refused, -1 none.
int ExecuteAnswer = -1;

void Note(char *part, int *count, const char *format, ...) __attribute__((format(printf, 3, 4)));
void Note(char *part, int *count, const char *format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    AppendText(part, ReportSize, "  ");
    AppendText(part, ReportSize, line);
    AppendText(part, ReportSize, "\n");
    ++*count;
}

// path in its full, long form; the full form alone when the file is gone.
void LongForm(const char *path, char *dest, size_t capacity)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full, full, 0);
    if (length == 0 || length >= sizeof full) CopyText(full, sizeof full, path);
    length = GetLongPathNameA(full, dest, (DWORD)capacity);
    if (length == 0 || length >= capacity) CopyText(dest, capacity, full);
}

void DirectoryOf(const char *path, char *dest, size_t capacity)
{
    CopyText(dest, capacity, path);
    char *backslash = strrchr(dest, '\\');
    if (backslash) *backslash = 0;
}

bool SamePath(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }

// The whole of install.log in memory, or null.
char *ReadLog(size_t *length)
{
    HANDLE file = CreateFileA(LogPath, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD size = GetFileSize(file, 0);
    char *text = 0;
    DWORD got = 0;
    if (size != INVALID_FILE_SIZE && size <= LogSizeLimit) {
        text = (char *)malloc(size + 1);
        if (text && !ReadFile(file, text, size, &got, 0)) got = 0;
    }
    CloseHandle(file);
    if (!text) return 0;
    text[got] = 0;
    *length = got;
    return text;
}

void Message(const char *text, UINT icon)
{
    MessageBoxA(Setup.BackgroundWindow, text, UninstallCaption, MB_OK | icon);
}

// ----- the records -----

struct LogText {
    char *Text;
    size_t Length;
    size_t *Starts;  // where each record begins, in log order
    int Count;
};

bool IndexLog(LogText *log)
{
    LogCursor cursor = {log->Text, log->Length, 0};
    LogRecord *record = (LogRecord *)malloc(sizeof(LogRecord));
    if (!record) return false;
    size_t start;
    int count = 0;
    while (NextLogRecord(&cursor, record, &start)) ++count;
    log->Starts = (size_t *)malloc(sizeof(size_t) * (count ? count : 1));
    if (!log->Starts) {
        free(record);
        return false;
    }
    cursor.At = 0;
    log->Count = 0;
    while (log->Count < count && NextLogRecord(&cursor, record, &start))
        log->Starts[log->Count++] = start;
    free(record);
    return true;
}

void RecordAt(const LogText *log, int index, LogRecord *record)
{
    LogCursor cursor = {log->Text, log->Length, log->Starts[index]};
    NextLogRecord(&cursor, record, 0);
}

void Step()
{
    if (Setup.ProgressBar) SendMessageA(Setup.ProgressBar, PBM_STEPIT, 0, 0);
    PumpMessages(Setup.CurrentDialog);
}

void Status(const char *text)
{
    if (Setup.CurrentDialog) SetDlgItemTextA(Setup.CurrentDialog, StatusTextControl, text);
    PumpMessages(Setup.CurrentDialog);
}

// ----- the program group -----

// The progress dialog's procedure: the framework's, and in addition the
// answer to the execute request and the atoms the shell's answers carry.
INT_PTR CALLBACK RemoverDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DDE_ACK) {
        if (Setup.DdePartner && Setup.DdeWaiting && (HWND)wParam == Setup.DdePartner) {
            UINT_PTR status = 0, handle = 0;
            if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &handle)) {
                ExecuteAnswer = (status & 0x8000) ? 1 : 0;
                FreeDDElParam(WM_DDE_ACK, lParam);
            }
        } else if (!Setup.DdeWaiting) {
            // An answer to the initiate: its atoms are the client's to delete.
            if (LOWORD(lParam)) GlobalDeleteAtom(LOWORD(lParam));
            if (HIWORD(lParam)) GlobalDeleteAtom(HIWORD(lParam));
        }
    }
    return DlgViewSetup(window, message, wParam, lParam);
}

void RemoveGroups(const LogText *log)
{
    LogRecord *icons = (LogRecord *)malloc(sizeof(LogRecord) * MaxIcons);
    if (!icons) return;
    int count = 0;
    for (int i = log->Count - 1; i >= 0 && count < MaxIcons; --i) {
        RecordAt(log, i, &icons[count]);
        if (icons[count].Kind == LogRecordIcon) ++count;
    }
    if (count == 0) {
        free(icons);
        return;
    }
    Status("Removing the program group...");
    HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, GroupCommandTextSize);
    char *text = commands ? (char *)GlobalLock(commands) : 0;
    bool built = text && BuildGroupRemovalText(icons, count, text, GroupCommandTextSize);
    if (text) GlobalUnlock(commands);
    if (built && Setup.CurrentDialog) {
        Setup.DdePartner = 0;
        Setup.DdeWaiting = 0;  // set again once the execute request is posted
        ExecuteAnswer = -1;
        HoldConversation(Setup.CurrentDialog, commands);
    }
    if (commands) GlobalFree(commands);

    for (int i = 0; i < count; ++i) {
        bool seen = false;
        for (int j = 0; j < i && !seen; ++j) seen = strcmp(icons[j].Text, icons[i].Text) == 0;
        if (seen) continue;
        if (!built)
            Note(Left, &LeftCount, "Program group \"%s\": too many items to name to the shell",
                 icons[i].Text);
        else if (!Setup.DdePartner)
            Note(Left, &LeftCount, "Program group \"%s\": no shell answered", icons[i].Text);
        else if (ExecuteAnswer == 1)
            Note(Removed, &RemovedCount, "Program group \"%s\"", icons[i].Text);
        else if (ExecuteAnswer == 0)
            Note(Left, &LeftCount,
                 "Program group \"%s\": the shell did not remove all of it (it may hold "
                 "items of other programs)",
                 icons[i].Text);
        else
            Note(Left, &LeftCount, "Program group \"%s\": the shell did not answer",
                 icons[i].Text);
    }
    Setup.DdeWaiting = 0;
    free(icons);
}

// ----- win.ini -----

void RemoveIniEntry(const LogRecord *record)
{
    const char *file = strrchr(record->Text, '\\');
    file = file ? file + 1 : record->Text;
    if (lstrcmpiA(file, "win.ini") != 0) {
        Note(Left, &LeftCount, "%s [%s] %s: not the win.ini", record->Text, record->Section,
             record->Name);
        return;
    }
    // A control character is no value of a profile: it marks a missing entry.
    char current[LogFieldSize + 2], logged[LogFieldSize];
    GetProfileStringA(record->Section, record->Name, "\x01", current, sizeof current);
    ProfileValueForm(record->Value, logged, sizeof logged);
    if (strcmp(current, "\x01") == 0) {
        Note(Gone, &GoneCount, "win.ini [%s] %s", record->Section, record->Name);
        return;
    }
    if (strcmp(current, logged) != 0) {
        Note(Left, &LeftCount, "win.ini [%s] %s: changed since the installation",
             record->Section, record->Name);
        return;
    }
    WriteProfileStringA(record->Section, record->Name, 0);
    Note(Removed, &RemovedCount, "win.ini [%s] %s", record->Section, record->Name);
    // A section left without entries goes too.
    char keys[8];
    if (GetProfileStringA(record->Section, 0, "", keys, sizeof keys) == 0)
        WriteProfileStringA(record->Section, 0, 0);
}

// ----- the registry -----

bool KeyIsEmpty(HKEY key)
{
    DWORD subkeys = 1, values = 1;
    if (RegQueryInfoKeyA(key, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

void RemoveRegistryValue(const LogRecord *record)
{
    HKEY root = RegistryRoot[record->Root];
    const char *rootName = RootNames[record->Root];
    const char *separator = record->Text[0] ? "\\" : "";
    const char *shownName = record->Name[0] ? record->Name : "(default)";
    HKEY key;
    if (RegOpenKeyExA(root, record->Text, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        Note(Gone, &GoneCount, "Registry value %s%s%s \"%s\"", rootName, separator,
             record->Text, shownName);
        return;
    }
    char data[LogFieldSize + 1];
    DWORD type = 0, size = sizeof data - 1;
    LONG read = RegQueryValueExA(key, record->Name, 0, &type, (BYTE *)data, &size);
    if (read == ERROR_FILE_NOT_FOUND) {
        RegCloseKey(key);
        Note(Gone, &GoneCount, "Registry value %s%s%s \"%s\"", rootName, separator,
             record->Text, shownName);
        return;
    }
    bool same = false;
    if (read == ERROR_SUCCESS && type == REG_SZ) {
        data[size < sizeof data ? size : sizeof data - 1] = 0;
        same = strcmp(data, record->Value) == 0;
    }
    if (!same) {
        RegCloseKey(key);
        Note(Left, &LeftCount, "Registry value %s%s%s \"%s\": changed since the installation",
             rootName, separator, record->Text, shownName);
        return;
    }
    bool deleted = RegDeleteValueA(key, record->Name) == ERROR_SUCCESS;
    bool empty = deleted && KeyIsEmpty(key);
    RegCloseKey(key);
    if (!deleted) {
        Note(Left, &LeftCount, "Registry value %s%s%s \"%s\": could not be deleted", rootName,
             separator, record->Text, shownName);
        return;
    }
    Note(Removed, &RemovedCount, "Registry value %s%s%s \"%s\"", rootName, separator,
         record->Text, shownName);
    // The key goes when nothing is left in it; a root never does.
    if (empty && record->Text[0] && RegDeleteKeyA(root, record->Text) == ERROR_SUCCESS)
        Note(Removed, &RemovedCount, "Registry key %s\\%s", rootName, record->Text);
}

// ----- files and directories -----

enum FilePlace { FileInside, FileShared, FileOutside };

FilePlace PlaceOf(const char *path)
{
    char parent[MAX_PATH];
    DirectoryOf(path, parent, sizeof parent);
    // The Windows and system directories first: an install directory may lie
    // in one, and what sits there may serve other programs too.
    if (PathIsInside(path, LongSystemDir) || SamePath(parent, LongWindowsDir)) return FileShared;
    if (PathIsInside(path, InstallDir)) return FileInside;
    return FileOutside;
}

void RemoveFile(const char *logged)
{
    char path[MAX_PATH];
    LongForm(logged, path, sizeof path);
    if (SamePath(path, OriginalPath)) return;  // taken away at the end
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Note(Gone, &GoneCount, "File %s", logged);
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        Note(Left, &LeftCount, "%s: a directory now, not the file installed", logged);
        return;
    }
    switch (PlaceOf(path)) {
    case FileShared:
        Note(Left, &LeftCount, "File %s: shared, in the Windows or system directory", logged);
        return;
    case FileOutside:
        Note(Left, &LeftCount, "File %s: outside the install directory", logged);
        return;
    case FileInside:
        break;
    }
    if (DeleteFileA(path))
        Note(Removed, &RemovedCount, "File %s", logged);
    else
        Note(Left, &LeftCount, "File %s: could not be deleted (in use or read-only)", logged);
}

struct MadeDir {
    int Index;  // of its record
    int Depth;
};

int CompareDepth(const void *a, const void *b)
{
    const MadeDir *left = (const MadeDir *)a, *right = (const MadeDir *)b;
    if (left->Depth != right->Depth) return right->Depth - left->Depth;
    return right->Index - left->Index;  // later made, sooner removed
}

void RemoveDirectoryEntry(const char *logged)
{
    char path[MAX_PATH];
    LongForm(logged, path, sizeof path);
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Note(Gone, &GoneCount, "Directory %s", logged);
        return;
    }
    if (!PathIsAtOrInside(path, InstallDir)) {
        Note(Left, &LeftCount, "Directory %s: outside the install directory", logged);
        return;
    }
    if (RemoveDirectoryA(path))
        Note(Removed, &RemovedCount, "Directory %s", logged);
    else
        Note(Left, &LeftCount,
             "Directory %s: not empty (it holds files that the setup did not install)", logged);
}

void RemoveDirectories(const LogText *log, LogRecord *record)
{
    MadeDir *dirs = (MadeDir *)malloc(sizeof(MadeDir) * (log->Count ? log->Count : 1));
    if (!dirs) return;
    int count = 0;
    for (int i = 0; i < log->Count; ++i) {
        RecordAt(log, i, record);
        if (record->Kind != LogRecordMadeDir) continue;
        dirs[count].Index = i;
        dirs[count].Depth = PathDepth(record->Text);
        ++count;
    }
    qsort(dirs, (size_t)count, sizeof *dirs, CompareDepth);
    for (int i = 0; i < count; ++i) {
        RecordAt(log, dirs[i].Index, record);
        RemoveDirectoryEntry(record->Text);
        Step();
    }
    free(dirs);
}

// install.log and UNINST.EXE, which the removal needed until now.
void RemoveOwnFiles()
{
    if (DeleteFileA(LogPath))
        Note(Removed, &RemovedCount, "File %s", LogPath);
    else
        Note(Left, &LeftCount, "File %s: could not be deleted", LogPath);
    if (SamePath(SelfPath, OriginalPath))
        Note(Left, &LeftCount, "File %s: the uninstaller could not run from a copy", OriginalPath);
    else if (DeleteFileA(OriginalPath))
        Note(Removed, &RemovedCount, "File %s", OriginalPath);
    else if (GetFileAttributesA(OriginalPath) != INVALID_FILE_ATTRIBUTES)
        Note(Left, &LeftCount, "File %s: could not be deleted", OriginalPath);
}

void RemoveAll(const LogText *log)
{
    LogRecord *record = (LogRecord *)malloc(sizeof(LogRecord));
    if (!record) return;
    RemoveGroups(log);
    Status("Removing settings and files...");
    for (int i = log->Count - 1; i >= 0; --i) {
        RecordAt(log, i, record);
        switch (record->Kind) {
        case LogRecordIni: RemoveIniEntry(record); break;
        case LogRecordRegistry: RemoveRegistryValue(record); break;
        case LogRecordFileCopy: RemoveFile(record->Text); break;
        default: continue;
        }
        Step();
    }
    RemoveOwnFiles();
    Status("Removing directories...");
    RemoveDirectories(log, record);
    free(record);
}

// ----- the report -----

void WriteReport(char *text, size_t capacity)
{
    FormatText(text, capacity, "Uninstall of %s: %d removed, %d left in place.\n",
               Setup.ProductTitle, RemovedCount, LeftCount);
    if (LeftCount) {
        AppendText(text, capacity, "\nLeft in place:\n");
        AppendText(text, capacity, Left);
    }
    if (RemovedCount) {
        AppendText(text, capacity, "\nRemoved:\n");
        AppendText(text, capacity, Removed);
    }
    if (GoneCount) {
        AppendText(text, capacity, "\nAlready gone before the removal:\n");
        AppendText(text, capacity, Gone);
    }
}

void Report()
{
    static char text[3 * ReportSize + 256];
    WriteReport(text, sizeof text);
    char path[MAX_PATH] = "";
    if (JoinPath(path, sizeof path, TempDir, UninstallLogName)) {
        FILE *file = fopen(path, "wt");
        if (file) {
            fputs(text, file);
            fclose(file);
        }
    }
    if (strlen(text) > MessageTextLimit) {
        text[MessageTextLimit] = 0;
        char *lineEnd = strrchr(text, '\n');
        if (lineEnd) lineEnd[1] = 0;
        AppendText(text, sizeof text, "...\nThe whole list is in ");
        AppendText(text, sizeof text, path);
    }
    Message(text, MB_ICONINFORMATION);
}

// ----- the two ways of running -----

INT_PTR CALLBACK ConfirmPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) SetDlgItemTextA(window, IdNext, ConfirmButtonText);
    return WelcomePageProc(window, message, wParam, lParam);
}

void FindDirectories()
{
    GetWindowsDirectoryA(WindowsDir, sizeof WindowsDir);
    GetSystemDirectoryA(SystemDir, sizeof SystemDir);
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp || length > sizeof TempDir) {
        CopyText(TempDir, sizeof TempDir, WindowsDir);
    } else {
        temp[length - 1] = 0;
        CopyText(TempDir, sizeof TempDir, temp);
    }
    LongForm(WindowsDir, LongWindowsDir, sizeof LongWindowsDir);
    LongForm(SystemDir, LongSystemDir, sizeof LongSystemDir);
}

// Sets the install directory and the log's path from UNINST.EXE's path.
void UseOriginal(const char *path)
{
    LongForm(path, OriginalPath, sizeof OriginalPath);
    DirectoryOf(OriginalPath, InstallDir, sizeof InstallDir);
    JoinPath(LogPath, sizeof LogPath, InstallDir, InstallLogName);
}

// The log, checked; a message and null when there is none fit to use.
char *LoadLog(size_t *length)
{
    if (GetFileAttributesA(LogPath) == INVALID_FILE_ATTRIBUTES) {
        Message(NoLogText, MB_ICONSTOP);
        return 0;
    }
    char *text = ReadLog(length);
    if (!text || !IsInstallLog(text, *length)) {
        free(text);
        Message(NotLogText, MB_ICONSTOP);
        return 0;
    }
    return text;
}

int Remove(HINSTANCE instance)
{
    LogText log = {0, 0, 0, 0};
    log.Text = LoadLog(&log.Length);
    if (!log.Text) return 1;
    if (!IndexLog(&log)) {
        free(log.Text);
        return 1;
    }
    LogRecord *record = (LogRecord *)malloc(sizeof(LogRecord));
    for (int i = 0; record && i < log.Count; ++i) {
        RecordAt(&log, i, record);
        if (record->Kind != LogRecordTitle) continue;
        CopyText(Setup.ProductTitle, sizeof Setup.ProductTitle, record->Text);
        break;
    }
    free(record);

    Setup.Instance = instance;
    RegisterMainWindowClass(instance);
    Setup.TitleFont = CreateTitleFont();
    InitCommonControls();
    CreateBackgroundWindow();
    if (Setup.BackgroundWindow) SetWindowTextA(Setup.BackgroundWindow, UninstallCaption);

    int status = 1;
    FormatPageText(Setup.PageText, sizeof Setup.PageText, ConfirmTextFormat, Setup.ProductTitle);
    if (RunPage(WelcomePageTemplate, ConfirmPageProc) == PageGoOn) {
        FormatText(Setup.EditText, sizeof Setup.EditText, "Removing %s...", Setup.ProductTitle);
        Setup.CurrentDialog =
            CreateDialogParamA(instance, MAKEINTRESOURCEA(ProgressDialogTemplate),
                               Setup.BackgroundWindow, RemoverDialogProc, 0);
        Setup.ProgressBar = Setup.CurrentDialog ? GetDlgItem(Setup.CurrentDialog, ProgressBarControl) : 0;
        if (Setup.ProgressBar) {
            SendMessageA(Setup.ProgressBar, PBM_SETRANGE32, 0, (LPARAM)(log.Count + 1));
            SendMessageA(Setup.ProgressBar, PBM_SETSTEP, 1, 0);
        }
        RemoveAll(&log);
        if (Setup.CurrentDialog) DestroyWindow(Setup.CurrentDialog);
        Setup.CurrentDialog = 0;
        Setup.ProgressBar = 0;
        Report();
        status = 0;
    }
    if (Setup.BackgroundWindow) DestroyWindow(Setup.BackgroundWindow);
    Setup.BackgroundWindow = 0;
    DeleteObject(Setup.TitleFont);
    free(log.Starts);
    free(log.Text);
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
    size_t logLength = 0;
    char *text = LoadLog(&logLength);
    if (!text) return 1;
    free(text);
    if (StartRemover()) return 0;
    // No copy could run: remove in place; this program's file stays.
    SetCurrentDirectoryA(TempDir);
    return Remove(instance);
}
