// The program groups: one conversation with the shell takes them all away.
#include "removal.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "report.h"
#include "uninstall.h"
#include "core/uninstall_text.h"
#include "core/group_text.h"
#include "win32/program_state.h"
#include "win32/dde_client.h"

void RemoveGroups(const LogText *log)
{
    LogRecord *icons = (LogRecord *)malloc(sizeof(LogRecord) * MaxIcons);
    if (!icons) return;
    int count = 0;
    for (int i = log->Count - 1; i >= 0 && count < MaxIcons; --i) {
        RecordAt(log, i, &icons[count]);
        if (icons[count].Kind == LogRecordIcon) ++count;
    }
    if (count == 0) {
        free(icons);
        return;
    }
    ShowStatus("Removing the program group...");
    HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, GroupCommandTextSize);
    char *text = commands ? (char *)GlobalLock(commands) : 0;
    bool built = text && BuildGroupRemovalText(icons, count, text, GroupCommandTextSize);
    if (text) GlobalUnlock(commands);
    DdeAnswer answer = DdeNoAnswer;
    if (built && Program.CurrentDialog) HoldDdeConversation(Program.CurrentDialog, commands, &answer);
    if (commands) GlobalFree(commands);

    for (int i = 0; i < count; ++i) {
        bool seen = false;
        for (int j = 0; j < i && !seen; ++j) seen = strcmp(icons[j].Text, icons[i].Text) == 0;
        if (seen) continue;
        if (!built)
            NoteLeft("Program group \"%s\": too many items to name to the shell", icons[i].Text);
        else if (!Program.DdePartner)
            NoteLeft("Program group \"%s\": no shell answered", icons[i].Text);
        else if (answer == DdeDone)
            NoteRemoved("Program group \"%s\"", icons[i].Text);
        else if (answer == DdeRefused)
            NoteLeft("Program group \"%s\": the shell did not remove all of it (it may hold "
                     "items of other programs)",
                     icons[i].Text);
        else
            NoteLeft("Program group \"%s\": the shell did not answer", icons[i].Text);
    }
    Program.DdeWaiting = 0;
    free(icons);
}
