// Creation of the install directory and its sub-directories, and the
// disk-by-disk transfer of the file entries under the progress dialog.
#pragma once

enum TransferOutcome { TransferCompleted, TransferAborted };

enum { ProgressDialogTemplate = 5, ProgressBarControl = 12, StatusTextControl = 11 };

// False when the install directory cannot be made current.
bool CreateInstallDirectories();
TransferOutcome TransferFiles();

// The progress range's upper bound for a number of file entries (the sum of
// NumberFiles over all disks): (1 + entries) * 10. A bound above the 16 bits
// of PBM_SETRANGE is set with PBM_SETRANGE32, so the bar never wraps.
unsigned long ProgressUpperBound(long entries);
