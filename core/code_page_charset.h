// The GDI character set that holds the script of an ANSI code page.
#pragma once

// DEFAULT_CHARSET of wingdi.h: the font mapper's choice, for a code page
// not listed.
#define CharsetOfUnlistedCodePage 1

// The character set of codePage (GetACP's answer): SHIFTJIS_CHARSET for 932,
// RUSSIAN_CHARSET for 1251, ANSI_CHARSET for 1252 and so on.
unsigned char CharsetOfCodePage(unsigned codePage);
