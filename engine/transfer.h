// Creation of the install directory and its sub-directories, and the
// disk-by-disk transfer of the file entries under the progress dialog.
#pragma once

#include "fileops.h"
#include "core/progress_text.h"
#include "setup_state.h"

enum TransferOutcome { TransferCompleted, TransferAborted };

#define DiskPromptFormat "Please insert disk #%d"
#define DiskPromptCaption "New Disk Needed"
#define FileErrorCaption "File Copy Error"
#define LocaleFileName "system.cb"
#define LocaleSection "Intl"
#define LocaleKey "SystemLocale"
enum { RussianLocale = 419 };

// Makes every missing level of the install directory and of each [SubDir]
// entry. False when the install directory cannot be made current; *failure
// (when given) is then the platform's error code.
bool CreateInstallDirectories(unsigned long *failure = 0);
TransferOutcome TransferFiles();

// What one file entry does.
enum EntryOperation {
    EntryNothing,      // undefined type, malformed entry, or a path that does not fit
    EntryExpand,       // types 1, 2, 3, 6
    EntryCopyRaw,      // type 4: byte copy into the temporary directory
    EntryExpandFromTemp  // type 5: expand, then delete the temporary source
};

struct EntryPlan {
    EntryOperation Operation;
    int Type;
    bool OnlyWhenMissing;  // types 1 and 2 never replace a file
    bool Counted;          // a shared file: its reference count is raised
    bool ShowsProgress;    // status line and bar step after the entry, whatever became of its file
    char Source[PathBufferSize];
    char Destination[PathBufferSize];
    char StatusPath[PathBufferSize];  // the path the status line names
    int SourceIndex;       // type 6: 1 when the other source is taken
    bool HasCheck;         // Check holds what the file's content must be
    FileCheck Check;
};

// The SystemLocale of [Intl] in system.cb of the Windows directory, 0 when
// the file or key is missing.
int ReadSystemLocale();

// Computes the operation and both paths of an entry text from SourceDir,
// TempDir, WindowsDir, SystemDir and InstallPath. Type 6 reads the locale.
// False (operation EntryNothing, empty paths) when nothing is to be done,
// also for a destination name, or the temporary name of a type 5, that
// would leave its directory. An entry of type 1, 2, 3, 5 or 6 refused so
// still shows its status line (naming its destination as given) and steps.
bool PlanFileEntry(const char *text, EntryPlan *plan);

// Carries out a plan; true when the entry shows its status line and steps
// the bar: every entry of type 1, 2, 3, 5 and 6 whatever became of its file,
// except a type 1 or 2 whose destination exists (nothing done). result, when
// given, receives what the file operation did (FileSkipped when none ran);
// a failed result is asked about before the progress moves. A type-5 entry
// deletes its staged copy only once it is in place.
bool RunEntryPlan(const EntryPlan &plan, FileResult *result = 0);

// The File Copy Error text for a destination and a failed result, cut to fit.
void FormatFileErrorText(char *dest, size_t capacity, const char *destination,
                         FileResult result);

// The message for an install directory that cannot be made or entered: the
// directory and the system's text for the error (a plain one where the
// system has none), cut to fit.
enum { DirectoryReasonSize = 200 };
void FormatDirectoryErrorText(char *dest, size_t capacity, const char *directory,
                              unsigned long error);

// Sources of this size or more take long enough to expand that the pending
// status line and bar are drawn before them.
enum { LargeSourceBytes = 256 * 1024 };

// The file entries of one disk, read with one section read. Without the
// section (Section null) GetDiskEntry reads each entry from the script.
struct DiskEntries {
    int Disk;
    int Count;
    char *Section;
    const char **Values;  // Values[n] for file<n>, n from 1 to Count, or null
};
void LoadDiskEntries(int disk, int count, DiskEntries *entries);
// Entry n as a profile read with the entry limit gives it; dest holds
// FileEntryLimit characters.
void GetDiskEntry(const DiskEntries &entries, int n, char *dest);
// The same for [Check<disk>]: without the section nothing is checked.
void LoadDiskChecks(int disk, int count, DiskEntries *checks);
// Pair sourceIndex of entry n's check; false when there is none.
bool GetEntryCheck(const DiskEntries &checks, int n, int sourceIndex, FileCheck *check);
void FreeDiskEntries(DiskEntries *entries);
