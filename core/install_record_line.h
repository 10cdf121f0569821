// The line format that the writer and the reader of install.rec share.
// Every line: a keyword, then fields separated by one blank. A text field is
// ":" and the text with control characters, blanks, "%" and DEL written as
// "%XX"; a data field is "x" and two hex digits per byte; numbers are
// decimal, a CRC eight lower-case hex digits.
#pragma once

#define RecordEndKeyword "End"

// Each entry's keyword, indexed by RecordKind (0 is none).
enum { RecordKeywordCount = 9 };
extern const char *const RecordKeywords[RecordKeywordCount];
// Each entry's fields after its keyword, one letter per field, indexed by
// RecordKind: f Flag (0 or 1), r Root (0 to 3), p Prior, s Size, z Size (not
// 0), y PriorType, c Crc, d PriorData as data, i PriorData as text, t Text,
// n Name, v Value, k CreatedKey.
extern const char *const RecordLayouts[RecordKeywordCount];

struct RecordEntry;
// The text field that letter (t, n, v or k) names.
char *RecordTextField(const RecordEntry *entry, char letter);

inline bool NeedsEscape(unsigned char c) { return c <= ' ' || c == '%' || c == 0x7F; }
