// A value as the platform's profile functions give it back: one pair of
// enclosing quotes taken off. One definition for SETUP.EXE (the disk
// sections it reads whole), UNINST.EXE (the values it compares) and setupkit
// check (the script it judges).
#pragma once

#include <stddef.h>

// Narrows [*begin, *end) by one pair of enclosing double or single quotes,
// when the text has at least two characters and ends with the quote it
// begins with.
void StripProfileQuotes(const char **begin, const char **end);
