#include "removal.h"

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include "other_records.h"
#include "record_removal.h"
#include "report.h"
#include "remover_paths.h"
#include "uninstall.h"
#include "win32/program_state.h"
#include "win32/dialogs.h"

void StepProgress()
{
    if (Program.ProgressBar) SendMessageA(Program.ProgressBar, PBM_STEPIT, 0, 0);
    PumpMessages(Program.CurrentDialog);
}

void ShowStatus(const char *text)
{
    if (Program.CurrentDialog) SetDlgItemTextA(Program.CurrentDialog, IdMainText, text);
    PumpMessages(Program.CurrentDialog);
}

void ShowRemovingFiles() { ShowStatus("Removing settings and files..."); }

void ShowRemovingDirectories() { ShowStatus("Removing directories..."); }

void NoteKeptAsAsked(const char *path) { NoteLeft("File %s: kept, as asked", path); }

bool AgreeToRemoveFiles()
{
    return AskUser(Program.BackgroundWindow, UntrustedFilesText, MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

void NoteUntrustedSetting(const char *kind, const char *where, const char *name)
{
    NoteLeft("%s [%s] \"%s\": named only by a log or a record no registry key vouches for, "
             "so left as it is", kind, where, name);
}

void RemoveAll(const LogText *log)
{
    LogRecord *record = (LogRecord *)malloc(sizeof(LogRecord));
    if (!record) return;
    AddOtherRecordsAbove(InstallDir, RecordPath);
    RemoveGroups(log);
    ShowRemovingFiles();
    // Anyone who can write the install directory can write the log: it
    // decides no setting, and its files go only when the user agrees.
    bool files = AgreeToRemoveFiles();
    for (int i = log->Count - 1; i >= 0; --i) {
        RecordAt(log, i, record);
        switch (record->Kind) {
        case LogRecordIni: NoteUntrustedSetting("win.ini", record->Section, record->Name); break;
        case LogRecordRegistry: NoteUntrustedSetting("Registry", record->Text, record->Name); break;
        case LogRecordFileCopy:
            if (files) RemoveFile(record->Text);
            else NoteKeptAsAsked(record->Text);
            break;
        default: continue;
        }
        StepProgress();
    }
    RemoveOwnFiles();
    ShowRemovingDirectories();
    RemoveDirectories(log, record);
    free(record);
}
