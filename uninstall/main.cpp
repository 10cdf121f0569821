// UNINST.EXE's entry.
#include <windows.h>

#include "uninstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return RunUninstall(instance, commandLine ? commandLine : "");
}
