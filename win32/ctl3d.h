// The 3D-controls library, bound at run time so that the program runs where
// it is missing; every call is then skipped.
#pragma once

#include <windows.h>

// Ctl3dSubclassDlgEx: draw every control type three-dimensionally.
#define CTL3D_ALL 0xFFFF

void BindCtl3d(const char *libraryPath);  // loads it once; a failure leaves it unbound
bool Ctl3dBound();
void CallCtl3dRegister(HINSTANCE instance);
void CallCtl3dAutoSubclass(HINSTANCE instance);
void CallCtl3dEnabled();
void CallCtl3dSubclassDlgEx(HWND dialog, DWORD flags);
void CallCtl3dUnregister(HINSTANCE instance);
