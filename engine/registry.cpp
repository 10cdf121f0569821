#include "registry.h"

void SubstituteInstallDir(char *, const char *) {}
bool WriteRegistryString(int, const char *, const char *, const char *, FILE *) { return false; }
void WriteRegistryEntries() {}
void WriteWinIniEntries() {}
