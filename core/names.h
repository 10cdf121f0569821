// The rules for names from a script or a log that are joined to a directory:
// pure functions, one definition for SETUP.EXE, UNINST.EXE, setupkit and the
// shell server.
#pragma once

#include <stddef.h>

// Whether a file name's part before its first dot, trailing blanks ignored,
// is a device name of the platform (CON, PRN, AUX, NUL, CONIN$, CONOUT$,
// COM0-COM9, LPT0-LPT9, also with the superscript digits), in any case.
// Before Windows 11 such a name is the device in every directory.
bool IsDeviceName(const char *name);
// The same over size characters of name (no terminator needed).
bool IsDeviceNameRange(const char *name, size_t size);

// Whether a component of name, between backslashes or slashes, is a device
// name.
bool HasDeviceComponent(const char *name);

// True for a relative name that stays inside the directory it is joined to
// and names a file there: not empty, no leading backslash or slash, no colon
// (a drive, or a stream), and no component between backslashes or slashes
// that is "..", or that the platform would read as ".." (dots and blanks
// only, two dots or more), or that is a device name. Empty components are
// allowed: the platform reads "a\\b" as "a\b".
bool IsContainedName(const char *name);
