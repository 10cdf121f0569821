// Reference counts of shared files: one REG_DWORD per full path under
// HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs (the same key on
// both families of Windows), raised by each installation that places or
// finds the file and lowered by each uninstall; the file goes only when its
// count reaches zero. Pure rules, tested on the host.
#pragma once

#include "record_rules.h"

#define SharedCountKey "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"

// The count an installation leaves: one more than it found. A file found
// present without a count (or with a count of 0) has been installed by
// someone who kept none, so it is counted as used once already.
unsigned long RaisedSharedCount(bool foundPresent, bool hasCount, unsigned long count);

// What an uninstall does with a file whose count its installation raised by
// raised: *left receives the count that stays (0: the value goes). The file
// goes only at zero and when what stands there is what the installation wrote
// (file: its File entry, null when it only found the file).
FileFate DecideSharedFile(bool hasCount, unsigned long count, unsigned long raised,
                          const RecordEntry *file, const FileFound *found, unsigned long *left);
