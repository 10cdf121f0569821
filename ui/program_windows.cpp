#include "program_windows.h"

#include <commctrl.h>

#include "background.h"
#include "dialogs.h"
#include "../engine/setup_state.h"

void StartProgramWindows(HINSTANCE instance)
{
    Setup.Instance = instance;
    RegisterMainWindowClass(instance);
    Setup.TitleFont = CreateTitleFont();
    InitCommonControls();
}

void SetProgressRange(unsigned long upper)
{
    if (upper <= MAXWORD)  // PBM_SETRANGE takes 16-bit bounds
        SendMessageA(Setup.ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
    else
        SendMessageA(Setup.ProgressBar, PBM_SETRANGE32, 0, (LPARAM)upper);
}

void OpenProgressDialog(unsigned long upper)
{
    Setup.CurrentDialog = CreateDialogParamA(Setup.Instance, MAKEINTRESOURCEA(ProgressDialogTemplate),
                                             Setup.BackgroundWindow, DlgViewSetup, 0);
    Setup.ProgressBar = Setup.CurrentDialog ? GetDlgItem(Setup.CurrentDialog, IdProgressBar) : 0;
    if (Setup.ProgressBar) SetProgressRange(upper);
}

void CloseCurrentDialog()
{
    if (Setup.CurrentDialog) DestroyWindow(Setup.CurrentDialog);
    Setup.CurrentDialog = 0;
    Setup.ProgressBar = 0;
}

void CloseProgramWindows()
{
    CloseCurrentDialog();
    if (Setup.BackgroundWindow) DestroyWindow(Setup.BackgroundWindow);
    Setup.BackgroundWindow = 0;
    DeleteObject(Setup.TitleFont);
    Setup.TitleFont = 0;
}
