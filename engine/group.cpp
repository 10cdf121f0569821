#include "group.h"

#include <string.h>

#include "install_log.h"
#include "core/log_format.h"
#include "registry.h"
#include "script.h"
#include "setup_state.h"
#include "core/text.h"
#include "../ui/dde_client.h"
#include "../ui/dialogs.h"

struct GroupTextContext {
    FILE *Log;
    const char *ShortInstallDir;
};

static void ReadItemFromScript(void *, int n, char *text)
{
    ReadNumberedKey(KeyItem, n, text);
}

// The three "Icon" lines of an item that made it into the text.
static void LogItem(void *context, const char *groupName, const ItemEntry &item)
{
    const GroupTextContext *group = (const GroupTextContext *)context;
    LogLine(group->Log, LogIconGroupFormat, groupName);
    LogLine(group->Log, LogIconNameFormat, item.Name);
    LogLine(group->Log, LogIconCmdFormat, group->ShortInstallDir, item.CommandFile);
}

void BuildGroupCommandText(char *dest, size_t capacity, const char *groupName,
                           const char *shortInstallDir, FILE *log)
{
    GroupTextContext context = {log, shortInstallDir};
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
