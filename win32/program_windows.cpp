#include "program_windows.h"

#include <commctrl.h>

#include "background.h"
#include "dialogs.h"
#include "program_state.h"

void StartProgramWindows(HINSTANCE instance)
{
    Program.Instance = instance;
    Program.DdeWaiting = 1;
    RegisterMainWindowClass(instance);
    Program.TitleFont = CreateTitleFont();
    InitCommonControls();
}

void SetProgressRange(unsigned long upper)
{
    if (upper <= MAXWORD)  // PBM_SETRANGE takes 16-bit bounds
        SendMessageA(Program.ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
    else
        SendMessageA(Program.ProgressBar, PBM_SETRANGE32, 0, (LPARAM)upper);
}

void OpenProgressDialog(unsigned long upper)
{
    Program.CurrentDialog = CreateDialogParamA(Program.Instance, MAKEINTRESOURCEA(ProgressDialogTemplate),
                                             Program.BackgroundWindow, DlgViewSetup, 0);
    Program.ProgressBar = Program.CurrentDialog ? GetDlgItem(Program.CurrentDialog, IdProgressBar) : 0;
    if (Program.ProgressBar) SetProgressRange(upper);
}

void CloseCurrentDialog()
{
    if (Program.CurrentDialog) DestroyWindow(Program.CurrentDialog);
    Program.CurrentDialog = 0;
    Program.ProgressBar = 0;
}

void CloseProgramWindows()
{
    CloseCurrentDialog();
    if (Program.BackgroundWindow) DestroyWindow(Program.BackgroundWindow);
    Program.BackgroundWindow = 0;
}

void DeleteTitleFont()
{
    DeleteObject(Program.TitleFont);
    Program.TitleFont = 0;
}
