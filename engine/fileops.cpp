#include "fileops.h"

#include <windows.h>
#include <lzexpand.h>
#include <stdlib.h>
#include <string.h>

#include "install_log.h"
#include "log_format.h"

static bool IsLongPath(const char *path) { return strlen(path) >= OFS_MAXPATHNAME; }

// A file handle as OpenFile gives one, for a path OpenFile refuses.
static HFILE OpenLongPath(const char *path, bool create)
{
    HANDLE file = CreateFileA(path, create ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, 0,
                              create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    return file == INVALID_HANDLE_VALUE ? HFILE_ERROR : (HFILE)(INT_PTR)file;
}

static INT OpenLzSource(const char *path, OFSTRUCT *record)
{
    if (!IsLongPath(path)) return LZOpenFileA((LPSTR)path, record, OF_READ);
    HFILE file = OpenLongPath(path, false);
    if (file == HFILE_ERROR) return -1;
    // As the library's own open does: a source it cannot take as compressed
    // is read as it is.
    INT expanded = LZInit(file);
    return expanded > 0 ? expanded : file;
}

static INT OpenLzDestination(const char *path, OFSTRUCT *record)
{
    if (!IsLongPath(path)) return LZOpenFileA((LPSTR)path, record, OF_CREATE);
    return OpenLongPath(path, true);
}

bool FileIsPresent(const char *path)
{
    if (IsLongPath(path)) {
        // As OpenFile: a directory of that name is no file.
        DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    OFSTRUCT record;
    return OpenFile(path, &record, OF_EXIST) != HFILE_ERROR;
}

void DeleteFileAt(const char *path)
{
    if (IsLongPath(path)) {
        DeleteFileA(path);
        return;
    }
    OFSTRUCT record;
    OpenFile(path, &record, OF_DELETE);
}

bool MakeDirectory(const char *path, FILE *log)
{
    SECURITY_ATTRIBUTES attributes = {12, 0, TRUE};
    if (CreateDirectoryA(path, &attributes)) LogLine(log, LogMadeDirFormat, path);
    return SetCurrentDirectoryA(path) != 0;
}

void ExpandFile(const char *source, const char *destination, FILE *log)
{
    OFSTRUCT sourceRecord, destinationRecord;
    // Open the source first: a source that cannot be read must not empty or
    // create the destination, or one bad file on a disk would replace an
    // installed file with an empty one.
    INT sourceFile = OpenLzSource(source, &sourceRecord);
    if (sourceFile < 0) return;
    INT destinationFile = OpenLzDestination(destination, &destinationRecord);
    if (destinationFile >= 0) {
        LZCopy(sourceFile, destinationFile);
        LZClose(destinationFile);
    }
    LZClose(sourceFile);
    // The line records the attempt, also when the destination could not be made.
    LogLine(log, LogFileCopyFormat, destination);
}

int CopyRawFile(const char *source, const char *destination)
{
    OFSTRUCT record;
    // OF_CREATE creates a missing destination and truncates an existing one,
    // so a shorter new content leaves no stale tail of the old one.
    HFILE output = IsLongPath(destination) ? OpenLongPath(destination, true)
                                           : OpenFile(destination, &record, OF_CREATE | OF_WRITE);
    if (output == HFILE_ERROR) return -1;
    HFILE input = IsLongPath(source) ? OpenLongPath(source, false)
                                     : OpenFile(source, &record, OF_READ);
    if (input == HFILE_ERROR) return _lclose(output) == HFILE_ERROR ? -1 : 0;
    char *buffer = (char *)malloc(CopyBlockSize);
    if (!buffer) {
        _lclose(input);
        _lclose(output);
        return -1;
    }
    for (;;) {
        long got = _hread(input, buffer, CopyBlockSize);
        if (got <= 0) break;
        _hwrite(output, buffer, got);
    }
    free(buffer);
    _lclose(input);
    return _lclose(output) == HFILE_ERROR ? -1 : 0;
}
