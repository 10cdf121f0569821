#include "transfer.h"

#include <windows.h>
#include <commctrl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "core/disk_entries.h"
#include "fileops.h"
#include "install_log.h"
#include "core/log_format.h"
#include "run_record.h"
#include "script.h"
#include "shared_count.h"
#include "core/text.h"
#include "win32/platform.h"
#include "win32/dialogs.h"
#include "win32/program_windows.h"

// Each level made is logged and recorded as made, so that the uninstaller
// removes it again when empty.
static void LogMadeLevel(const char *level)
{
    LogLine(Setup.InstallLog, LogMadeDirFormat, level);
    RecordRunDirectory(level, true);
}

// Makes every missing level of a directory and enters it. An earlier run
// that crashed while replacing a file may have left its staging directory,
// on the 95 family with the old file set aside in it: put right first. The record keeps a directory found as found.
static bool MakeLoggedDirectory(const char *path, unsigned long *failure = 0)
{
    bool created = false;
    bool entered = MakeDirectory(path, &created, LogMadeLevel, failure);
    if (entered && !created) {
        RemoveStagingLeftovers(path);
        RecordRunDirectory(path, false);
    }
    return entered;
}

// A destination whose directory is missing (left out of [SubDir], or listed
// after a file that needs it) gets it made, every level; true when it was
// missing and is there now, so that the file is tried again. Asked only
// after a failure: no look for a file that goes where it can.
static bool MadeDestinationDirectory(const char *destination)
{
    char directory[PathBufferSize];
    CopyText(directory, sizeof directory, destination);
    char *name = 0;
    for (char *at = directory; *at; at = NextChar(at))
        if (*at == '\\' || *at == '/') name = at;
    if (!name || name == directory) return false;
    *name = 0;
    return !DirectoryIsPresent(directory) && MakeDirectoryLevels(directory, LogMadeLevel);
}

// Only a file that is whole in place is logged: written now, holding the
// checked content already, or the source itself (skipped, but in place all
// the same). The record keeps the first two with their content, and a
// shared one's count is raised.
static FileResult ExpandLogged(const char *source, const char *destination,
                               const FileCheck *check, bool counted)
{
    FilePlaced placed;
    FileResult result = ExpandFile(source, destination, &placed, check);
    if (result == FileDenied && MadeDestinationDirectory(destination))
        result = ExpandFile(source, destination, &placed, check);
    bool whole = result == FileWritten || result == FileInPlace;
    if (whole || result == FileSkipped) LogLine(Setup.InstallLog, LogFileCopyFormat, destination);
    if (whole) RecordRunFile(destination, placed.Replaced, placed.Size, placed.Crc32);
    if (whole && counted) CountSharedFile(destination, placed.Replaced);
    return result;
}

// A plain copy has no log line, but the record keeps it like any file.
static FileResult CopyRecorded(const char *source, const char *destination)
{
    FilePlaced placed;
    FileResult result = CopyRawFile(source, destination, &placed);
    if (result == FileDenied && MadeDestinationDirectory(destination))
        result = CopyRawFile(source, destination, &placed);
    if (result == FileWritten) RecordRunFile(destination, placed.Replaced, placed.Size, placed.Crc32);
    return result;
}

bool CreateInstallDirectories(unsigned long *failure)
{
    if (!MakeLoggedDirectory(InstallPath, failure)) return false;
    for (int i = 1; i <= SubDirCount; ++i) {
        char name[DirNameLimit];
        char path[PathBufferSize];
        ReadNumberedKey(KeyDir, i, name);
        // A path that does not fit is not made (a cut path names another
        // one), nor one that leaves the install directory.
        if (!IsContainedName(name) || !JoinPath(path, sizeof path, InstallPath, name)) continue;
        MakeLoggedDirectory(path);
    }
    return true;
}

int ReadSystemLocale()
{
    char path[PathBufferSize];
    if (!JoinPath(path, sizeof path, WindowsDir, LocaleFileName)) return 0;
    return (int)GetPrivateProfileIntA(LocaleSection, LocaleKey, 0, path);
}

static bool NoPlan(EntryPlan *plan)
{
    plan->Operation = EntryNothing;
    plan->OnlyWhenMissing = false;
    plan->ShowsProgress = false;
    plan->Source[0] = plan->Destination[0] = plan->StatusPath[0] = 0;
    return false;
}

// The directory of this run that a rule names.
static const char *DirectoryOf(EntryDirectory dir)
{
    switch (dir) {
    case InWindowsDir: return WindowsDir;
    case InSystemDir: return SystemDir;
    case InInstallDir: return InstallPath;
    case InTempDir: return TempDir;
    case InSourceDir: return SourceDir;
    }
    return 0;
}

// An entry whose names are refused still shows its status line and steps
// the bar when its type does: nothing is written, and the line names the
// destination as the entry gives it.
static bool RefusedPlan(EntryPlan *plan, const FileEntry &entry)
{
    NoPlan(plan);
    const FileEntryRule *rule = FindFileEntryRule(plan->Type);
    if (!rule || !rule->StepsProgress) return false;
    plan->ShowsProgress = true;
    if (!JoinPath(plan->StatusPath, sizeof plan->StatusPath, DirectoryOf(rule->DestinationDir),
                  entry.Destination))
        CopyText(plan->StatusPath, sizeof plan->StatusPath, entry.Destination);
    return false;
}

bool PlanFileEntry(const char *text, EntryPlan *plan)
{
    FileEntry entry;
    memset(plan, 0, sizeof *plan);
    bool parsed = ParseFileEntry(text, &entry);
    plan->Type = entry.Type;
    if (!parsed) return RefusedPlan(plan, entry);
    const FileEntryRule *rule = FindFileEntryRule(entry.Type);
    if (!rule) return NoPlan(plan);  // 0, 7, 8, 9: no destination of their own

    const char *sourceName = entry.Source;
    if (rule->SourceCount > 1 && ReadSystemLocale() != RussianLocale) {
        sourceName = entry.OtherSource;
        plan->SourceIndex = 1;
    }
    // Written, made or deleted: only inside the directory it belongs to. A
    // source in the temporary directory is deleted once expanded.
    bool sourceWritten = rule->SourceDir == InTempDir;
    if (!sourceName[0] || !IsContainedName(entry.Destination) ||
        (sourceWritten && !IsContainedName(sourceName)) ||
        !JoinPath(plan->Source, sizeof plan->Source, DirectoryOf(rule->SourceDir), sourceName) ||
        !JoinPath(plan->Destination, sizeof plan->Destination, DirectoryOf(rule->DestinationDir),
                  entry.Destination))
        return RefusedPlan(plan, entry);

    plan->Operation = !rule->Expands   ? EntryCopyRaw
                      : sourceWritten ? EntryExpandFromTemp
                                      : EntryExpand;
    plan->OnlyWhenMissing = rule->OnlyWhenMissing;
    plan->Counted = rule->OnlyWhenMissing || IsSharedDirectory(DirectoryOf(rule->DestinationDir));
    plan->ShowsProgress = rule->StepsProgress;
    CopyText(plan->StatusPath, sizeof plan->StatusPath, plan->Destination);
    return true;
}

bool RunEntryPlan(const EntryPlan &plan, FileResult *result)
{
    FileResult done = FileSkipped;
    bool shown = plan.ShowsProgress;
    const FileCheck *check = plan.HasCheck ? &plan.Check : 0;
    switch (plan.Operation) {
    case EntryExpand:
        if (plan.OnlyWhenMissing && FileIsPresent(plan.Destination)) {
            shown = false;
            CountSharedFile(plan.Destination, true);
            break;
        }
        StageNewFiles(plan.OnlyWhenMissing);
        done = ExpandLogged(plan.Source, plan.Destination, check, plan.Counted);
        StageNewFiles(false);
        break;
    case EntryCopyRaw:
        done = CopyRecorded(plan.Source, plan.Destination);
        break;
    case EntryExpandFromTemp:
        done = ExpandLogged(plan.Source, plan.Destination, check, plan.Counted);
        // The staged copy goes only once the file is in place: a failed
        // expansion can be retried, and a skipped one (temporary and install
        // directory alike) left it where it belongs.
        if (done == FileWritten || done == FileInPlace) DeleteFileAt(plan.Source);
        break;
    case EntryNothing:
        break;
    }
    if (result) *result = done;
    return shown;
}

void FormatFileErrorText(char *dest, size_t capacity, const char *destination,
                         FileResult result)
{
    const char *cause =
        result == FileNoRoom    ? "There is not enough room on the drive."
        : result == FileDamaged ? "The file on the disk is damaged or cannot be read."
                                : "Access is denied, the folder is missing, or the file is in use.";
    FormatText(dest, capacity, "Setup could not copy the file\n%s\n\n%s\n\n"
               "Choose Retry to try again, or Cancel to end Setup.", destination, cause);
}

void FormatDirectoryErrorText(char *dest, size_t capacity, const char *directory,
                              unsigned long error)
{
    char reason[DirectoryReasonSize];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0,
                                  error, 0, reason, sizeof reason, 0);
    while (length > 0 && (unsigned char)reason[length - 1] <= ' ') --length;  // its line end
    reason[length] = 0;
    if (!length) FormatText(reason, sizeof reason, "The system gives no text for error %lu.", error);
    FormatText(dest, capacity, "Setup cannot create the folder %s.\n\n%s", directory, reason);
}

// The sum of NumberFiles over all disks; a negative count adds nothing, as
// that disk then has no entries.
static long CountEntries()
{
    long total = 0;
    for (int disk = 1; disk <= DiskCount; ++disk) {
        int count = ReadDiskFileCount(disk);
        if (count > 0) total = count > LONG_MAX - total ? LONG_MAX : total + count;
    }
    return total;
}

static void ShowProgress(bool now);

// Asks for the disk until its tag file is there. False when cancelled.
static bool WaitForDisk(int disk)
{
    char name[32], tag[PathBufferSize], prompt[64];
    FormatNumberedName(name, sizeof name, DiskNameFormat, disk);
    if (!JoinPath(tag, sizeof tag, SourceDir, name)) return true;  // cannot probe
    while (!FileIsPresent(tag)) {
        if (Setup.CloseRequested) return false;
        ShowProgress(true);  // the user sees the last file done while asked
        FormatText(prompt, sizeof prompt, DiskPromptFormat, disk);
        int answer = MessageBoxA(Setup.CurrentDialog, prompt, DiskPromptCaption,
                                 MB_OKCANCEL | MB_ICONHAND);
        if (answer == IDCANCEL || Setup.CloseRequested) return false;
        if (answer != IDOK) break;  // no box could be shown: go on with the disk
    }
    return true;
}

// The file entries of a disk come from one section read rather than a
// profile read per entry: each of those opens and checks the script file
// again, which costs more than expanding a small file. The lookup follows the
// profile functions: key names without regard to case, the first of equal
// keys, one pair of enclosing quotes removed, the value cut to the limit.
// Without the section (no memory, or a count too large to index) the entries
// are read one by one.
enum { SectionBufferStart = 16384, MaxIndexedEntries = 100000 };

static void LoadSection(const char *format, int disk, int count, DiskEntries *entries)
{
    memset(entries, 0, sizeof *entries);
    entries->Disk = disk;
    if (count <= 0 || count > MaxIndexedEntries) return;
    char section[32];
    FormatNumberedName(section, sizeof section, format, disk);
    DWORD size = SectionBufferStart;
    char *text = 0;
    for (;;) {
        char *grown = (char *)realloc(text, size);
        if (!grown) {
            free(text);
            return;
        }
        text = grown;
        DWORD got = GetPrivateProfileSectionA(section, text, size, Setup.ScriptPath);
        if (got < size - 2) break;  // size - 2 means the section did not fit
        if (size > 0x4000000) {
            free(text);
            return;
        }
        size *= 2;
    }
    const char **values = (const char **)calloc((size_t)count + 1, sizeof *values);
    if (!values) {
        free(text);
        return;
    }
    IndexDiskSection(text, count, values);
    entries->Section = text;
    entries->Values = values;
    entries->Count = count;
}

void LoadDiskEntries(int disk, int count, DiskEntries *entries)
{
    LoadSection(DiskNameFormat, disk, count, entries);
}

void LoadDiskChecks(int disk, int count, DiskEntries *checks)
{
    LoadSection(CheckNameFormat, disk, count, checks);
}

bool GetEntryCheck(const DiskEntries &checks, int n, int sourceIndex, FileCheck *check)
{
    char text[FileCheckLimit];
    if (!checks.Section) return false;
    CopyProfileValue(n >= 1 && n <= checks.Count ? checks.Values[n] : 0, text, sizeof text);
    return ParseFileCheck(text, sourceIndex, check);
}

void GetDiskEntry(const DiskEntries &entries, int n, char *dest)
{
    if (!entries.Section) {
        ReadDiskFileEntry(entries.Disk, n, dest);
        return;
    }
    CopyProfileValue(n >= 1 && n <= entries.Count ? entries.Values[n] : 0, dest,
                     FileEntryLimit);
}

void FreeDiskEntries(DiskEntries *entries)
{
    free(entries->Section);
    free(entries->Values);
    memset(entries, 0, sizeof *entries);
}

// Drawing the status line and the bar costs more than expanding a small file
// (the bar takes milliseconds under some platforms). The status text and the
// position change for every file, but they reach the screen at most every
// ProgressShowIntervalMs, and always before a disk prompt and at the end.
enum { ProgressShowIntervalMs = 250, ProgressStep = 10 };  // the control's default step
static int PendingSteps;
static bool StatusChanged;
static DWORD LastShown;

static void ShowProgress(bool now)
{
    DWORD time = GetTickCount();
    if (!now && time - LastShown < ProgressShowIntervalMs) return;
    LastShown = time;
    if (PendingSteps) {
        SendMessageA(Setup.ProgressBar, PBM_DELTAPOS, (WPARAM)(PendingSteps * ProgressStep), 0);
        PendingSteps = 0;
    }
    if (StatusChanged) {
        SetDlgItemTextA(Setup.CurrentDialog, IdMainText, Setup.EditText);
        StatusChanged = false;
    }
}

// Shows the File Copy Error prompt; true when the user chose Retry. No box
// shown, and a close of the window, count as Cancel.
static bool AskRetry(const char *destination, FileResult result)
{
    char text[PathBufferSize + 200];
    FormatFileErrorText(text, sizeof text, destination, result);
    int answer = MessageBoxA(Setup.CurrentDialog, text, FileErrorCaption,
                             MB_RETRYCANCEL | MB_ICONHAND);
    return answer == IDRETRY && !Setup.CloseRequested;
}

// One entry, asked again while its file fails and the user chooses Retry.
// False when the user cancelled.
static bool ProcessEntry(const DiskEntries &entries, const DiskEntries &checks, int n)
{
    char text[FileEntryLimit];
    EntryPlan plan;
    GetDiskEntry(entries, n, text);
    PlanFileEntry(text, &plan);
    plan.HasCheck = GetEntryCheck(checks, n, plan.SourceIndex, &plan.Check);
    FileResult result;
    bool shows;
    while (shows = RunEntryPlan(plan, &result), FileFailed(result)) {
        ShowProgress(true);
        if (!AskRetry(plan.Destination, result)) return false;
    }
    if (!shows) return true;
    FormatStatusLine(Setup.EditText, sizeof Setup.EditText, plan.StatusPath);
    StatusChanged = true;
    ++PendingSteps;
    ShowProgress(false);
    return true;
}

// A long expansion or copy (type 4 too) must not show an older file than the
// last one done: told by the file operation once it knows the length.
static void ShowBeforeLongSource(unsigned long bytes)
{
    if (bytes >= LargeSourceBytes && (PendingSteps || StatusChanged)) ShowProgress(true);
}

// One disk's entries, each followed by a drain; false on an abort.
static bool TransferDisk(int disk)
{
    DiskEntries entries, checks;
    int count = ReadDiskFileCount(disk);
    LoadDiskEntries(disk, count, &entries);
    LoadDiskChecks(disk, count, &checks);
    bool aborted = false;
    for (int n = 1; n <= count && !aborted; ++n) {
        aborted = !ProcessEntry(entries, checks, n);
        if (aborted) break;
        Setup.PageResult = PageGoOn;
        PumpMessages(Setup.CurrentDialog);
        aborted = Setup.PageResult == PageAbort || Setup.CloseRequested;
    }
    FreeDiskEntries(&entries);
    FreeDiskEntries(&checks);
    ShowProgress(true);
    return !aborted;
}

TransferOutcome TransferFiles()
{
    long total = CountEntries();
    Setup.EditText[0] = 0;
    OpenProgressDialog(ProgressUpperBound(total));
    PendingSteps = 0;
    StatusChanged = false;
    LastShown = GetTickCount();

    RemoveStagingLeftovers(TempDir);
    SetSourceOpenedHook(ShowBeforeLongSource);
    BeginStagingDirectories();
    TransferOutcome outcome = TransferCompleted;
    for (int disk = 1; disk <= DiskCount && outcome == TransferCompleted; ++disk)
        if (!WaitForDisk(disk) || !TransferDisk(disk)) outcome = TransferAborted;
    EndStagingDirectories();
    SetSourceOpenedHook(0);
    return outcome;
}
