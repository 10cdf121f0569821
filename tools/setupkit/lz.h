// The platform's LZ file format (SZDD), the one LZOpenFileA and LZCopy
// expand: a 14-byte header (magic, mode 'A', the replaced last character of
// the name, the expanded length) and an LZSS stream over a 4096-byte ring
// window filled with spaces, written from 16 bytes before its end, with
// match lengths 3 to 18.
#pragma once

#include <string>

#include "codepage.h"
#include "core/lz_header.h"
#include "fileio.h"

namespace setupkit {

// The compressed form of data; replacedChar is the last character of the
// original name, which the compressed name replaces with '_'.
Bytes CompressLz(const Bytes &data, char replacedChar);

// CompressLz, then expanded again with libmspack and compared: throws an
// Error naming name when the two differ.
Bytes CompressLzChecked(const Bytes &data, char replacedChar, const std::string &name);

struct ExpandedLz {
    Bytes Data;
    char ReplacedChar;
};
// Expands an SZDD file with libmspack; throws an Error naming name for a
// file that is not one, or is truncated or damaged.
ExpandedLz ExpandLz(const Bytes &compressed, const std::string &name);

// Names. A compressed file's name is the name with its last character
// replaced by '_', and the header keeps that character: README.TXT becomes
// README.TX_, A.B becomes A._, and a name without a dot is treated alike,
// README becoming READM_ (not README._), so the name stays within 8.3 and the
// platform's expand tools, which put the header's character in place of the
// last one, restore it exactly.
//
// The compressed file's name: README.TXT becomes README.TX_.
std::string CompressedName(const std::string &name);
// The character the header keeps: the name's last one.
char ReplacedCharOf(const std::string &name);
// The expanded name from a compressed name ending in '_' and the header's
// character, a character of codePage, in UTF-8; a header without one
// (mscompress's f -> f_) drops the '_'. Throws an Error naming file when no
// safe name follows (no '_' at the end, a character such as '/' that would
// leave the directory, or a byte that is no character of codePage by itself).
std::string ExpandedName(const std::string &compressedName, char replacedChar, const std::string &file,
                         const CodePage &codePage = CodePage());

}  // namespace setupkit
