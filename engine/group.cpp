#include "group.h"

void BuildGroupCommandText(char *dest, size_t capacity, const char *, const char *, FILE *)
{
    if (capacity) dest[0] = 0;
}
void CreateProgramGroup() {}
