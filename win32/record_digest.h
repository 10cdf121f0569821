// The digest of a product's install record, kept as a value of its uninstall
// key: under HKEY_LOCAL_MACHINE where the installation could write there,
// else under HKEY_CURRENT_USER. A record is acted on only when it matches.
#pragma once

#include <stddef.h>

#include "core/sha256.h"

enum RecordVouch {
    RecordVouchChanged = -1,  // a digest is kept, and it is another record's
    RecordVouchNone = 0,      // no digest is kept for the title
    RecordVouchUser = 1,      // matches the digest under HKEY_CURRENT_USER (root 1)
    RecordVouchMachine = 2    // matches the digest under HKEY_LOCAL_MACHINE (root 2)
};

// Compares the record's digest with the one kept for title: the machine's
// key first, and the user's only when the machine's holds none.
RecordVouch VouchRecord(const char *text, size_t length, const char *title);
// Keeps hex as title's digest: under the machine's key, else the user's.
// False when neither could be written.
bool StoreRecordDigest(const char *hex, const char *title);
// Deletes the digest under root (a RecordVouch of 1 or 2), and the key when
// nothing else is left in it.
void DeleteRecordDigest(int root, const char *title);
