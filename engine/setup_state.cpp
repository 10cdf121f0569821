#include "setup_state.h"

SetupState Setup;
ProgramState &Program = Setup;
PageState &Pages = Setup;

char SourceDir[DirSize];
char InstallPath[InstallPathSize];

int DiskCount;
int SubDirCount;

void ResetSetupState()
{
    Setup = SetupState();
    Setup.DdeWaiting = 1;
    SourceDir[0] = TempDir[0] = WindowsDir[0] = SystemDir[0] = 0;
    InstallPath[0] = 0;
    DiskCount = SubDirCount = 0;
}
