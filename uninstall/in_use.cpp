#include "in_use.h"

#include <windows.h>

#include "remover_paths.h"
#include "report.h"
#include "uninstall.h"
#include "core/text.h"
#include "core/uninstall_text.h"
#include "win32/program_state.h"

// The directories' notes name these; more files in use are counted only.
enum { InUseListed = 32 };
static char InUse[InUseListed][MAX_PATH];
static unsigned long InUseCount;

unsigned long FilesLeftInUse() { return InUseCount; }

bool HoldsFileInUse(const char *directory)
{
    for (unsigned long i = 0; i < InUseCount && i < InUseListed; ++i)
        if (PathIsInside(InUse[i], directory)) return true;
    return InUseCount > InUseListed;
}

// A file that exists, is not read-only and cannot be deleted for want of
// access or sharing is held open by a program (a running program's own file
// gives access denied on the NT family).
static bool IsInUse(const char *path, DWORD error)
{
    DWORD attributes = GetFileAttributesA(path);
    return (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
            error == ERROR_LOCK_VIOLATION) &&
           attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

Deletion DeleteOrOffer(const char *path)
{
    char text[MAX_PATH + 200];
    for (;;) {
        if (DeleteFileA(path)) return Deleted;
        if (!IsInUse(path, GetLastError())) return NotDeleted;
        FormatText(text, sizeof text, InUseTextFormat, path);
        // No box shown counts as Cancel: the file goes at the next start.
        if (AskUser(Program.CurrentDialog, text, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY)
            break;
    }
    if (InUseCount < InUseListed) CopyText(InUse[InUseCount], MAX_PATH, path);
    ++InUseCount;
    return RemoveAtNextStart(path) ? InUseQueued : InUseLeft;
}

void NoteInUse(const char *shown, Deletion deletion)
{
    NoteLeft(deletion == InUseQueued
                 ? "File %s: in use; it goes when Windows next starts"
                 : "File %s: in use; close the program that uses it and uninstall again",
             shown);
}
