// Each product's install record has a name of its own in the install
// directory, so that products sharing a directory keep apart, and a digest
// of it is kept in the product's uninstall key, where only the one who
// installed can write. Pure: tested and fuzzed on the host.
#pragma once

#include <stddef.h>

#include "install_record.h"
#include "sha256.h"

#define RecordNamePrefix "install-"
#define RecordExtension ".rec"
#define RunExtension ".run"
#define RecordDigestValue "InstallRecordDigest"
#define UninstallKeyPrefix "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"

enum {
    RecordNameSize = 32,
    // The digests kept for one title, one per install directory it went to:
    // 64 hex digits each, separated by one blank.
    DigestListCount = 16,
    DigestListSize = DigestListCount * Sha256HexSize
};

// "install-<8 hex digits><extension>": the CRC-32 of the title with ASCII
// letters folded to lower case, so that titles naming one uninstall key
// name one record. False when it does not fit.
bool FormatProductFileName(const char *title, const char *extension, char *dest,
                           size_t capacity);
// A name UNINST.EXE takes as its record: a plain file name (no directory,
// drive or wildcard, no device name), ending in ".rec".
bool IsRecordFileName(const char *name);
// A record name at the start of commandLine (before the first blank) goes
// to name, and the rest of the line, after its blanks, is returned. Without
// one, name is empty and the whole line is returned.
const char *TakeRecordArgument(const char *commandLine, char *name, size_t capacity);
// The product's uninstall key: UninstallKeyPrefix and the title. False for
// an empty title or one that does not fit.
bool FormatUninstallKey(const char *title, char *dest, size_t capacity);
// The SHA-256 of a whole record's bytes, as 64 hex digits.
void RecordDigest(const char *text, size_t length, char hex[Sha256HexSize]);
// Whether list (digests separated by blanks) holds hex as one of them.
bool DigestListHolds(const char *list, const char *hex);
// list without the digest removed (when given) and with added at its end
// (when given and not there yet), the oldest dropped beyond DigestListCount,
// into dest of DigestListSize. Anything in list that is no digest is left
// out.
void EditDigestList(const char *list, const char *removed, const char *added, char *dest);
