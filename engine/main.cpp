// The program's entry. The command line and show command are ignored.
#include <windows.h>

#include "driver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunSetup(instance);
}
