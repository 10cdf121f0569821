#include "display_path.h"

#include <string.h>

#include "text.h"

bool MakeDisplayPathWith(char *path, ComponentNamer namer, void *context)
{
    size_t length = BoundedLength(path, DisplayPathSize - 1);
    path[length] = 0;
    if (length == 0) return false;

    char result[DisplayPathSize];
    FormatText(result, sizeof result, "%c:\\", path[0]);
    size_t componentStart = DriveRootLength;
    // From the character after the first one of the first component.
    for (size_t i = DriveRootLength; i < length;) {
        i = (size_t)(NextChar(path + i) - path);
        char kept = path[i];
        if (kept != '\\' && kept != 0) continue;
        if (i > componentStart) {  // an empty component (doubled or trailing backslash) adds nothing
            path[i] = 0;
            char shown[DisplayPathSize];
            shown[0] = 0;
            bool named = namer && namer(context, path, shown, sizeof shown) && shown[0];
            shown[sizeof shown - 1] = 0;
            // A component the shell cannot name (no medium, not made yet) keeps its own text.
            const char *name = named ? shown : path + componentStart;
            bool fits = AppendText(result, sizeof result, name) &&
                        AppendText(result, sizeof result, "\\");
            path[i] = kept;
            if (!fits) return false;
        }
        componentStart = i + 1;
    }
    CopyText(path, DisplayPathSize, result);
    return true;
}

size_t DriveRootSize(const char *text)
{
    const char *end = text;
    for (int n = 0; n < DriveRootLength && *end; ++n) end = NextChar(end);
    return (size_t)(end - text);
}

bool FormatProposal(char *dest, size_t capacity, const char *displayPath,
                    const char *productTitle)
{
    return FormatText(dest, capacity, "%s%s", displayPath, productTitle);
}

long FreeKbFromGeometry(unsigned long sectorsPerCluster, unsigned long bytesPerSector,
                        unsigned long freeClusters)
{
    const long maxKb = 0x7FFFFFFF;
    unsigned long long bytesPerCluster = (unsigned long long)sectorsPerCluster * bytesPerSector;
    if (freeClusters != 0 && bytesPerCluster > ~0ULL / freeClusters) return maxKb;
    unsigned long long kb = (bytesPerCluster * freeClusters) >> 10;
    return kb > (unsigned long long)maxKb ? maxKb : (long)kb;
}

bool DirectoryEntryName(char *entry)
{
    size_t length = strlen(entry);
    if (strcmp(entry, "[..]") == 0) return false;
    if (length < 3 || entry[0] != '[' || entry[length - 1] != ']') return false;
    entry[length - 1] = 0;
    entry[0] = '\\';
    return true;
}
