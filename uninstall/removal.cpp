#include "removal.h"

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

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

void RemoveAll(const LogText *log)
{
    LogRecord *record = (LogRecord *)malloc(sizeof(LogRecord));
    if (!record) return;
    RemoveGroups(log);
    ShowStatus("Removing settings and files...");
    for (int i = log->Count - 1; i >= 0; --i) {
        RecordAt(log, i, record);
        switch (record->Kind) {
        case LogRecordIni: RemoveIniEntry(record); break;
        case LogRecordRegistry: RemoveRegistryValue(record); break;
        case LogRecordFileCopy: RemoveFile(record->Text); break;
        default: continue;
        }
        StepProgress();
    }
    RemoveOwnFiles();
    ShowStatus("Removing directories...");
    RemoveDirectories(log, record);
    free(record);
}
