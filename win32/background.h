// The maximised dark-blue window behind every dialog, with the product title.
#pragma once

#include <windows.h>

#include "res/resource.h"

#define MainWindowClass "Setup_KEL_window"
enum { BackgroundColour = 0x00821E1E, TitleColour = 0x00C8C8FF };
// The window's place and size before it is shown maximised; the title's
// margin in pixels and its height as a fraction of the screen's.
enum { WindowStartPosition = 100, WindowStartSize = 100, TitleMargin = 10, TitleHeightDivisor = 10 };

void RegisterMainWindowClass(HINSTANCE instance);  // ends the process with 0 on failure
HFONT CreateTitleFont();
// Creates BackgroundWindow, shows it maximised and paints it at once.
void CreateBackgroundWindow();
void PaintBackground();
extern "C" __declspec(dllexport) LRESULT CALLBACK KelWndProc(HWND window, UINT message,
                                                            WPARAM wParam, LPARAM lParam);
