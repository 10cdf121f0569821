// Removal from the install record: the record loaded and checked, and the
// walk over its entries. Each entry is judged by record_rules.h from what
// stands there now, in the remove_*.cpp of its kind.
#include "record_removal.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "removal.h"
#include "remover_paths.h"
#include "report.h"
#include "core/text.h"
#include "win32/program_state.h"
#include "win32/system_dirs.h"
#include "win32/whole_file.h"

// One entry at a time; each is too large for a small stack.
static RecordEntry Entry;

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

void RemoveByRecord(const RecordText *record)
{
    char longTemp[MAX_PATH];
    LongForm(TempDir, longTemp, sizeof longTemp);
    RemoveRecordedGroups(record, &Entry);
    ShowStatus("Removing settings and files...");
    for (unsigned long i = record->Count; i-- > 0;) {
        EntryAt(record, i, &Entry);
        switch (Entry.Kind) {
        case RecordIni: RemoveRecordedIni(&Entry); break;
        case RecordReg: RemoveRecordedValue(&Entry); break;
        case RecordFile: RemoveRecordedFile(&Entry, longTemp); break;
        default: continue;
        }
        StepProgress();
    }
    RemoveOwnFiles();
    ShowStatus("Removing directories...");
    RemoveRecordedDirectories(record, &Entry);
}
