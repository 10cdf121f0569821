#include "directory_page.h"

#include <shellapi.h>
#include <string.h>

#include "win32/dialogs.h"
#include "core/display_path.h"
#include "page_state.h"
#include "core/text.h"

// What the user may type and what "Next >" reads back: at most 249 characters.
enum { EditReadLimit = 250, SelectLimit = 255 };

LONG GetFreeSpaceKb(const char *root)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return 0;
    return FreeKbFromGeometry(sectorsPerCluster, bytesPerSector, freeClusters);
}

// The shell's display name of a path prefix.
static bool ShellDisplayName(void *, const char *prefix, char *name, size_t capacity)
{
    SHFILEINFOA info;
    memset(&info, 0, sizeof info);
    if (!SHGetFileInfoA(prefix, 0, &info, sizeof info, SHGFI_DISPLAYNAME)) return false;
    return CopyText(name, capacity, info.szDisplayName);
}

bool MakeDisplayPath(char *path)
{
    return MakeDisplayPathWith(path, ShellDisplayName, 0);
}

// Cuts the path after its third character, never inside one.
static void CutAfterRoot(char *path) { path[DriveRootSize(path)] = 0; }

// Shows the free space of the root that the text starts with; text is scratch.
static void ShowAvailable(HWND window, char *text, size_t capacity)
{
    CutAfterRoot(text);
    Pages.AvailableKb = GetFreeSpaceKb(text);
    FormatText(text, capacity, "%ld Kb", (long)Pages.AvailableKb);
    SetDlgItemTextA(window, IdAvailableSpace, text);
}

static INT_PTR InitPage(HWND window)
{
    char work[MAX_PATH];
    CopyText(work, sizeof work, Pages.EditText);
    SetDlgItemTextA(window, IdPageText, Pages.PageText);
    CutAfterRoot(Pages.EditText);
    Pages.AvailableKb = GetFreeSpaceKb(Pages.EditText);
    DlgDirListA(window, Pages.EditText, IdList, IdMainText, DirectoryListFlags);
    FormatText(Pages.EditText, sizeof Pages.EditText, "%ld Kb", (long)Pages.AvailableKb);
    SetDlgItemTextA(window, IdAvailableSpace, Pages.EditText);
    FormatText(Pages.EditText, sizeof Pages.EditText, "%d Kb", (int)Pages.SizeInst);
    SetDlgItemTextA(window, IdRequiredSpace, Pages.EditText);
    SetDlgItemTextA(window, IdMainText, work);
    // The driver takes the directory from EditText; keep the proposal there too.
    CopyText(Pages.EditText, sizeof Pages.EditText, work);
    return 1;
}

static INT_PTR Next(HWND window)
{
    char work[MAX_PATH];
    GetDlgItemTextA(window, IdMainText, Pages.EditText, EditReadLimit);
    CopyText(work, sizeof work, Pages.EditText);
    ShowAvailable(window, work, sizeof work);
    if (Pages.AvailableKb > Pages.SizeInst) return EndPage(window, PageGoOn);
    return 1;  // too little room: the refreshed figure is the only sign
}

static INT_PTR EnterSelection(HWND window)
{
    char work[MAX_PATH];
    // Without a selection there is nothing to enter; everything stays as it was.
    if (SendDlgItemMessageA(window, IdList, LB_GETCURSEL, 0, 0) == LB_ERR) return 1;
    work[0] = 0;
    DlgDirSelectExA(window, work, SelectLimit, IdList);
    if (!work[0]) return 1;
    // A drive without a medium cannot be listed: keep the list and the proposal.
    if (!DlgDirListA(window, work, IdList, IdMainText, DirectoryListFlags)) return 1;
    GetDlgItemTextA(window, IdMainText, work, EditReadLimit);
    // A proposal that would not fit keeps the plain current path that the
    // listing wrote into the edit box, so nothing cut is ever proposed.
    if (MakeDisplayPath(work)) {
        char proposal[EditTextSize];
        if (FormatProposal(proposal, EditReadLimit, work, Pages.ProductTitle)) {
            CopyText(Pages.EditText, sizeof Pages.EditText, proposal);
            SetDlgItemTextA(window, IdMainText, Pages.EditText);
        }
    }
    ShowAvailable(window, work, sizeof work);
    return 1;
}

INT_PTR CALLBACK DirectoryPageProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitPage(window);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IdNext: return Next(window);
        case IdCancel: return EndPage(window, PageCancelled);
        case IdList: return HIWORD(wParam) == LBN_DBLCLK ? EnterSelection(window) : 1;
        }
        return 0;
    }
    return 0;
}
