#include "fileops.h"

#include <windows.h>
#include <lzexpand.h>
#include <stdlib.h>

#include "install_log.h"

bool MakeDirectory(const char *path, FILE *log)
{
    SECURITY_ATTRIBUTES attributes = {12, 0, TRUE};
    if (CreateDirectoryA(path, &attributes)) LogLine(log, "Made Dir: %s\n", path);
    return SetCurrentDirectoryA(path) != 0;
}

void ExpandFile(const char *source, const char *destination, FILE *log)
{
    OFSTRUCT sourceRecord, destinationRecord;
    // Open the source first: a source that cannot be read must not empty or
    // create the destination, or one bad file on a disk would replace an
    // installed file with an empty one.
    INT sourceFile = LZOpenFileA((LPSTR)source, &sourceRecord, OF_READ);
    if (sourceFile < 0) return;
    INT destinationFile = LZOpenFileA((LPSTR)destination, &destinationRecord, OF_CREATE);
    if (destinationFile >= 0) {
        LZCopy(sourceFile, destinationFile);
        LZClose(destinationFile);
    }
    LZClose(sourceFile);
    // The line records the attempt, also when the destination could not be made.
    LogLine(log, "File Copy: %s\n", destination);
}

int CopyRawFile(const char *source, const char *destination)
{
    OFSTRUCT record;
    // OF_CREATE creates a missing destination and truncates an existing one,
    // so a shorter new content leaves no stale tail of the old one.
    HFILE output = OpenFile(destination, &record, OF_CREATE | OF_WRITE);
    if (output == HFILE_ERROR) return -1;
    HFILE input = OpenFile(source, &record, OF_READ);
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
