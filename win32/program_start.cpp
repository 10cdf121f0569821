// The entry of SETUP.EXE and UNINST.EXE in place of MinGW's start-up code
// (they link with -nostartfiles, cmake/program-options.cmake): msvcrt.dll
// sets itself up when it is loaded, and the programs need none of the rest
// (no argv, floating point, thread-local data or runtime pseudo-relocations).
#include <windows.h>
#include <stdlib.h>

#include "core/command_line.h"
#include "core/text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

extern "C" {
void __cdecl __set_app_type(int type);  // msvcrt.dll's: errors reported in a box

// The static constructors, as the linker lists them: a first word that is
// -1 or their count, the constructors, and a null.
typedef void (*Constructor)();
extern Constructor __CTOR_LIST__[];

// What a static object registers its destructor with (MinGW's start-up code
// has it, msvcrt.dll's import library does not).
int __cdecl atexit(void (__cdecl *function)(void))
{
    return _onexit((_onexit_t)function) ? 0 : -1;
}

// Runs the static constructors last to first, as MinGW's own __main does,
// without the rest of its start-up code.
static void RunConstructors()
{
    size_t count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    for (size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

// The name the linker takes as a windows program's entry.
void WinMainCRTStartup()
{
    __set_app_type(2);  // _GUI_APP
    LeadByte = IsDBCSLeadByte;  // names are in the system's code page
    RunConstructors();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    // exit() flushes and closes the open streams.
    exit(WinMain(GetModuleHandleA(0), 0, (LPSTR)CommandLineArguments(GetCommandLineA()), show));
}
}
