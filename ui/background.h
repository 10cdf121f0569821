// The maximised dark-blue window behind every dialog, with the product title.
#pragma once

#include <windows.h>

#define MainWindowClass "Setup_KEL_window"
enum { BackgroundColour = 0x00821E1E, TitleColour = 0x00C8C8FF, MainIconId = 1 };

void RegisterMainWindowClass(HINSTANCE instance);  // ends the process with 0 on failure
HFONT CreateTitleFont();
// Creates BackgroundWindow, shows it maximised and paints it at once.
void CreateBackgroundWindow();
void PaintBackground();
extern "C" __declspec(dllexport) LRESULT CALLBACK KelWndProc(HWND window, UINT message,
                                                            WPARAM wParam, LPARAM lParam);
