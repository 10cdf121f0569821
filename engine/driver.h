// The installation driver's entry; the directory derivations it makes are
// pure functions in paths.h.
#pragma once

#include <stddef.h>

#include "core/paths.h"

int RunSetup(void *instance);
