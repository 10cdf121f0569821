// win.ini entries, named by install.log or by the install record.
#include "removal.h"
#include "record_removal.h"

#include <windows.h>
#include <string.h>

#include "report.h"
#include "core/record_rules.h"
#include "core/text.h"
#include "core/uninstall_text.h"

// A control character is no value of a profile: it marks a missing entry.
#define MissingEntryMark "\x01"

// What the entry holds now against the value the setup wrote.
static ValueNow EntryNow(const char *section, const char *name, const char *value)
{
    char current[RecordDataSize + 2], written[RecordTextSize];
    GetProfileStringA(section, name, MissingEntryMark, current, sizeof current);
    ProfileValueForm(value, written, sizeof written);
    return strcmp(current, MissingEntryMark) == 0 ? ValueMissing
           : strcmp(current, written) == 0        ? ValueAsWritten
                                                  : ValueChanged;
}

static void RemoveEntry(const char *section, const char *name)
{
    WriteProfileStringA(section, name, 0);
    // A section left without entries goes too.
    char keys[8];
    if (GetProfileStringA(section, 0, "", keys, sizeof keys) == 0)
        WriteProfileStringA(section, 0, 0);
}

void RemoveIniEntry(const LogRecord *record)
{
    const char *file = FindLastChar(record->Text, '\\');
    file = file ? file + 1 : record->Text;
    if (lstrcmpiA(file, "win.ini") != 0) {
        NoteLeft("%s [%s] %s: not the win.ini", record->Text, record->Section, record->Name);
        return;
    }
    char shown[2 * LogFieldSize + 16];
    FormatText(shown, sizeof shown, "win.ini [%s] %s", record->Section, record->Name);
    ValueNow now = EntryNow(record->Section, record->Name, record->Value);
    if (now == ValueAsWritten) RemoveEntry(record->Section, record->Name);
    NoteValue(now == ValueMissing ? ValueGoneAlready : now == ValueChanged ? ValueKeptChanged
                                                                          : ValueRemove,
              true, shown);
}

void RemoveRecordedIni(const RecordEntry *entry)
{
    char shown[2 * RecordTextSize + 16];
    FormatText(shown, sizeof shown, "win.ini [%s] %s", entry->Text, entry->Name);
    ValueFate fate = DecideValue(entry, EntryNow(entry->Text, entry->Name, entry->Value));
    if (fate == ValueRemove) RemoveEntry(entry->Text, entry->Name);
    if (fate == ValueRestore)
        WriteProfileStringA(entry->Text, entry->Name, (const char *)entry->PriorData);
    NoteValue(fate, true, shown);
}
