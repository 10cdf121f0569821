// The copy pipeline of ExpandFile and CopyRawFile: the bytes of an open
// source written to an open file, counted and summed, and what a failed call
// means for the result.
#pragma once

#include <windows.h>

#include "fileops.h"

// Where the bytes come from: the LZ library's handle while expanding, or the
// plain file, whose first bytes may have been read already.
struct SourceReader {
    HANDLE File;
    INT Lz;                      // the library's handle, or -1 for a plain copy
    const unsigned char *Head;   // bytes read before, written first
    DWORD HeadSize;
    unsigned long Expected;      // what an expansion must yield
    const FileCheck *Check;      // the content the script gives, or null
};

// Every byte of the source to output, counted into placed (Size, Crc32).
FileResult CopyOut(const SourceReader &reader, HANDLE output, FilePlaced *placed);
// Closes a written file; a failed close of a complete file is a failed write.
FileResult CloseWritten(HANDLE file, FileResult result);

inline bool IsExistsError(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// A file that could not be made or renamed: access, a missing directory or an
// unusable name, unless the drive is full.
FileResult MakeFailure(DWORD error);
