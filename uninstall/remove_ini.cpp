// win.ini entries.
#include "removal.h"

#include <windows.h>
#include <string.h>

#include "report.h"
#include "core/uninstall_text.h"

void RemoveIniEntry(const LogRecord *record)
{
    const char *file = strrchr(record->Text, '\\');
    file = file ? file + 1 : record->Text;
    if (lstrcmpiA(file, "win.ini") != 0) {
        NoteLeft("%s [%s] %s: not the win.ini", record->Text, record->Section, record->Name);
        return;
    }
    // A control character is no value of a profile: it marks a missing entry.
    char current[LogFieldSize + 2], logged[LogFieldSize];
    GetProfileStringA(record->Section, record->Name, "\x01", current, sizeof current);
    ProfileValueForm(record->Value, logged, sizeof logged);
    if (strcmp(current, "\x01") == 0) {
        NoteGone("win.ini [%s] %s", record->Section, record->Name);
        return;
    }
    if (strcmp(current, logged) != 0) {
        NoteLeft("win.ini [%s] %s: changed since the installation", record->Section,
                 record->Name);
        return;
    }
    WriteProfileStringA(record->Section, record->Name, 0);
    NoteRemoved("win.ini [%s] %s", record->Section, record->Name);
    // A section left without entries goes too.
    char keys[8];
    if (GetProfileStringA(record->Section, 0, "", keys, sizeof keys) == 0)
        WriteProfileStringA(record->Section, 0, 0);
}
