// The install records of other products in the install directory, in the
// directories above it and in those below it that hold this product's
// files: a file or directory that one of them lists is another product's
// too, and stays.
#pragma once

// The report's line for what stays for that reason: a kind and a path.
#define ListedElsewhereFormat "%s %s: another product installed here lists it too"

// Finds the other records in dir (any name "install*.rec" but ownRecord,
// a full path) and keeps the paths they list. Each directory is looked at
// once.
void AddOtherRecordsIn(const char *dir, const char *ownRecord);
// dir and each directory above it.
void AddOtherRecordsAbove(const char *dir, const char *ownRecord);
// The report's line for what stays for that reason (kind: "File" or
// "Directory").
void NoteListedElsewhere(const char *kind, const char *path);
// Whether another product's record lists path (in long form).
bool ListedByOtherRecord(const char *path);
// Whether another product's record lies in the install directory itself:
// the uninstaller and install.log serve it too.
bool OtherRecordInInstallDir();
