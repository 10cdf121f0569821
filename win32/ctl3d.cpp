#include "ctl3d.h"

typedef BOOL(WINAPI *InstanceCall)(HINSTANCE);
typedef BOOL(WINAPI *EnabledCall)(void);
typedef BOOL(WINAPI *SubclassDlgExCall)(HWND, DWORD);

static HMODULE Library;
static InstanceCall Register, AutoSubclass, Unregister;
static EnabledCall Enabled;
static SubclassDlgExCall SubclassDlgEx;

void BindCtl3d(const char *libraryPath)
{
    if (Library) return;
    Library = LoadLibraryA(libraryPath);
    if (!Library) Library = LoadLibraryA("ctl3d32.dll");
    if (!Library) return;
    Register = (InstanceCall)(void *)GetProcAddress(Library, "Ctl3dRegister");
    AutoSubclass = (InstanceCall)(void *)GetProcAddress(Library, "Ctl3dAutoSubclass");
    Unregister = (InstanceCall)(void *)GetProcAddress(Library, "Ctl3dUnregister");
    Enabled = (EnabledCall)(void *)GetProcAddress(Library, "Ctl3dEnabled");
    SubclassDlgEx = (SubclassDlgExCall)(void *)GetProcAddress(Library, "Ctl3dSubclassDlgEx");
}

bool Ctl3dBound() { return Library != 0; }

void CallCtl3dRegister(HINSTANCE instance) { if (Register) Register(instance); }
void CallCtl3dAutoSubclass(HINSTANCE instance) { if (AutoSubclass) AutoSubclass(instance); }
void CallCtl3dEnabled() { if (Enabled) Enabled(); }
void CallCtl3dSubclassDlgEx(HWND dialog, DWORD flags) { if (SubclassDlgEx) SubclassDlgEx(dialog, flags); }
void CallCtl3dUnregister(HINSTANCE instance) { if (Unregister) Unregister(instance); }
