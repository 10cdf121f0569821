// Replacing a file that stands at the destination: the new content is
// staged and put in place only once complete, by a rename through the
// staged file's handle or by MoveReplacing, which on the Windows 95 family
// sets the standing file aside for the time between two renames.
#pragma once

#include "copy_pipeline.h"

// Writes the new content to a staging file and puts it in place only
// once complete: on any failure the staged file is removed and the standing
// one is untouched. A standing file that is in use, or cannot be replaced for
// any other reason, fails the rename.
FileResult Replace(const SourceReader &reader, const char *destination, FilePlaced *placed);
