// Removal from the install record (install.rec beside the uninstaller): what
// the installation created goes when it is still as the installation left
// it, what stood before comes back, everything else stays and is reported.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "core/install_record.h"
#include "core/record_rules.h"
#include "in_use.h"

#define RecordDamagedText                                                               \
    "The install record (install.rec) beside the uninstaller is damaged or was changed, " \
    "so the uninstaller cannot tell what the installation found and did. Nothing was removed."
#define RecordTooNewText                                                             \
    "The install record (install.rec) beside the uninstaller was written by a later " \
    "version of the setup program. Nothing was removed."
#define RecordChangedFormat                                                             \
    "The install record %s was changed after the setup wrote it: it is not the record "  \
    "that the product's registry key vouches for. Nothing was removed."
#define SeveralRecordsText                                                                \
    "More than one product is installed in this folder. Remove each from the list of "  \
    "installed programs. Nothing was removed."
// The confirmation for an installation without a record (made before the
// record existed): only its log is there to go by.
#define UncheckedConfirmTextFormat                                                     \
    "Remove %s?\n\nThis installation has no install record, so its files cannot be " \
    "checked for changes: every file its log names in the install directory goes."

// The record's name from the command line (empty when none was given), the
// record chosen, and how far it is trusted (win32/record_digest.h: 0 no
// digest, as for a log; 1 the user's key; 2 the machine's).
extern char RecordName[];
extern char RecordPath[MAX_PATH];
extern int RecordTrust;

struct RecordText {
    char *Text;
    size_t Length;
    size_t *Starts;  // where each entry line begins, in record order
    unsigned long Count;
};

enum RecordLoad {
    RecordNone,     // no install.rec: the log decides, as before the record
    RecordUsable,   // loaded and checked
    RecordRefused   // damaged or unreadable: the user was told, nothing goes
};

// Loads and checks install.rec beside the uninstaller; a refused one is
// shown to the user here. The product title goes to Program.ProductTitle.
RecordLoad LoadRecord(RecordText *record);
void FreeRecord(RecordText *record);

// The program groups, then win.ini entries, registry values and files in
// reverse record order, then the uninstaller's own files, then the
// directories the installation made, deepest first.
void RemoveByRecord(const RecordText *record);

// The entry at index (an empty one when it does not read).
void EntryAt(const RecordText *record, unsigned long index, RecordEntry *entry);

// The steps, each beside the install.log way's step of its kind; entry,
// where taken, is room for the entries a step reads.
// remove_group.cpp: the groups and their added items.
void RemoveRecordedGroups(const RecordText *record, RecordEntry *entry);
// remove_ini.cpp, remove_registry.cpp: a win.ini entry, a registry value
// and the keys the installation made for it.
void RemoveRecordedIni(const RecordEntry *entry);
void RemoveRecordedValue(const RecordEntry *entry);
// remove_files.cpp: a file (longTemp: the temporary directory's long form).
void RemoveRecordedFile(const RecordEntry *entry, const char *longTemp);
// What stands at path (inside base; nothing is looked at without one), its
// content read when read is set.
void LookAtFile(const char *path, const char *base, bool read, FileFound *found);
// The file deleted and the report told; a file in use is offered Retry or
// removal at the next start. Returns what became of it.
Deletion DeleteReported(const char *path, const char *shown);
// remove_shared.cpp: a file whose shared reference count the installation
// raised, with the count (only on the word of the machine's digest).
void RemoveRecordedShared(const RecordText *record, const RecordEntry *entry);
// Finds the entry of kind about path (ASCII letters without regard to
// case) in the index IndexRecordPaths made; its index, or -1.
long FindRecordedPath(const RecordText *record, int kind, const char *path, RecordEntry *found);
bool IndexRecordPaths(const RecordText *record);
void FreeRecordPaths();
// The entry at index stays in the record for a second run (files in use).
void KeepInRecord(unsigned long index);
// remove_directories.cpp: the directories the installation made.
void RemoveRecordedDirectories(const RecordText *record, RecordEntry *entry);
