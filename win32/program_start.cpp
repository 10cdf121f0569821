// The entry of SETUP.EXE and UNINST.EXE in place of MinGW's start-up code
// (they link with -nostartfiles, cmake/program-options.cmake): msvcrt.dll
// sets itself up when it is loaded, and the programs need none of the rest
// (no argv, floating point, thread-local data or runtime pseudo-relocations).
#include <windows.h>
#include <stdlib.h>

#include "core/command_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

extern "C" {
void __main();  // libmingw32's: runs the static constructors
void __cdecl __set_app_type(int type);  // msvcrt.dll's: errors reported in a box

// What __main registers the static destructors with (MinGW's start-up code
// has it, msvcrt.dll's import library does not).
int __cdecl atexit(void (__cdecl *function)(void))
{
    return _onexit((_onexit_t)function) ? 0 : -1;
}

// The name the linker takes as a windows program's entry.
void WinMainCRTStartup()
{
    __set_app_type(2);  // _GUI_APP
    __main();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    // exit() flushes and closes the open streams.
    exit(WinMain(GetModuleHandleA(0), 0, (LPSTR)CommandLineArguments(GetCommandLineA()), show));
}
}
