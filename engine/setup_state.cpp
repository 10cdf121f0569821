#include "setup_state.h"

#include <string.h>

SetupState Setup = {0, 0, 0, 1};

char SourceDir[DirSize];
char TempDir[DirSize];
char WindowsDir[DirSize];
char SystemDir[DirSize];
char InstallPath[InstallPathSize];

int DiskCount;
int SubDirCount;

const HKEY RegistryRoot[RegistryRootCount] = {
    HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

void ResetSetupState()
{
    memset(&Setup, 0, sizeof Setup);
    Setup.DdeWaiting = 1;
    SourceDir[0] = TempDir[0] = WindowsDir[0] = SystemDir[0] = 0;
    InstallPath[0] = 0;
    DiskCount = SubDirCount = 0;
}
