#include "remover_paths.h"

#include <string.h>

#include "core/log_format.h"
#include "win32/platform.h"
#include "win32/program_state.h"
#include "win32/system_dirs.h"
#include "core/text.h"

char SelfPath[MAX_PATH];
char OriginalPath[MAX_PATH];
char InstallDir[MAX_PATH];
char LogPath[MAX_PATH];
char LongWindowsDir[MAX_PATH];
char LongSystemDir[MAX_PATH];

namespace {

typedef DWORD(WINAPI *LongPathNameProc)(LPCSTR, LPSTR, DWORD);

// GetLongPathNameA where the system has it (Windows 98 and 2000 on); none on
// Windows 95 and NT 4.0, whose KERNEL32 lacks it, and none on the rest of the
// 95 family, so that one way is taken on all three.
LongPathNameProc SystemLongPathName()
{
    static KernelFunction longPathName;
    return (LongPathNameProc)NtKernelFunction(&longPathName, "GetLongPathNameA");
}

// Length of the prefix that names the root: "C:\" or "\\server\share\".
// 0 when the full path has neither form.
size_t RootLength(const char *full)
{
    if (full[0] && full[1] == ':' && full[2] == '\\') return 3;
    if (full[0] != '\\' || full[1] != '\\') return 0;
    const char *server = strchr(full + 2, '\\');
    if (!server || server == full + 2) return 0;
    const char *share = strchr(server + 1, '\\');
    if (!share) return strlen(full);
    return share == server + 1 ? 0 : (size_t)(share - full) + 1;
}

}  // namespace

bool LongFormByFind(const char *full, char *dest, size_t capacity)
{
    if (capacity == 0) return false;
    dest[0] = 0;
    size_t root = RootLength(full);
    if (root == 0 || root >= capacity || strpbrk(full, "*?")) return false;
    char result[MAX_PATH];
    memcpy(result, full, root);
    result[root] = 0;
    const char *at = full + root;
    while (*at) {
        const char *end = strchr(at, '\\');
        size_t size = end ? (size_t)(end - at) : strlen(at);
        if (size == 0) {  // a doubled or trailing backslash
            at += 1;
            continue;
        }
        size_t used = strlen(result);
        if (used + size + 1 >= sizeof result) return false;
        memcpy(result + used, at, size);
        result[used + size] = 0;
        // The directory entry's own name is the long one.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(result, &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        result[used] = 0;
        if (!AppendText(result, sizeof result, found.cFileName)) return false;
        if (end && !AppendText(result, sizeof result, "\\")) return false;
        at = end ? end + 1 : at + size;
    }
    if (CopyText(dest, capacity, result)) return true;
    dest[0] = 0;
    return false;
}

void LongForm(const char *path, char *dest, size_t capacity)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full, full, 0);
    if (length == 0 || length >= sizeof full) CopyText(full, sizeof full, path);
    LongPathNameProc longPathName = SystemLongPathName();
    if (longPathName) {
        length = longPathName(full, dest, (DWORD)capacity);
        if (length == 0 || length >= capacity) CopyText(dest, capacity, full);
    } else if (!LongFormByFind(full, dest, capacity)) {
        CopyText(dest, capacity, full);
    }
}

void DirectoryOf(const char *path, char *dest, size_t capacity)
{
    CopyText(dest, capacity, path);
    char *backslash = strrchr(dest, '\\');
    if (backslash) *backslash = 0;
}

bool SamePath(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }

void FindDirectories()
{
    // A temporary directory too long for the setup is none for the
    // uninstaller either: it works in the Windows directory then.
    FindSystemDirectories();
    LongForm(WindowsDir, LongWindowsDir, sizeof LongWindowsDir);
    LongForm(SystemDir, LongSystemDir, sizeof LongSystemDir);
}

void UseOriginal(const char *path)
{
    LongForm(path, OriginalPath, sizeof OriginalPath);
    DirectoryOf(OriginalPath, InstallDir, sizeof InstallDir);
    JoinPath(LogPath, sizeof LogPath, InstallDir, InstallLogName);
}
