// What both ways of removal (by the install record and by install.log) say
// of registry keys and ask of them.
#pragma once

#include <windows.h>

#include "core/entries.h"

// The roots' names in the report, indexed as RegistryRoot.
extern const char *const RegistryRootNames[RegistryRootCount];

// Whether an open key has neither sub-keys nor values; false when that
// cannot be asked.
bool RegistryKeyIsEmpty(HKEY key);
