#include "staging.h"

#include <string.h>

#include "copy_pipeline.h"
#include "core/text.h"

// The staging file has ".~NN" added to its name.
#define StagingFormat "%s.~%02d"
#define StagingMarker ".~"
// Room for the ".~NN" a staging name adds.
enum { StagingSuffixLength = 4 };

size_t LengthBeforeNumberedSuffix(const char *name, const char *marker)
{
    size_t length = strlen(name), markerLength = strlen(marker);
    size_t suffix = markerLength + SuffixDigits;
    if (length <= suffix) return 0;
    const char *tail = name + length - suffix;
    if (strncmp(tail, marker, markerLength) != 0) return 0;
    for (int i = 0; i < SuffixDigits; ++i) {
        char digit = tail[markerLength + i];
        if (digit < '0' || digit > '9') return 0;
    }
    return length - suffix;
}

// During the transfer, files that replace others are staged in a directory
// of their own inside the destination's directory. Making a name that does
// not exist yet means reading the whole directory on a FAT drive and under
// Wine, which in a directory of a thousand files costs more than writing
// the file; in the staging directory nothing else stands. It is on the same
// drive, so the staged file is still renamed into place.
enum { StagingDirectorySlots = 16 };

static bool StagingInDirectories;
static int StagingDirectoryCount;
static char StagingDirectories[StagingDirectorySlots][MAX_PATH];

// A staged file's name: any name with ".~NN" added.
static bool IsStagedName(const char *name) { return LengthBeforeNumberedSuffix(name, StagingMarker) != 0; }

// Deletes the staged files a crashed run may have left in a staging
// directory, and puts right the files it set aside there on the 95 family:
// one whose file is missing (the crash came between the two renames) goes
// back, one whose file is present (the new one was in place) is dropped.
// Nothing else is touched: a directory of that name that someone else made
// keeps its files, and then stays.
static void EmptyStagingDirectory(const char *directory)
{
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, sizeof pattern, directory, "*")) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    size_t parent = FindLastChar(directory, '\\') - directory;
    do {
        char path[MAX_PATH], name[MAX_PATH], original[MAX_PATH];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !JoinPath(path, sizeof path, directory, found.cFileName))
            continue;
        if (IsStagedName(found.cFileName))
            DeleteFileA(path);
        else if (SetAsideTarget(found.cFileName, name, sizeof name) &&
                 FormatText(original, sizeof original, "%.*s\\%s", (int)parent, directory, name) &&
                 (GetFileAttributesA(original) != INVALID_FILE_ATTRIBUTES ||
                  !MoveFileA(path, original)))
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void BeginStagingDirectories()
{
    StagingInDirectories = true;
    StagingDirectoryCount = 0;
}

void EndStagingDirectories()
{
    for (int i = 0; i < StagingDirectoryCount; ++i) {
        EmptyStagingDirectory(StagingDirectories[i]);
        RemoveDirectoryA(StagingDirectories[i]);
    }
    StagingDirectoryCount = 0;
    StagingInDirectories = false;
}

bool RemoveStagingLeftovers(const char *directory)
{
    char staging[MAX_PATH];
    if (!JoinPath(staging, sizeof staging, directory, StagingDirectoryName) ||
        !DirectoryIsPresent(staging))
        return false;
    EmptyStagingDirectory(staging);
    return RemoveDirectoryA(staging) != 0;
}

// The staging directory of directory, made on first use in this transfer
// (or taken over from a run that crashed, emptied); false when there is none
// to be had: outside the transfer, once all slots are taken, or when the
// name is another file's.
static bool StagingDirectoryOf(const char *directory, char *staging)
{
    if (!StagingInDirectories || !JoinPath(staging, MAX_PATH, directory, StagingDirectoryName))
        return false;
    for (int slot = 0; slot < StagingDirectoryCount; ++slot)
        if (lstrcmpiA(StagingDirectories[slot], staging) == 0) return true;
    if (StagingDirectoryCount == StagingDirectorySlots) return false;
    if (!CreateDirectoryA(staging, 0)) {
        if (!DirectoryIsPresent(staging)) return false;
        EmptyStagingDirectory(staging);
    }
    CopyText(StagingDirectories[StagingDirectoryCount++], MAX_PATH, staging);
    return true;
}

// The name to stage destination under, without the ".~NN": in the staging
// directory of its directory where there is one, else beside it.
static void StagingBase(const char *destination, char *base)
{
    CopyText(base, MAX_PATH, destination);
    const char *slash = FindLastChar(destination, '\\');
    if (!slash || slash == destination) return;
    char directory[MAX_PATH], staging[MAX_PATH], name[MAX_PATH];
    size_t parent = (size_t)(slash - destination);
    if (parent >= sizeof directory) return;
    memcpy(directory, destination, parent);
    directory[parent] = 0;
    if (StagingDirectoryOf(directory, staging) &&
        JoinPath(name, sizeof name - StagingSuffixLength, staging, slash + 1))
        CopyText(base, MAX_PATH, name);
}

HANDLE CreateStagingFile(const char *destination, DWORD access, char *staging, FileResult *failure)
{
    char base[MAX_PATH];
    StagingBase(destination, base);
    for (int n = 0; n < NameTries; ++n) {
        if (!FormatText(staging, MAX_PATH, StagingFormat, base, n)) break;
        HANDLE file = CreateFileA(staging, access, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if (!IsExistsError(error)) {
            *failure = MakeFailure(error);
            return INVALID_HANDLE_VALUE;
        }
    }
    *failure = FileDenied;
    return INVALID_HANDLE_VALUE;
}
