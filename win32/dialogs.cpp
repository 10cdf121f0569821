#include "dialogs.h"

#include <dde.h>

#include "dde_client.h"
#include "ctl3d.h"
#include "program_state.h"
#include "core/text.h"

extern "C" INT_PTR CALLBACK MainDlgFunc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Program.CurrentDialog = window;
        Program.DialogShown = 1;
        CallCtl3dSubclassDlgEx(window, CTL3D_ALL);
    }
    return Program.PageHandler ? Program.PageHandler(window, message, wParam, lParam) : 0;
}

INT_PTR EndPage(HWND window, LONG result)
{
    Program.PageResult = result;
    EndDialog(window, 0);
    Program.CurrentDialog = 0;
    return 1;
}

INT_PTR CALLBACK WelcomePageProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(window, IdMainText, Program.PageText);
        return 1;
    case WM_COMMAND:
        if (wParam == IdNext) return EndPage(window, PageGoOn);
        if (wParam == IdCancel) return EndPage(window, PageCancelled);
        return 0;
    }
    return 0;
}

extern "C" INT_PTR CALLBACK DlgViewSetup(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(window, IdMainText, Program.EditText);
        return 1;
    case WM_COMMAND:
        // No buttons: these come from the dialog manager's Enter and Esc.
        if (wParam == IDOK) {
            Program.PageResult = PageCancelled;
            return 1;
        }
        if (wParam == IDCANCEL) {
            Program.PageResult = PageAbort;
            return 1;
        }
        return 0;
    case WM_DDE_ACK:
        RecordDdeAck((HWND)wParam, lParam);
        return 1;
    }
    return 0;
}

LONG RunPage(int templateId, DLGPROC handler)
{
    // Only the page's own Next makes it go on: a page that cannot be shown,
    // or that ends in any other way, reads as Cancel.
    Program.PageResult = PageCancelled;
    if (Program.CloseRequested) return PageCancelled;
    Program.PageHandler = handler;
    INT_PTR shown = DialogBoxParamA(Program.Instance, MAKEINTRESOURCEA(templateId),
                                    Program.BackgroundWindow, MainDlgFunc, 0);
    Program.CurrentDialog = 0;
    if (shown == -1 || Program.CloseRequested) Program.PageResult = PageCancelled;
    return Program.PageResult;
}

void FormatPageText(char *dest, size_t capacity, const char *format, const char *title)
{
    // A long title cuts the text at the buffer's end rather than overrunning it.
    FormatText(dest, capacity, format, title, title);
}
