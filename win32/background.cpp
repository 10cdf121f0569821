#include "background.h"

#include <stdlib.h>
#include <string.h>

#include "program_state.h"
#include "core/code_page_charset.h"

void RegisterMainWindowClass(HINSTANCE instance)
{
    HBRUSH brush = CreateSolidBrush(BackgroundColour);
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = KelWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(MainIconId));
    windowClass.hbrBackground = brush;
    windowClass.lpszClassName = MainWindowClass;
    if (!RegisterClassA(&windowClass)) {
        DeleteObject(brush);
        exit(0);
    }
}

// The character set of the system's code page, so that a title in its
// script shows as written; a Western system gets ANSI_CHARSET as ever. Named
// rather than left to DEFAULT_CHARSET, with which some font mappers keep
// the Latin face's own set and show a Japanese title as Latin letters.
HFONT CreateTitleFont()
{
    return CreateFontA(GetSystemMetrics(SM_CYSCREEN) / TitleHeightDivisor, 0, 0, 0, FW_BOLD, 1, 0, 0,
                       CharsetOfCodePage(GetACP()), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
}

void CreateBackgroundWindow()
{
    Program.BackgroundWindow = CreateWindowExA(0, MainWindowClass, "Setup", WS_OVERLAPPED,
                                             WindowStartPosition, WindowStartPosition,
                                             WindowStartSize, WindowStartSize, 0, 0,
                                             Program.Instance, 0);
    if (!Program.BackgroundWindow) return;
    ShowWindow(Program.BackgroundWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(Program.BackgroundWindow);
}

void PaintBackground()
{
    PAINTSTRUCT paint;
    HDC context = BeginPaint(Program.BackgroundWindow, &paint);
    HGDIOBJ oldFont = SelectObject(context, Program.TitleFont);
    COLORREF oldColour = SetTextColor(context, TitleColour);
    int oldMode = SetBkMode(context, TRANSPARENT);
    TextOutA(context, TitleMargin, TitleMargin, Program.ProductTitle, (int)strlen(Program.ProductTitle));
    SelectObject(context, oldFont);
    SetTextColor(context, oldColour);
    SetBkMode(context, oldMode);
    EndPaint(Program.BackgroundWindow, &paint);
}

extern "C" LRESULT CALLBACK KelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SETFOCUS:
        // Keep the focus on the dialog on screen, so Esc still reaches it.
        if (Program.DialogShown) SetFocus(Program.CurrentDialog);
        break;
    case WM_PAINT:
        PaintBackground();
        break;
    case WM_CLOSE:
        // The taskbar's Close or a polite kill: the window stays (the dialogs
        // it owns would go with it), and the run ends as after Cancel or Esc
        // on whatever is on screen.
        Program.CloseRequested = 1;
        if (Program.CurrentDialog) {
            // A prompt over the dialog (a disk or a file error) is answered
            // Cancel as well.
            HWND prompt = GetLastActivePopup(Program.CurrentDialog);
            if (prompt && prompt != Program.CurrentDialog)
                PostMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(Program.CurrentDialog, WM_COMMAND, IDCANCEL, 0);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
