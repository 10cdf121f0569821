// install.log in memory, with where each of its records begins, so that the
// removal steps can walk the records in either direction.
#pragma once

#include <stddef.h>

#include "core/log_reader.h"

struct LogText {
    char *Text;
    size_t Length;
    size_t *Starts;  // where each record begins, in log order
    int Count;
};

// The log at LogPath, checked; a message and null when there is none fit to
// use.
char *LoadLog(size_t *length);
// Fills Starts and Count; false when there is no memory for them.
bool IndexLog(LogText *log);
// Record index (0 to Count - 1) of the log.
void RecordAt(const LogText *log, int index, LogRecord *record);

// LoadLog and IndexLog, and the product title from the log into
// Program.ProductTitle; false (nothing held) when the log is not fit to use.
bool LoadIndexedLog(LogText *log);
// The first process's check before it starts the remover: a record that
// checks out, or (without a record) a log fit to use. False after telling
// the user why nothing is removed.
bool CheckInstallation();
