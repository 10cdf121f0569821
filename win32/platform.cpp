#include "platform.h"

#include <windows.h>

namespace {

// GetVersion sets its high bit on the Windows 95 family.
const DWORD Windows95FamilyBit = 0x80000000u;

}  // namespace

bool IsWindows95Family()
{
    static int family;  // 0 not asked yet, 1 the 95 family, 2 the NT family
    if (!family) family = (GetVersion() & Windows95FamilyBit) ? 1 : 2;
    return family == 1;
}

void (*NtKernelFunction(KernelFunction *function, const char *name))()
{
    if (!function->Looked) {
        function->Looked = true;
        HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
        if (kernel && !IsWindows95Family())
            function->Address = (void (*)())GetProcAddress(kernel, name);
    }
    return function->Address;
}
