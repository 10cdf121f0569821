// An incompressible file is stored as it is: the platform's expansion, and
// SETUP.EXE's, copy a file without the LZ signature unchanged, so a file
// whose compressed form is no smaller loses nothing by staying plain.
#pragma once

#include "layout.h"

namespace setupkit {

// Fills part.Stored (and ExpandedSize) from the file's data: compressed
// when part.Compressed and that is smaller, else the data itself, clearing
// Compressed. Data beginning with the LZ signature stays compressed, or
// SETUP.EXE would expand it.
void StoreDiskFile(DiskFile &part, Bytes data);

}  // namespace setupkit
