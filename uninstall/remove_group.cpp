// The program groups, named by install.log or by the install record, in
// conversations with the shell.
#include "removal.h"
#include "record_removal.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "report.h"
#include "uninstall.h"
#include "core/uninstall_text.h"
#include "core/group_text.h"
#include "core/record_rules.h"
#include "core/text.h"
#include "win32/program_state.h"
#include "win32/dde_client.h"
#include "win32/registry_read.h"

// One conversation with the shell over the command text; false when it
// could not be held. *answer receives the shell's answer.
static bool SendGroupCommands(const char *text, DdeAnswer *answer)
{
    *answer = DdeNoAnswer;
    HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, GroupCommandTextSize);
    char *block = commands ? (char *)GlobalLock(commands) : 0;
    if (block) {
        CopyText(block, GroupCommandTextSize, text);
        GlobalUnlock(commands);
    }
    bool held = block && Program.CurrentDialog;
    if (held) HoldDdeConversation(Program.CurrentDialog, commands, answer);
    if (commands) GlobalFree(commands);
    Program.DdeWaiting = 0;
    return held;
}

// Why a group or item is not named to the shell.
static const char *UnsendableReason(const char *name)
{
    return name[0] ? "its name holds a double quote or a control character, which the shell's "
                     "commands cannot carry"
                   : "it has no name to give the shell";
}

// The log's groups in one conversation with the shell.
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
    char *text = (char *)malloc(GroupCommandTextSize);
    bool built = text && BuildGroupRemovalText(icons, count, text, GroupCommandTextSize);
    DdeAnswer answer = DdeNoAnswer;
    if (built && text[0]) SendGroupCommands(text, &answer);
    free(text);

    for (int i = 0; i < count; ++i) {
        bool seen = false;
        for (int j = 0; j < i && !seen; ++j) seen = strcmp(icons[j].Text, icons[i].Text) == 0;
        if (seen) continue;
        if (!IsSendableGroupName(icons[i].Text))
            NoteLeft("Program group \"%s\": %s", icons[i].Text, UnsendableReason(icons[i].Text));
        else if (!built)
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
    free(icons);
}


static bool SameName(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }


// True when the group's folder under the user's Programs folder holds
// nothing; false also when it cannot be found.
static bool GroupFolderIsEmpty(const char *group)
{
    char programs[MAX_PATH], pattern[MAX_PATH];
    if (!ReadRegistryString(1, ShellFoldersKey, ProgramsValue, programs, sizeof programs) ||
        !programs[0] ||
        !FormatText(pattern, sizeof pattern, "%s\\%s\\*", programs, group))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool empty = true;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0) empty = false;
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

static const char *AnswerReason(DdeAnswer answer)
{
    return !Program.DdePartner      ? "no shell answered"
           : answer == DdeRefused ? "the shell did not carry out all of it"
                                  : "the shell did not answer";
}

// One group: its added items, then the group itself when the installation
// created it and nothing else is left in it.
static void RemoveRecordedGroup(const RecordText *record, const RecordEntry *group,
                                RecordEntry *entry, char (*items)[RecordTextSize],
                                const char **names, char *text)
{
    int count = 0;
    for (unsigned long i = 0; i < record->Count && count < MaxIcons; ++i) {
        EntryAt(record, i, entry);
        if (entry->Kind != RecordItem || !SameName(entry->Text, group->Text)) continue;
        if (entry->Flag) {
            NoteLeft("Program item \"%s\" in \"%s\": it stood there before the installation",
                     entry->Name, group->Text);
            continue;
        }
        if (!IsSendableGroupName(group->Text) || !IsSendableGroupName(entry->Name)) {
            NoteLeft("Program item \"%s\" in \"%s\": %s", entry->Name, group->Text,
                     UnsendableReason(IsSendableGroupName(group->Text) ? entry->Name
                                                                       : group->Text));
            continue;
        }
        CopyText(items[count], RecordTextSize, entry->Name);
        names[count] = items[count];
        ++count;
    }
    if (!IsSendableGroupName(group->Text)) {
        NoteLeft("Program group \"%s\": %s", group->Text, UnsendableReason(group->Text));
        return;
    }
    DdeAnswer answer = DdeDone;
    text[0] = 0;
    if (count > 0) {
        if (!AppendGroupRemoval(text, GroupCommandTextSize, group->Text, false, names, count)) {
            NoteLeft("Program group \"%s\": too many items to name to the shell", group->Text);
            return;
        }
        SendGroupCommands(text, &answer);
        for (int i = 0; i < count; ++i) {
            if (answer == DdeDone)
                NoteRemoved("Program item \"%s\" in \"%s\"", names[i], group->Text);
            else
                NoteLeft("Program item \"%s\" in \"%s\": %s", names[i], group->Text,
                         AnswerReason(answer));
        }
    }
    if (group->Flag) {
        NoteLeft("Program group \"%s\": it existed before the installation", group->Text);
        return;
    }
    if (!GroupFolderIsEmpty(group->Text)) {
        NoteLeft("Program group \"%s\": it holds items the installation did not add, or is "
                 "no longer there",
                 group->Text);
        return;
    }
    text[0] = 0;
    AppendGroupRemoval(text, GroupCommandTextSize, group->Text, true, 0, 0);
    SendGroupCommands(text, &answer);
    if (answer == DdeDone)
        NoteRemoved("Program group \"%s\"", group->Text);
    else
        NoteLeft("Program group \"%s\": %s", group->Text, AnswerReason(answer));
}

void RemoveRecordedGroups(const RecordText *record, RecordEntry *entry)
{
    static RecordEntry group;
    char (*items)[RecordTextSize] = (char (*)[RecordTextSize])malloc(sizeof *items * MaxIcons);
    const char **names = (const char **)malloc(sizeof *names * MaxIcons);
    char *text = (char *)malloc(GroupCommandTextSize);
    bool shown = false;
    for (unsigned long i = 0; items && names && text && i < record->Count; ++i) {
        EntryAt(record, i, &group);
        if (group.Kind != RecordGroup) continue;
        if (!shown) ShowStatus("Removing the program group...");
        shown = true;
        RemoveRecordedGroup(record, &group, entry, items, names, text);
    }
    free(text);
    free(names);
    free(items);
}
