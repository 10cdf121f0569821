// The one place that knows which family of Windows runs the program. The
// Windows 95 family (95, 98, ME) lacks MoveFileExA, refuses FILE_SHARE_DELETE
// and DELETE access, removes files at the next start through WININIT.INI
// and deletes whole key trees with RegDeleteKeyA; the NT family (NT 4.0 to
// 11) does none of that. Asked once, from GetVersion.
#pragma once

bool IsWindows95Family();
