#include "install_log.h"

#include <windows.h>
#include <stdarg.h>

#include "fileops.h"
#include "core/log_format.h"
#include "core/paths.h"
#include "core/text.h"

enum { LogHeaderSize = 120 };

void LogLine(FILE *log, const char *format, ...)
{
    if (!log) return;
    va_list args;
    va_start(args, format);
    vfprintf(log, format, args);
    va_end(args);
}

FILE *OpenInstallLog(const char *tempDir, const struct tm *startTime,
                     const char *productTitle, const char *sourceDir)
{
    char path[MAX_PATH];
    if (!FormatText(path, sizeof path, "%s%s", tempDir, "\\" InstallLogName)) return 0;
    FILE *log = fopen(path, "wt");
    if (!log) return 0;
    char header[LogHeaderSize];
    if (FormatLogHeader(header, sizeof header, startTime)) LogLine(log, "%s", header);
    LogLine(log, LogTitleFormat, productTitle);
    LogLine(log, LogSourceFormat, sourceDir);
    return log;
}

void CloseInstallLog(FILE *log, const char *tempDir, const char *installPath)
{
    if (!log) return;
    fclose(log);
    char from[MAX_PATH], to[MAX_PATH];
    if (!FormatText(from, sizeof from, "%s%s", tempDir, "\\" InstallLogName) ||
        !FormatText(to, sizeof to, "%s%s", installPath, "\\" InstallLogName))
        return;
    // An install directory that is the temporary directory (in any spelling)
    // holds the log already: moving it onto itself could only lose it.
    if (IsSameFile(from, to)) return;
    // On one drive (the same root) the log is renamed into place: one step
    // on the NT family, through a set-aside name on the 95 family.
    size_t root = DirectoryRootLength(tempDir);
    if (root && root == DirectoryRootLength(installPath) && SameFoldedRange(tempDir, installPath, root)) {
        MoveReplacing(from, to);
        return;
    }
    // Across drives it is copied beside the older log first, so that the
    // replacement is still a rename: a crash leaves the older log or the new
    // one, never a part.
    char copy[MAX_PATH];
    if (FormatText(copy, sizeof copy, "%s%s", installPath, "\\~" InstallLogName) &&
        CopyFileA(from, copy, FALSE) && MoveReplacing(copy, to))
        DeleteFileA(from);
    else
        DeleteFileA(copy);
}
