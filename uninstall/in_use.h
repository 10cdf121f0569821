// Files in use at the removal: the user may close the program and retry,
// or have the file removed when the system next starts. Until nothing is
// left, the install record (holding what is left), the uninstaller and the
// entry in the list of programs stay, so that a second run can finish.
#pragma once

#define InUseTextFormat                                                               \
    "The file %s is in use.\n\nClose the program that uses it and choose Retry, or " \
    "choose Cancel to have it removed when Windows next starts."

enum Deletion {
    Deleted,
    NotDeleted,   // read-only, or refused for another reason than use
    InUseQueued,  // in use: it goes when the system next starts
    InUseLeft     // in use, and it could not be queued either
};

// Deletes path; a file in use brings up the choice. Each file left in use
// is counted, and kept in the list the directory notes ask.
Deletion DeleteOrOffer(const char *path);
// How many files this run left in use so far.
unsigned long FilesLeftInUse();
// Whether a file left in use lies inside directory.
bool HoldsFileInUse(const char *directory);
// The report's line for a file in use.
void NoteInUse(const char *shown, Deletion deletion);

// uninstall.cpp: has path deleted when the system next starts (WININIT.INI
// on the 95 family, MoveFileExA on the NT family).
bool RemoveAtNextStart(const char *path);
