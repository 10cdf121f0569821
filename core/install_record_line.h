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

inline bool NeedsEscape(unsigned char c) { return c <= ' ' || c == '%' || c == 0x7F; }
