// The one place that knows which family of Windows runs the program. The
// Windows 95 family (95, 98, ME) lacks MoveFileExA, refuses FILE_SHARE_DELETE
// and DELETE access, removes files at the next start through WININIT.INI
// and deletes whole key trees with RegDeleteKeyA; the NT family (NT 4.0 to
// 11) does none of that. Asked once, from GetVersion.
#pragma once

bool IsWindows95Family();

// A KERNEL32 function newer than some supported Windows, looked up once on
// the NT family; null on the 95 family and where the system lacks it, so
// that the caller takes its fallback. Callers keep one zero-initialised
// static of these per function (so that it takes no file bytes) and pass
// the function's name with it.
struct KernelFunction {
    bool Looked;
    void (*Address)();
};
void (*NtKernelFunction(KernelFunction *function, const char *name))();
