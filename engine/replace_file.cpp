#include "replace_file.h"

#include <string.h>

#include "staging.h"
#include "core/text.h"
#include "win32/platform.h"

// The set-aside name of a replaced file on the Windows 95 family: its name
// with ".~oNN" added, in the staging directory of its directory, a directory
// of SETUP.EXE's own, so that the recovery after a crash touches no one
// else's file.
#define SetAsideFormat "\\%s.~o%02d"
#define SetAsideSuffix ".~o"

// Renames path to a fresh set-aside name (into aside). 1 when set aside, 0
// when no file was there, -1 on failure (the error left in GetLastError).
// *made tells whether the staging directory was made for it; the directory
// is aside cut at *directoryLength (beside path when a file has its name).
static int SetAside(const char *path, char *aside, size_t *directoryLength, bool *made)
{
    const char *slash = FindLastChar(path, '\\');
    *made = false;
    if (!slash || !FormatText(aside, MAX_PATH, "%.*s\\" StagingDirectoryName,
                              (int)(slash - path), path))
        return -1;
    *made = CreateDirectoryA(aside, 0) != 0;
    // A file of that name leaves only the place beside the file.
    *directoryLength = *made || DirectoryIsPresent(aside) ? strlen(aside) : (size_t)(slash - path);
    for (int n = 0; n < NameTries; ++n) {
        if (!FormatText(aside + *directoryLength, MAX_PATH - *directoryLength, SetAsideFormat,
                        slash + 1, n))
            break;
        if (MoveFileA(path, aside)) return 1;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return 0;
        if (!IsExistsError(error)) return -1;
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return -1;
}

bool MoveReplacing(const char *from, const char *to)
{
    if (!IsWindows95Family())
        return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    // No MoveFileExA on the 95 family: the old file is renamed aside, the new
    // one into place, then the old one deleted; a failed second rename puts
    // the old one back.
    char aside[MAX_PATH];
    size_t directoryLength = 0;
    bool made;
    int setAside = SetAside(to, aside, &directoryLength, &made);
    bool moved = setAside >= 0 && MoveFileA(from, to);
    DWORD error = GetLastError();
    if (setAside > 0) moved ? DeleteFileA(aside) : MoveFileA(aside, to);
    aside[directoryLength] = 0;
    if (made) RemoveDirectoryA(aside);
    SetLastError(error);
    return moved;
}

bool SetAsideTarget(const char *name, char *original, size_t capacity)
{
    size_t length = LengthBeforeNumberedSuffix(name, SetAsideSuffix);
    if (!length || length >= capacity) return false;
    memcpy(original, name, length);
    original[length] = 0;
    return true;
}

// SetFileInformationByHandle (Windows Vista and later) renames a file through
// the handle it was written with: one call, where MoveFileExA opens the file
// once more by name. Looked up once; without it the staged file is closed and
// moved.
typedef BOOL(WINAPI *SetInformationFunction)(HANDLE, int, LPVOID, DWORD);
enum { FileRenameInfoClass = 3 };  // FileRenameInfo of FILE_INFO_BY_HANDLE_CLASS

// FILE_RENAME_INFO with room for a path.
struct RenameInformation {
    union {
        BOOLEAN ReplaceIfExists;
        DWORD Flags;
    };
    HANDLE RootDirectory;
    DWORD FileNameLength;  // in bytes, without the terminator
    WCHAR FileName[MAX_PATH];
};

static bool HandleRenameRefused;  // set by tests that take the other way

void UseRenameThroughHandle(bool allowed) { HandleRenameRefused = !allowed; }

static SetInformationFunction HandleRename()
{
    static KernelFunction setInformation;
    if (HandleRenameRefused) return 0;
    return (SetInformationFunction)NtKernelFunction(&setInformation, "SetFileInformationByHandle");
}

// Renames the open file to destination, replacing the file there. The name
// is converted as CreateFileA converts it.
static bool RenameOpenFile(SetInformationFunction setInformation, HANDLE file,
                           const char *destination)
{
    RenameInformation rename;
    memset(&rename, 0, sizeof rename);
    rename.ReplaceIfExists = TRUE;
    int length = MultiByteToWideChar(CP_ACP, 0, destination, -1, rename.FileName, MAX_PATH);
    if (length <= 0) return false;
    rename.FileNameLength = (DWORD)(length - 1) * sizeof(WCHAR);
    return setInformation(file, FileRenameInfoClass, &rename, sizeof rename) != 0;
}

FileResult Replace(const SourceReader &reader, const char *destination, FilePlaced *placed)
{
    SetInformationFunction renameOpen = HandleRename();
    char staging[MAX_PATH];
    FileResult result = FileWritten;
    HANDLE output = CreateStagingFile(destination, GENERIC_WRITE | (renameOpen ? DELETE : 0),
                                      staging, &result);
    if (output == INVALID_HANDLE_VALUE) return result;
    result = CopyOut(reader, output, placed);
    if (renameOpen) {
        // Every byte is written before the rename; a close that fails after
        // it leaves the whole new file in place and is reported all the same.
        if (result == FileWritten && !RenameOpenFile(renameOpen, output, destination))
            result = MakeFailure(GetLastError());
        result = CloseWritten(output, result);
    } else {
        result = CloseWritten(output, result);
        if (result == FileWritten && !MoveReplacing(staging, destination))
            result = MakeFailure(GetLastError());
    }
    if (result != FileWritten) DeleteFileA(staging);
    return result;
}
