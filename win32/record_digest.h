// The digest of a product's install record, kept in a value of its uninstall
// key (one digest per install directory the title went to): under
// HKEY_LOCAL_MACHINE where the installation could write there, else under
// HKEY_CURRENT_USER. A record is acted on only when its digest is there.
#pragma once

#include <stddef.h>

#include "core/sha256.h"

enum RecordVouch {
    RecordVouchChanged = -1,  // digests are kept, and none is this record's
    RecordVouchNone = 0,      // no digest is kept for the title
    RecordVouchUser = 1,      // matches the digest under HKEY_CURRENT_USER (root 1)
    RecordVouchMachine = 2    // matches the digest under HKEY_LOCAL_MACHINE (root 2)
};

// Looks for the record's digest among those kept for title: the machine's
// key first, and the user's only when the machine's holds none.
RecordVouch VouchRecord(const char *text, size_t length, const char *title);
// Keeps hex among title's digests, in place of replaced (the record it
// was merged into; null for none): under the machine's key, else the
// user's. False when neither could be written.
bool StoreRecordDigest(const char *hex, const char *replaced, const char *title);
// Takes hex from title's digests under root (a RecordVouch of 1 or 2); the
// value goes when none is left, and the key when nothing else is in it.
void DeleteRecordDigest(int root, const char *hex, const char *title);
