#include "shared_count.h"

unsigned long RaisedSharedCount(bool foundPresent, bool hasCount, unsigned long count)
{
    if (!hasCount || count == 0) count = foundPresent ? 1 : 0;
    return count < 0xFFFFFFFFUL ? count + 1 : count;
}

FileFate DecideSharedFile(bool hasCount, unsigned long count, unsigned long raised,
                          const RecordEntry *file, const FileFound *found, unsigned long *left)
{
    *left = hasCount && count > raised ? count - raised : 0;
    // Without a count nothing says who else uses it.
    if (!hasCount) return FileKeptNoCount;
    if (*left) return FileKeptStillUsed;
    return DecideContent(file, found);
}
