// The directories of the system that both programs start from.
#pragma once

// Fills WindowsDir, SystemDir and TempDir (GetTempPathA's directory without
// its trailing backslash; the Windows directory when there is none). False
// when the temporary directory's path is TempPathLimit characters or longer:
// TempDir then holds the Windows directory.
bool FindSystemDirectories();
