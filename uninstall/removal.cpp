#include "removal.h"

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include "engine/setup_state.h"
#include "engine/transfer.h"
#include "ui/dialogs.h"

void StepProgress()
{
    if (Setup.ProgressBar) SendMessageA(Setup.ProgressBar, PBM_STEPIT, 0, 0);
    PumpMessages(Setup.CurrentDialog);
}

void ShowStatus(const char *text)
{
    if (Setup.CurrentDialog) SetDlgItemTextA(Setup.CurrentDialog, IdMainText, text);
    PumpMessages(Setup.CurrentDialog);
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
