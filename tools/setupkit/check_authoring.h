// setupkit check on an authoring file: what pack would refuse or warn
// about, at the authoring file's lines, without writing anything.
#pragma once

#include <string>
#include <vector>

#include "check.h"

namespace setupkit {

// True for an authoring file: it has a [Files] section.
bool LooksLikeAuthoring(const std::string &text);

// Judges an authoring file (name is for messages) for a script in
// codePage. With productDir set, folders and patterns are expanded and
// every product path must name a file pack may read; without it they are
// judged as written.
std::vector<Diagnostic> CheckAuthoring(const std::string &text, const std::string &name,
                                       const std::string &productDir = "",
                                       const CodePage &codePage = CodePage());

}  // namespace setupkit
