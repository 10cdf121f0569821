// The install record as SETUP.EXE keeps it: this run's entries go, as they
// happen, to install.run in the temporary directory; at cleanup they are
// merged into the install directory's install.rec (core/install_record.h),
// which is replaced in one step, so that a crash leaves the previous record
// whole and a cancelled run adds what it did and removes nothing.
#pragma once

#include "core/install_record.h"

#define RunRecordName "install.run"

// Opens (empties) "<tempDir>\install.run" and records the product title.
// Without it nothing is recorded and the record is left as it was.
void OpenRunRecord(const char *tempDir, const char *productTitle);
// Adds one entry to this run's record; nothing when none is open.
void RecordEntryOfRun(const RecordEntry *entry);
// Whether a run record is open (the writers skip their look at the prior
// state without one).
bool RunRecordOpen();

// The writers' entries.
void RecordRunDirectory(const char *path, bool made);
void RecordRunFile(const char *path, bool replaced, unsigned long size, unsigned long crc);

// Merges this run's entries into "<installPath>\install.rec" (written beside
// it and moved over it whole) and deletes install.run. A damaged record
// there is left untouched, and so is install.run when the merged record
// cannot be written.
void CloseRunRecord(const char *tempDir, const char *installPath);
