// The dialog framework both programs run their pages and status dialogs
// with: the shared procedure of the modal pages, the procedure of the status
// dialogs and the welcome page (PageText with Next and Cancel), with the
// message drain of message_pump.h.
#pragma once

#include <windows.h>

#include "res/resource.h"
#include "message_pump.h"

extern "C" __declspec(dllexport) INT_PTR CALLBACK MainDlgFunc(HWND window, UINT message,
                                                             WPARAM wParam, LPARAM lParam);
extern "C" __declspec(dllexport) INT_PTR CALLBACK DlgViewSetup(HWND window, UINT message,
                                                              WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WelcomePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Ends a modal page: PageResult, EndDialog, no current dialog. Returns 1.
INT_PTR EndPage(HWND page, LONG result);

// Sets PageHandler, runs the template modally owned by BackgroundWindow with
// MainDlgFunc, and returns PageResult.
LONG RunPage(int templateId, DLGPROC handler);

// Formats a page text with the product title (once or twice) into dest,
// cutting it to fit.
void FormatPageText(char *dest, size_t capacity, const char *format, const char *title);
