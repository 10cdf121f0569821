#include "group_page.h"

#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

#include "win32/dialogs.h"
#include "core/display_path.h"
#include "core/group_text.h"
#include "core/paths.h"
#include "page_state.h"
#include "win32/registry_read.h"
#include "core/text.h"

enum { GroupReadLimit = 250 };

void FillProgramGroups(HINSTANCE instance, HWND listBox, const char *folder)
{
    if (!folder || !folder[0]) return;
    char pattern[MAX_PATH];
    DWORD got = GetShortPathNameA(folder, pattern, ShortPathLimit);
    if (got == 0 || got >= ShortPathLimit) return;  // no such folder: an empty list
    if (!AppendText(pattern, sizeof pattern, "\\*.*")) return;

    // A hidden receiver for the platform's directory listing.
    HWND hidden = CreateWindowExA(0, "LISTBOX", 0, 0, 0, 0, 0, 0, 0, 0, instance, 0);
    if (!hidden) return;
    SendMessageA(hidden, LB_DIR, DDL_DIRECTORY, (LPARAM)pattern);
    LRESULT count = SendMessageA(hidden, LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; index++) {
        char entry[MAX_PATH], path[MAX_PATH];
        LRESULT length = SendMessageA(hidden, LB_GETTEXTLEN, index, 0);
        if (length == LB_ERR || length >= (LRESULT)sizeof entry) continue;
        SendMessageA(hidden, LB_GETTEXT, index, (LPARAM)entry);
        if (!DirectoryEntryName(entry)) continue;
        if (!FormatText(path, sizeof path, "%s%s", folder, entry)) continue;
        SHFILEINFOA info;
        memset(&info, 0, sizeof info);
        bool named = SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME) &&
                     info.szDisplayName[0];
        SendMessageA(listBox, LB_ADDSTRING, 0, (LPARAM)(named ? info.szDisplayName : entry + 1));
    }
    DestroyWindow(hidden);
}

static INT_PTR InitPage(HWND window)
{
    char work[MAX_PATH];
    SetDlgItemTextA(window, IdPageText, Pages.PageText);
    SetDlgItemTextA(window, IdMainText, Pages.EditText);
    ReadProgramsFolder(work, sizeof work);
    FillProgramGroups(Pages.Instance, GetDlgItem(window, IdList), work);
    return 1;
}

static INT_PTR PickGroup(HWND window)
{
    char work[MAX_PATH];
    LRESULT index = SendDlgItemMessageA(window, IdList, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return 1;  // nothing picked: the edit box keeps its text
    LRESULT length = SendDlgItemMessageA(window, IdList, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= (LRESULT)sizeof work) return 1;
    SendDlgItemMessageA(window, IdList, LB_GETTEXT, index, (LPARAM)work);
    SetDlgItemTextA(window, IdMainText, work);
    return 1;
}

// The name becomes a folder and the argument of the shell's commands: one
// that cannot be either is refused, and the page stays.
static INT_PTR AcceptName(HWND window)
{
    GetDlgItemTextA(window, IdMainText, Pages.EditText, GroupReadLimit);
    if (IsGroupFolderName(Pages.EditText)) return EndPage(window, PageGoOn);
    MessageBoxA(window, "A group name cannot contain any of these characters:\n\\ / : * ? \" < > |",
                "Setup", MB_OK | MB_ICONEXCLAMATION);
    return 1;
}

INT_PTR CALLBACK GroupPageProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitPage(window);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IdNext: return AcceptName(window);
        case IdCancel: return EndPage(window, PageCancelled);
        case IdList: return HIWORD(wParam) == LBN_DBLCLK ? PickGroup(window) : 1;
        }
        return 0;
    }
    return 0;
}
