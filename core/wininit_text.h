// The text of WININIT.INI, which the Windows 95 family reads at its next
// start: its [rename] section deletes a file named by a "NUL=<short path>"
// line. That section may hold several NUL lines, which the profile
// functions cannot write (they keep one value per key), so the uninstaller
// edits the file as text. Free of the platform: tested and fuzzed on the host.
#pragma once

#include <stddef.h>

// The section's name and the key of a deletion.
extern const char WininitSection[];     // "rename"
extern const char WininitDeletionKey[];  // "NUL"
// Paths of this length or longer are refused (MAX_PATH).
extern const size_t WininitPathLimit;

// The longest text AddWininitDeletion adds: the section header, the line and
// their line ends.
size_t WininitDeletionGrowth(const char *shortPath);

// Copies the WININIT.INI text (size bytes, not terminated) into dest with the
// line "NUL=<shortPath>" at the end of its [rename] section: after the
// section's last line that is not blank, or, without such a section, in a
// new section at the end of the text. Every line already there is kept as it
// was, duplicates included; new lines end in CR LF, and a last line without a
// line end gets one before anything follows it. A text that already holds the
// same deletion in that section is copied unchanged. The result is
// terminated; returns its length, or 0 (dest empty) when it does not fit in
// capacity, or shortPath is empty, as long as WininitPathLimit, holds a line
// end, or starts or ends with a blank.
size_t AddWininitDeletion(const char *text, size_t size, const char *shortPath, char *dest,
                          size_t capacity);

// True when the [rename] section of the text holds "NUL=<shortPath>"
// (names compared without regard to ASCII case, blanks around the key and
// value ignored).
bool WininitHasDeletion(const char *text, size_t size, const char *shortPath);
