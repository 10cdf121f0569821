// Prints the Windows version this program is told: GetVersionExA's major and
// minor version and platform, and GetVersion's raw value, as
// "<major>.<minor> platform <id> version <hex>".
#include <windows.h>
#include <stdio.h>

int main()
{
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return 1;
    printf("%lu.%lu platform %lu version %08lx\n", (unsigned long)info.dwMajorVersion,
           (unsigned long)info.dwMinorVersion, (unsigned long)info.dwPlatformId,
           (unsigned long)GetVersion());
    return 0;
}
