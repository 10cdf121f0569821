// The product inside the download: found after the stub's own image (the
// trailer, before any signature), checked whole and unpacked into a folder.
#pragma once

#include <windows.h>

#include "core/download_format.h"

struct Payload {
    HANDLE File;  // the download itself, open to read, others may not write it
    DownloadTrailer Trailer;
};

enum PayloadResult { PayloadOk, PayloadDamaged, PayloadWriteFailed };

// Opens the program's own file and finds its trailer; PayloadDamaged when
// the file is cut, has no trailer or a trailer that does not fit.
PayloadResult OpenPayload(const char *path, Payload *payload);
// Reads the whole payload: its CRC-32 and every entry's size and name must
// hold, and SETUP.EXE must be among them. Writes nothing.
PayloadResult CheckPayload(const Payload *payload);
// Writes every entry into folder as a new file (folder ends without '\').
PayloadResult UnpackPayload(const Payload *payload, const char *folder);
void ClosePayload(Payload *payload);
