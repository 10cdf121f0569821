// The install record as SETUP.EXE keeps it: this run's entries go, as they
// happen, to the product's run file ("install-<hash>.run", core/record_name.h)
// in the temporary directory, each flushed at once; at cleanup they are
// merged into the product's record in the install directory
// ("install-<hash>.rec"), which is replaced in one step, so that a crash
// leaves the previous record whole and a cancelled run adds what it did and
// removes nothing. The new record's digest goes to the product's uninstall
// key (win32/record_digest.h).
#pragma once

#include "core/install_record.h"

// Opens the product's run file in tempDir and records the product title. A
// run file that a crashed run left is kept and added to, never emptied.
// Without it nothing is recorded and the record is left as it was.
void OpenRunRecord(const char *tempDir, const char *productTitle);
// Adds one entry to this run's record; nothing when none is open.
void RecordEntryOfRun(const RecordEntry *entry);
// Whether a run record is open (the writers skip their look at the prior
// state without one).
bool RunRecordOpen();

// Adds entry (its kind and numbers set) with its texts to this run's
// record; nothing when a text does not fit.
void RecordTextsOfRun(RecordEntry *entry, const char *text, const char *name = "",
                      const char *value = "");

// The writers' entries.
void RecordRunDirectory(const char *path, bool made);
void RecordRunFile(const char *path, bool replaced, unsigned long size, unsigned long crc);

// Merges the run file's entries into the product's record in installPath
// (written beside it and moved over it whole), keeps its digest and deletes
// the run file. A damaged record there is left untouched, and so is the run
// file when the merged record cannot be written. A record its digest does
// not vouch for is replaced, nothing of it taken over.
void CloseRunRecord(const char *tempDir, const char *installPath);
