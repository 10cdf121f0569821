#include "remover_paths.h"

#include <string.h>

#include "engine/install_log.h"
#include "engine/setup_state.h"
#include "engine/system_dirs.h"
#include "core/text.h"

char SelfPath[MAX_PATH];
char OriginalPath[MAX_PATH];
char InstallDir[MAX_PATH];
char LogPath[MAX_PATH];
char LongWindowsDir[MAX_PATH];
char LongSystemDir[MAX_PATH];

void LongForm(const char *path, char *dest, size_t capacity)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full, full, 0);
    if (length == 0 || length >= sizeof full) CopyText(full, sizeof full, path);
    length = GetLongPathNameA(full, dest, (DWORD)capacity);
    if (length == 0 || length >= capacity) CopyText(dest, capacity, full);
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
