#include "transfer.h"

bool CreateInstallDirectories() { return false; }
TransferOutcome TransferFiles() { return TransferAborted; }
unsigned long ProgressUpperBound(long entries) { return (unsigned long)(1 + entries) * 10; }
