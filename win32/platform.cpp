#include "platform.h"

#include <windows.h>

namespace {

// GetVersion sets its high bit on the Windows 95 family.
const DWORD Windows95FamilyBit = 0x80000000u;

}  // namespace

bool IsWindows95Family()
{
    static int family = -1;  // not asked yet
    if (family < 0) family = (GetVersion() & Windows95FamilyBit) ? 1 : 0;
    return family == 1;
}

void (*NtKernelFunction(KernelFunction *function))()
{
    if (!function->Looked) {
        function->Looked = true;
        HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
        if (kernel && !IsWindows95Family())
            function->Address = (void (*)())GetProcAddress(kernel, function->Name);
    }
    return function->Address;
}
