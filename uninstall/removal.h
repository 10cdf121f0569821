// The removal steps: each takes away what one kind of log record names, and
// only when it is still as the setup left it, and notes in the report what
// became of it. RemoveAll runs them in order.
#pragma once

#include "log_text.h"

// The program groups, then win.ini entries, registry values and files in
// reverse log order, then install.log and UNINST.EXE, then the directories,
// deepest first.
void RemoveAll(const LogText *log);

// remove_group.cpp: the groups of the "Icon" records, in one conversation
// with the shell.
void RemoveGroups(const LogText *log);
// remove_ini.cpp: a win.ini entry whose value is still the logged one.
void RemoveIniEntry(const LogRecord *record);
// remove_registry.cpp: a registry value whose data is still the logged one,
// and its key when nothing else is left in it.
void RemoveRegistryValue(const LogRecord *record);
// remove_files.cpp: a file inside the install directory; install.log and
// UNINST.EXE.
void RemoveFile(const char *logged);
void RemoveOwnFiles();
// remove_directories.cpp: the directories the setup made, when empty.
void RemoveDirectories(const LogText *log, LogRecord *record);

// True when path, or a directory on it below base, is a junction or a
// symbolic link: what lies behind it is not what the installation made.
bool ReachedThroughLink(const char *path, const char *base);

#define UntrustedFilesText                                                                \
    "No install record that the product's registry key vouches for is there, only what " \
    "anyone who can write to the install directory could have written.\n\nRemove the "    \
    "files it names in the install directory? Choose No to keep every file."
// Asks the user before files are removed on the word of a log, or of a
// record no digest vouches for.
bool AgreeToRemoveFiles();
// Reports a registry value or win.ini entry that such a word alone names:
// it is neither deleted nor put back.
void NoteUntrustedSetting(const char *kind, const char *where, const char *name);

// The progress dialog: one step of the bar, and the status line; each
// drains the message queue.
void StepProgress();
void ShowStatus(const char *text);
// The status lines of the phases both ways go through, and the report's
// line for a file the user chose to keep.
void ShowRemovingFiles();
void ShowRemovingDirectories();
void NoteKeptAsAsked(const char *path);
