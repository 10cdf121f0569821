#include "group.h"

#include <string.h>

#include "fileops.h"
#include "install_log.h"
#include "core/log_format.h"
#include "registry.h"
#include "run_record.h"
#include "script.h"
#include "setup_state.h"
#include "core/text.h"
#include "win32/dde_client.h"
#include "win32/dialogs.h"
#include "ui/group_page.h"

struct GroupTextContext {
    FILE *Log;
    const char *ShortInstallDir;
    bool GroupRecorded;
    char GroupFolder[MAX_PATH];  // where the group's items stand, empty when unknown
};

static RecordEntry GroupEntry;

// The group's folder under the user's Programs folder, as the page lists
// the groups that exist; empty when there is none to look in.
static void FindGroupFolder(const char *groupName, char *folder, size_t capacity)
{
    char programs[MAX_PATH];
    folder[0] = 0;
    if (!groupName[0] || !ReadProgramsFolder(programs, sizeof programs) ||
        !programs[0] || !JoinPath(folder, capacity, programs, groupName))
        folder[0] = 0;
}

// The record's entries for the group (at its first item, with the name as
// the shell gets it, and whether it existed) and for an item, with whether a
// link of its name stood in the group before.
static void RecordGroupItem(GroupTextContext *group, const char *groupName, const char *name)
{
    if (!RunRecordOpen()) return;
    if (!group->GroupRecorded) {
        group->GroupRecorded = true;
        FindGroupFolder(groupName, group->GroupFolder, sizeof group->GroupFolder);
        StartRecordEntry(&GroupEntry, RecordGroup);
        GroupEntry.Flag = group->GroupFolder[0] && DirectoryIsPresent(group->GroupFolder);
        RecordTextsOfRun(&GroupEntry, groupName);
    }
    StartRecordEntry(&GroupEntry, RecordItem);
    char link[MAX_PATH];
    GroupEntry.Flag = group->GroupFolder[0] &&
                      FormatText(link, sizeof link, "%s\\%s.lnk", group->GroupFolder, name) &&
                      GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES;
    RecordTextsOfRun(&GroupEntry, groupName, name);
}

static void ReadItemFromScript(void *, int n, char *text)
{
    ReadNumberedKey(KeyItem, n, text);
}

// The three "Icon" lines of an item that made it into the text.
static void LogItem(void *context, const char *groupName, const ItemEntry &item)
{
    GroupTextContext *group = (GroupTextContext *)context;
    LogLine(group->Log, LogIconGroupFormat, groupName);
    LogLine(group->Log, LogIconNameFormat, item.Name);
    LogLine(group->Log, LogIconCmdFormat, group->ShortInstallDir, item.CommandFile);
    RecordGroupItem(group, groupName, item.Name);
}

void BuildGroupCommandText(char *dest, size_t capacity, const char *groupName,
                           const char *shortInstallDir, FILE *log)
{
    GroupTextContext context;
    context.Log = log;
    context.ShortInstallDir = shortInstallDir;
    context.GroupRecorded = false;
    context.GroupFolder[0] = 0;
    BuildGroupText(dest, capacity, groupName, shortInstallDir, ReadScriptKey(KeyNumberItem),
                   ReadItemFromScript, LogItem, &context);
}

void CreateProgramGroup()
{
    ShortInstallDir(Setup.PageText, sizeof Setup.PageText, InstallPath);
    Setup.CurrentDialog = CreateDialogParamA(Setup.Instance, MAKEINTRESOURCEA(WaitDialogTemplate),
                                             Setup.BackgroundWindow, DlgViewSetup, 0);
    Setup.DdePartner = 0;
    HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, GroupCommandTextSize);
    if (!commands) return;
    char *text = (char *)GlobalLock(commands);
    if (text) {
        BuildGroupCommandText(text, GroupCommandTextSize, Setup.EditText, Setup.PageText,
                              Setup.InstallLog);
        GlobalUnlock(commands);
        // Without the wait dialog no answer could be received.
        if (Setup.CurrentDialog) HoldDdeConversation(Setup.CurrentDialog, commands);
    }
    GlobalFree(commands);
}
