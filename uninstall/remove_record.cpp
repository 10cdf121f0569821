// Removal from the install record: the record loaded and checked, and the
// walk over its entries. Each entry is judged by record_rules.h from what
// stands there now, in the remove_*.cpp of its kind.
#include "record_removal.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "in_use.h"
#include "removal.h"
#include "remover_paths.h"
#include "report.h"
#include "core/crc32.h"
#include "core/text.h"
#include "win32/platform.h"
#include "win32/program_state.h"
#include "win32/system_dirs.h"
#include "win32/whole_file.h"

// One entry at a time; each is too large for a small stack.
static RecordEntry Entry, Other;
// The entries a second run needs: files left in use, and what goes after them.
static bool *Keep;

static void RecordPath(char *path, size_t capacity)
{
    JoinPath(path, capacity, InstallDir, InstallRecordName);
}

RecordLoad LoadRecord(RecordText *record)
{
    memset(record, 0, sizeof *record);
    char path[MAX_PATH];
    RecordPath(path, sizeof path);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return RecordNone;
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

void KeepInRecord(unsigned long index)
{
    if (Keep) Keep[index] = true;
}

// A value of the product's entry in the list of programs.
static bool IsProgramListValue(const RecordEntry *entry)
{
    static const char Key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    return entry->Kind == RecordReg && SameFoldedRange(entry->Text, Key, sizeof Key - 1);
}

// What is left goes back into the record, which stays for a second run: the
// title, the directories made (they go once empty), the files in use and
// the entry in the list of programs. Written beside it and moved over it.
static void RewriteRecord(const RecordText *record)
{
    char path[MAX_PATH], written[MAX_PATH], line[64];
    RecordPath(path, sizeof path);
    if (!JoinPath(written, sizeof written, InstallDir, "~" InstallRecordName)) return;
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
                                        : MoveFileExA(written, path, MOVEFILE_REPLACE_EXISTING)))
        DeleteFileA(written);
}

void RemoveByRecord(const RecordText *record)
{
    char longTemp[MAX_PATH];
    LongForm(TempDir, longTemp, sizeof longTemp);
    Keep = (bool *)calloc(record->Count + 1, sizeof *Keep);
    IndexRecordPaths(record);
    RemoveRecordedGroups(record, &Entry);
    ShowStatus("Removing settings and files...");
    for (unsigned long i = record->Count; i-- > 0;) {
        EntryAt(record, i, &Entry);
        unsigned long inUse = FilesLeftInUse();
        switch (Entry.Kind) {
        case RecordIni: RemoveRecordedIni(&Entry); break;
        case RecordReg:
            if (IsProgramListValue(&Entry)) continue;
            RemoveRecordedValue(&Entry);
            break;
        case RecordFile:
            // A counted file goes with its count.
            if (FindRecordedPath(record, RecordShared, Entry.Text, &Other) < 0)
                RemoveRecordedFile(&Entry, longTemp);
            break;
        case RecordShared: RemoveRecordedShared(record, &Entry); break;
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
            RemoveRecordedValue(&Entry);
        StepProgress();
    }
    FreeRecordPaths();
    if (FilesLeftInUse() && Keep) RewriteRecord(record);
    free(Keep);
    Keep = 0;
    RemoveOwnFiles();
    ShowStatus("Removing directories...");
    RemoveRecordedDirectories(record, &Entry);
}
