#include "report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "uninstall.h"
#include "win32/program_state.h"
#include "win32/system_dirs.h"
#include "core/record_rules.h"
#include "core/text.h"

// The report, in three parts, and how many entries each has.
static char Removed[ReportSize], Restored[ReportSize], Left[ReportSize], Gone[ReportSize];
static int RemovedCount, RestoredCount, LeftCount, GoneCount;

static void Note(char *part, int *count, const char *format, va_list args)
{
    char line[1024];
    FormatTextV(line, sizeof line, format, args);
    AppendText(part, ReportSize, "  ");
    AppendText(part, ReportSize, line);
    AppendText(part, ReportSize, "\n");
    ++*count;
}

void NoteRemoved(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Note(Removed, &RemovedCount, format, args);
    va_end(args);
}

void NoteLeft(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Note(Left, &LeftCount, format, args);
    va_end(args);
}

void NoteRestored(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Note(Restored, &RestoredCount, format, args);
    va_end(args);
}

void NoteGone(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Note(Gone, &GoneCount, format, args);
    va_end(args);
}

void NoteValue(int fate, bool done, const char *shown)
{
    switch (fate) {
    case ValueRemove:
        if (done) NoteRemoved("%s", shown);
        else NoteLeft("%s: could not be deleted", shown);
        break;
    case ValueRestore:
        if (done) NoteRestored("%s: what it held before the installation", shown);
        else NoteLeft("%s: what it held before could not be put back", shown);
        break;
    case ValueGoneAlready: NoteGone("%s", shown); break;
    case ValueKeptChanged: NoteLeft("%s: changed since the installation", shown); break;
    default: NoteLeft("%s: what it held before was too large to keep", shown); break;
    }
}

int AskUser(HWND owner, const char *text, UINT type)
{
    return MessageBoxA(owner, text, UninstallCaption, type);
}

void ShowMessage(const char *text, UINT icon)
{
    AskUser(Program.BackgroundWindow, text, MB_OK | icon);
}

void WriteReport(char *text, size_t capacity)
{
    if (RestoredCount)
        FormatText(text, capacity, "Uninstall of %s: %d removed, %d restored, %d left in place.\n",
                   Program.ProductTitle, RemovedCount, RestoredCount, LeftCount);
    else
        FormatText(text, capacity, "Uninstall of %s: %d removed, %d left in place.\n",
                   Program.ProductTitle, RemovedCount, LeftCount);
    if (LeftCount) {
        AppendText(text, capacity, "\nLeft in place:\n");
        AppendText(text, capacity, Left);
    }
    if (RemovedCount) {
        AppendText(text, capacity, "\nRemoved:\n");
        AppendText(text, capacity, Removed);
    }
    if (RestoredCount) {
        AppendText(text, capacity, "\nPut back as before the installation:\n");
        AppendText(text, capacity, Restored);
    }
    if (GoneCount) {
        AppendText(text, capacity, "\nAlready gone before the removal:\n");
        AppendText(text, capacity, Gone);
    }
}

void ShowReport()
{
    static char text[4 * ReportSize + 256];
    WriteReport(text, sizeof text);
    char path[MAX_PATH] = "";
    if (JoinPath(path, sizeof path, TempDir, UninstallLogName)) {
        FILE *file = fopen(path, "wt");
        if (file) {
            fputs(text, file);
            fclose(file);
        }
    }
    if (strlen(text) > MessageTextLimit) {
        text[MessageTextLimit] = 0;
        char *lineEnd = strrchr(text, '\n');
        if (lineEnd) lineEnd[1] = 0;
        AppendText(text, sizeof text, "...\nThe whole list is in ");
        AppendText(text, sizeof text, path);
    }
    ShowMessage(text, MB_ICONINFORMATION);
}
