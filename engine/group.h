// Program-group creation: the shell's DDE server, application "Shell" and
// topic "AppProperties", receives a text of bracketed commands through the
// DDE client of win32/dde_client.h.
#pragma once

#include <windows.h>
#include <stdio.h>

#include "core/group_text.h"


// Builds the command text for group name and the [WinGroup] items of the
// script into dest (capacity bytes), writing the three "Icon" lines per item
// that fits. An item whose line does not fit is left out of text and log.
void BuildGroupCommandText(char *dest, size_t capacity, const char *groupName,
                           const char *shortInstallDir, FILE *log);

void CreateProgramGroup();
