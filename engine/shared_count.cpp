#include "shared_count.h"

#include <windows.h>
#include <string.h>

#include "core/log_format.h"
#include "core/shared_count.h"
#include "core/text.h"
#include "install_log.h"
#include "run_record.h"
#include "setup_state.h"

bool IsSharedDirectory(const char *directory)
{
    size_t length = strlen(SystemDir);
    return SameFolded(directory, WindowsDir) ||
           (SameFoldedRange(directory, SystemDir, length) &&
            (directory[length] == 0 || directory[length] == '\\'));
}

static RecordEntry Shared;

void CountSharedFile(const char *path, bool foundPresent)
{
    HKEY key;
    DWORD type = 0, count = 0, size = sizeof count;
    bool set = false;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SharedCountKey, 0, 0, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, 0, &key, 0) == ERROR_SUCCESS) {
        // Some installers kept the count as four bytes of REG_BINARY.
        bool has = RegQueryValueExA(key, path, 0, &type, (BYTE *)&count, &size) == ERROR_SUCCESS &&
                   size == sizeof count && (type == REG_DWORD || type == REG_BINARY);
        count = RaisedSharedCount(foundPresent, has, count);
        set = RegSetValueExA(key, path, 0, REG_DWORD, (const BYTE *)&count, sizeof count) ==
              ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (!set) {
        LogLine(Setup.InstallLog, LogSharedNotCountedFormat, path);
        return;
    }
    StartRecordEntry(&Shared, RecordShared);
    Shared.Size = 1;
    if (CopyText(Shared.Text, sizeof Shared.Text, path)) RecordEntryOfRun(&Shared);
}
