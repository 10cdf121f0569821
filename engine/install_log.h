// The installation log: opened in the temporary directory after the
// directory page, moved into the install directory at cleanup.
#pragma once

#include <stdio.h>
#include <time.h>

#include "core/log_format.h"
#include "core/log_header.h"

// Opens "<tempDir>\install.log" in text mode and writes the three header
// lines. Returns the stream, or null when the file cannot be opened.
FILE *OpenInstallLog(const char *tempDir, const struct tm *startTime,
                     const char *productTitle, const char *sourceDir);

// Closes the stream and moves the log over "<installPath>\install.log".
// Does nothing for a null stream.
void CloseInstallLog(FILE *log, const char *tempDir, const char *installPath);

// Writes one formatted line; nothing when log is null. The line is written
// whole, however long it is.
void LogLine(FILE *log, const char *format, ...) __attribute__((format(printf, 2, 3)));

