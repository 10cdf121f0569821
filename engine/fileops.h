// The engine's file operations. fileops.cpp holds the queries and the
// entry points; copy_pipeline, staging and replace_file the pieces of a
// placement.
#pragma once

#include <stddef.h>

#include "core/entries.h"

enum { CopyBlockSize = 32000 };

// What a file operation did. An expansion or copy either puts the whole new
// content in place or leaves the destination exactly as it was (or absent).
enum FileResult {
    FileWritten = 0,   // the destination now holds the whole new content
    FileSkipped,       // nothing to do: source and destination are one file
    FileInPlace,       // the destination already holds the checked content: nothing written
    FileNoSource,      // the source does not exist: nothing done
    FileNoRoom,        // writing failed: no room on the drive
    FileDenied,        // the destination cannot be made or replaced (access, in use)
    FileDamaged        // the source is unreadable or shorter than its header says
};

// True for the results that leave a wanted file not written.
inline bool FileFailed(FileResult result) { return result >= FileNoRoom; }

// Called with each directory level that a MakeDirectory call created.
typedef void (*MadeLevelHook)(const char *level);

// Creates every missing level of path, top first, and never a drive or share
// root (core/paths.h); an existing level is fine. made (when given) is called
// with each level created, *created (when given) tells whether path's own
// level was. True when path is a directory now; otherwise *failure (when
// given) is the platform's error code for the level that could not be made
// (ERROR_FILE_EXISTS for a file standing there).
bool MakeDirectoryLevels(const char *path, MadeLevelHook made = 0, bool *created = 0,
                         unsigned long *failure = 0);

// MakeDirectoryLevels, then path becomes the current directory. True when it
// did; *failure as above, or the reason it could not be entered.
bool MakeDirectory(const char *path, bool *created = 0, MadeLevelHook made = 0,
                   unsigned long *failure = 0);

// What an expansion or copy found and wrote.
struct FilePlaced {
    bool Replaced;          // a file stood at the destination before
    unsigned long Size;     // bytes written
    unsigned long Crc32;    // CRC-32 (core/crc32.h) of the bytes written
};

// LZ-expands source into destination (an uncompressed source is copied
// unchanged), whole or not at all: with no file at the destination the file
// is written under its own name and removed again on failure; a file that
// stands there is replaced only once the new one is complete (staged beside
// it, then renamed over it). The source is opened once. placed, when given,
// is filled on FileWritten and FileInPlace (Replaced also on other results
// when known). With check, a standing file of check's size is read, and
// left alone when its CRC-32 agrees (FileInPlace, read-only too).
FileResult ExpandFile(const char *source, const char *destination, FilePlaced *placed = 0,
                      const FileCheck *check = 0);

// OpenFile and the LZ library's open refuse paths of OFS_MAXPATHNAME (128)
// characters or more. The operations here take any path that fits the
// program's buffers, so a long install directory still gets its files.
bool FileIsPresent(const char *path);
bool DirectoryIsPresent(const char *path);
void DeleteFileAt(const char *path);
// True when both paths name one existing file (by volume and file index, so
// different spellings of one path count as the same).
bool IsSameFile(const char *first, const char *second);
// The size of a file in bytes, 0 when it cannot be had (or a directory).
unsigned long long FileSizeOf(const char *path);

// Between StageNewFiles(true) and (false), ExpandFile and CopyRawFile write
// the file under a staging name and rename it into place when whole, never
// over a standing file (which is not replaced then): for the entries that
// only add a missing file, so that a crash never leaves a part of one at its
// name, where the next run would keep it.
void StageNewFiles(bool staged);

// Byte-for-byte copy, whole or nothing like ExpandFile. No log line.
FileResult CopyRawFile(const char *source, const char *destination, FilePlaced *placed = 0);

// Called by ExpandFile and CopyRawFile once the source is open and before
// the destination is touched, with the number of bytes to be written (the
// expanded length): the transfer draws its pending progress before a long
// file. Null for none.
typedef void (*SourceOpenedHook)(unsigned long bytes);
void SetSourceOpenedHook(SourceOpenedHook hook);

// Between these, a file that replaces another is staged in "~STAGING.TMP",
// a directory made inside the destination's directory on first use (up to
// 16 of them), rather than beside the file; the end removes them. Outside,
// it is staged beside the file.
void BeginStagingDirectories();
void EndStagingDirectories();
// Removes a staging directory that a run which crashed left in directory,
// with the staged files it holds; a file set aside there goes back to
// directory when its name is free there, and is deleted when it is not.
// True when there was one and it is gone.
bool RemoveStagingLeftovers(const char *directory);

// Where the platform has SetFileInformationByHandle (Windows Vista and
// later) a staged file is renamed over the standing one through its own
// handle; elsewhere it is closed and moved with MoveReplacing. Tests turn the
// first way off to take the second on any Windows.
void UseRenameThroughHandle(bool allowed);

// Puts the closed file from in place of to, replacing a file there; across
// drives the file is copied. The NT family does it in one MoveFileExA. The
// Windows 95 family has no MoveFileExA: a file at to is renamed aside to
// "<to's directory>\~STAGING.TMP\<name>.~oNN", from is renamed into place,
// then the set-aside file is deleted (renamed back when the second rename
// fails). A crash between those two renames leaves to missing and its old
// content under the set-aside name: RemoveStagingLeftovers puts that right.
bool MoveReplacing(const char *from, const char *to);

// The name a set-aside name ("<name>.~oNN") was made from; false for any
// other name or when it does not fit.
bool SetAsideTarget(const char *name, char *original, size_t capacity);
