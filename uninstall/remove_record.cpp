// Removal from the install record: the record loaded and checked, and the
// walk over its entries. Each entry is judged by record_rules.h from what
// stands there now, in the remove_*.cpp of its kind.
#include "record_removal.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "in_use.h"
#include "other_records.h"
#include "removal.h"
#include "remover_paths.h"
#include "report.h"
#include "core/crc32.h"
#include "core/record_name.h"
#include "core/uninstall_text.h"
#include "core/text.h"
#include "win32/platform.h"
#include "win32/program_state.h"
#include "win32/record_digest.h"
#include "win32/system_dirs.h"
#include "win32/whole_file.h"

char RecordName[RecordNameSize];
char RecordPath[MAX_PATH];
int RecordTrust;

// One entry at a time; each is too large for a small stack.
static RecordEntry Entry, Other;
// The entries a second run needs: files left in use, and what goes after them.
static bool *Keep;

// The record to go by: the one the command line names; without a name the
// one made before records had names of their own (install.rec), else the
// only named one. False (after a message) when several products share the
// directory and none is named.
static bool ChooseRecord(bool *named)
{
    *named = RecordName[0] != 0;
    if (!*named && JoinPath(RecordPath, sizeof RecordPath, InstallDir, InstallRecordName) &&
        GetFileAttributesA(RecordPath) != INVALID_FILE_ATTRIBUTES)
        return true;
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA found;
    HANDLE search = INVALID_HANDLE_VALUE;
    if (!*named && JoinPath(pattern, sizeof pattern, InstallDir, RecordNamePrefix "*" RecordExtension))
        search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        bool more = FindNextFileA(search, &found);
        FindClose(search);
        if (more) {
            ShowMessage(SeveralRecordsText, MB_ICONSTOP);
            return false;
        }
        *named = CopyText(RecordName, sizeof RecordName, found.cFileName);
    }
    if (!JoinPath(RecordPath, sizeof RecordPath, InstallDir, RecordName[0] ? RecordName : InstallRecordName))
        RecordPath[0] = 0;
    return true;
}

RecordLoad LoadRecord(RecordText *record)
{
    memset(record, 0, sizeof *record);
    bool named;
    if (!ChooseRecord(&named)) return RecordRefused;
    const char *path = RecordPath;
    if (!path[0] || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return RecordNone;
    record->Text = ReadWholeFile(path, RecordFileLimit, &record->Length);
    unsigned long count = 0;
    RecordCheck check = record->Text ? CheckRecord(record->Text, record->Length, &count)
                                     : RecordDamaged;
    if (check == RecordIntact)
        record->Starts = (size_t *)malloc(sizeof(size_t) * (count ? count : 1));
    if (check != RecordIntact || !record->Starts) {
        ShowMessage(check == RecordTooNew ? RecordTooNewText : RecordDamagedText, MB_ICONSTOP);
        FreeRecord(record);
        return RecordRefused;
    }
    RecordCursor cursor;
    StartRecordCursor(&cursor, record->Text, record->Length);
    const char *line;
    size_t size, start;
    while (record->Count < count && NextRecordLine(&cursor, &line, &size, &start)) {
        record->Starts[record->Count++] = start;
        if (ParseRecordLine(line, size, &Entry) && Entry.Kind == RecordTitle)
            CopyText(Program.ProductTitle, sizeof Program.ProductTitle, Entry.Text);
    }
    // Only the digest its product's key keeps makes a record trusted; one
    // made before records were named has none, and is trusted as a log.
    int vouch = VouchRecord(record->Text, record->Length, Program.ProductTitle);
    RecordTrust = vouch > 0 ? vouch : RecordVouchNone;
    if (named && !RecordTrust) {
        char text[sizeof RecordChangedFormat + MAX_PATH];
        FormatText(text, sizeof text, RecordChangedFormat, path);
        ShowMessage(text, MB_ICONSTOP);
        FreeRecord(record);
        return RecordRefused;
    }
    return RecordUsable;
}

void FreeRecord(RecordText *record)
{
    free(record->Text);
    free(record->Starts);
    memset(record, 0, sizeof *record);
}

void EntryAt(const RecordText *record, unsigned long index, RecordEntry *entry)
{
    RecordCursor cursor = {record->Text, record->Length, record->Starts[index]};
    const char *line;
    size_t size;
    if (!NextRecordLine(&cursor, &line, &size, 0) || !ParseRecordLine(line, size, entry))
        StartRecordEntry(entry, 0);
}

// The directories where another product's record may list what this one
// does: the install directory and those above it, and every directory
// below it that this record names or puts a file in.
static void FindOtherRecords(const RecordText *record)
{
    AddOtherRecordsAbove(InstallDir, RecordPath);
    char path[MAX_PATH], dir[MAX_PATH];
    for (unsigned long i = 0; i < record->Count; ++i) {
        EntryAt(record, i, &Entry);
        if (Entry.Kind != RecordFile && Entry.Kind != RecordDir) continue;
        LongForm(Entry.Text, path, sizeof path);
        if (Entry.Kind == RecordFile) DirectoryOf(path, dir, sizeof dir);
        else CopyText(dir, sizeof dir, path);
        if (PathIsInside(dir, InstallDir)) AddOtherRecordsIn(dir, RecordPath);
    }
}

void KeepInRecord(unsigned long index)
{
    if (Keep) Keep[index] = true;
}

// A value of the product's entry in the list of programs (a literal, which
// is not padded to 32 bytes as a named array this long would be).
#define ProgramListKey "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
static bool IsProgramListValue(const RecordEntry *entry)
{
    return entry->Kind == RecordReg &&
           SameFoldedRange(entry->Text, ProgramListKey, sizeof ProgramListKey - 1);
}

// What is left goes back into the record, which stays for a second run: the
// title, the directories made (they go once empty), the files in use and
// the entry in the list of programs. Written beside it and moved over it.
static void RewriteRecord(const RecordText *record)
{
    char name[MAX_PATH], written[MAX_PATH], line[64];
    const char *path = RecordPath;
    if (!FormatText(name, sizeof name, "~%s", RecordName[0] ? RecordName : InstallRecordName) ||
        !JoinPath(written, sizeof written, InstallDir, name))
        return;
    FILE *file = fopen(written, "wb");
    if (!file) return;
    FormatRecordHeader(line, sizeof line);
    fputs(line, file);
    unsigned long crc = UpdateCrc32(Crc32Start, line, strlen(line)), count = 0;
    for (unsigned long i = 0; i < record->Count; ++i) {
        EntryAt(record, i, &Entry);
        if (!Keep[i] && Entry.Kind != RecordTitle && !(Entry.Kind == RecordDir && Entry.Flag))
            continue;
        RecordCursor cursor = {record->Text, record->Length, record->Starts[i]};
        const char *text;
        size_t size;
        if (!NextRecordLine(&cursor, &text, &size, 0)) continue;
        fwrite(text, 1, size + 2, file);  // with its CR LF
        crc = UpdateCrc32(crc, text, size + 2);
        ++count;
    }
    FormatRecordEnd(count, crc, line, sizeof line);
    fputs(line, file);
    bool whole = fflush(file) == 0 && !ferror(file);
    if (fclose(file) != 0) whole = false;
    if (!whole || !(IsWindows95Family() ? (DeleteFileA(path), MoveFileA(written, path))
                                        : MoveFileExA(written, path, MOVEFILE_REPLACE_EXISTING))) {
        DeleteFileA(written);
        return;
    }
    // The rewritten record takes the old one's place among the digests, so
    // that the second run trusts it as the first did this one.
    if (!RecordTrust) return;
    size_t length;
    char *text = ReadWholeFile(path, RecordFileLimit, &length);
    if (!text) return;
    char oldHex[Sha256HexSize], newHex[Sha256HexSize];
    RecordDigest(record->Text, record->Length, oldHex);
    RecordDigest(text, length, newHex);
    free(text);
    StoreRecordDigest(newHex, oldHex, Program.ProductTitle);
}

// A setting of the record, removed as far as its digest vouches for it: by
// the machine's key every value, by the user's own key only the user's.
static void RemoveRecordedSetting(const RecordEntry *entry)
{
    if (RecordTrust == RecordVouchMachine ||
        (RecordTrust == RecordVouchUser && entry->Kind == RecordReg && entry->Root == 1)) {
        if (entry->Kind == RecordIni) RemoveRecordedIni(entry);
        else RemoveRecordedValue(entry);
    } else {
        NoteUntrustedSetting(entry->Kind == RecordIni ? "win.ini" : "Registry", entry->Text,
                             entry->Name);
    }
}



void RemoveByRecord(const RecordText *record)
{
    char longTemp[MAX_PATH];
    LongForm(TempDir, longTemp, sizeof longTemp);
    Keep = (bool *)calloc(record->Count + 1, sizeof *Keep);
    IndexRecordPaths(record);
    FindOtherRecords(record);
    RemoveRecordedGroups(record, &Entry);
    ShowRemovingFiles();
    // A record no digest vouches for is trusted as a log is: its files only
    // when the user agrees.
    bool files = RecordTrust || AgreeToRemoveFiles();
    for (unsigned long i = record->Count; i-- > 0;) {
        EntryAt(record, i, &Entry);
        unsigned long inUse = FilesLeftInUse();
        switch (Entry.Kind) {
        case RecordIni:
        case RecordReg:
            if (IsProgramListValue(&Entry)) continue;
            RemoveRecordedSetting(&Entry);
            break;
        case RecordFile:
            if (!files)
                NoteKeptAsAsked(Entry.Text);
            // A counted file goes with its count.
            else if (FindRecordedPath(record, RecordShared, Entry.Text, &Other) < 0)
                RemoveRecordedFile(&Entry, longTemp);
            break;
        case RecordShared:
            if (!files)
                NoteKeptAsAsked(Entry.Text);
            else
                RemoveRecordedShared(record, &Entry);
            break;
        default: continue;
        }
        if (FilesLeftInUse() != inUse) KeepInRecord(i);
        StepProgress();
    }
    // The entry in the list of programs goes last, once nothing is left.
    for (unsigned long i = record->Count; i-- > 0;) {
        EntryAt(record, i, &Entry);
        if (!IsProgramListValue(&Entry)) continue;
        if (FilesLeftInUse())
            KeepInRecord(i);
        else
            RemoveRecordedSetting(&Entry);
        StepProgress();
    }
    FreeRecordPaths();
    bool inUse = FilesLeftInUse() != 0;
    if (inUse && Keep) RewriteRecord(record);
    free(Keep);
    Keep = 0;
    RemoveOwnFiles();
    if (RecordTrust && !inUse) {
        char hex[Sha256HexSize];
        RecordDigest(record->Text, record->Length, hex);
        DeleteRecordDigest(RecordTrust, hex, Program.ProductTitle);
    }
    ShowRemovingDirectories();
    RemoveRecordedDirectories(record, &Entry);
}
