#include "setup_state.h"

#include <string.h>

static SetupState InitialState()
{
    SetupState state;
    memset(&state, 0, sizeof state);
    state.DdeWaiting = 1;
    return state;
}

SetupState Setup = InitialState();

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
    Setup = InitialState();
    SourceDir[0] = TempDir[0] = WindowsDir[0] = SystemDir[0] = 0;
    InstallPath[0] = 0;
    DiskCount = SubDirCount = 0;
}
