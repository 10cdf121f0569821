#include "log_text.h"

#include <windows.h>
#include <stdlib.h>

#include "record_removal.h"
#include "win32/program_state.h"
#include "core/text.h"
#include "win32/whole_file.h"

#include "remover_paths.h"
#include "report.h"
#include "uninstall.h"

char *LoadLog(size_t *length)
{
    if (GetFileAttributesA(LogPath) == INVALID_FILE_ATTRIBUTES) {
        ShowMessage(NoLogText, MB_ICONSTOP);
        return 0;
    }
    char *text = ReadWholeFile(LogPath, LogSizeLimit, length);
    if (!text || !IsInstallLog(text, *length)) {
        free(text);
        ShowMessage(NotLogText, MB_ICONSTOP);
        return 0;
    }
    return text;
}

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

bool LoadIndexedLog(LogText *log)
{
    log->Text = LoadLog(&log->Length);
    if (!log->Text) return false;
    if (!IndexLog(log)) {
        free(log->Text);
        log->Text = 0;
        return false;
    }
    LogRecord *record = (LogRecord *)malloc(sizeof(LogRecord));
    for (int i = 0; record && i < log->Count; ++i) {
        RecordAt(log, i, record);
        if (record->Kind != LogRecordTitle) continue;
        CopyText(Program.ProductTitle, sizeof Program.ProductTitle, record->Text);
        break;
    }
    free(record);
    return true;
}

bool CheckInstallation()
{
    RecordText record;
    RecordLoad loaded = LoadRecord(&record);
    FreeRecord(&record);
    if (loaded != RecordNone) return loaded == RecordUsable;
    size_t length = 0;
    char *text = LoadLog(&length);
    free(text);
    return text != 0;
}
