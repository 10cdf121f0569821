// Fuzz target for the authoring file reader: any text is read or refused
// with an Error, and a refusal names a line of the text. Only a folder or
// pattern line goes without a destination.
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/expand_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    long lines = 1 + std::count(text.begin(), text.end(), '\n');
    try {
        setupkit::Authoring authoring = setupkit::ParseAuthoring(text, "a");
        for (const setupkit::AuthoredFile &file : authoring.Files)
            if (file.Type < 1 || file.Type > 6 || file.Line < 1 || file.Line > lines ||
                (file.Destination.empty() && !setupkit::NamesManyFiles(file.ProductPath)))
                __builtin_trap();
    } catch (const setupkit::Error &error) {
        // "a:LINE: message"
        std::string message = error.what();
        if (message.compare(0, 2, "a:") != 0) __builtin_trap();
        long line = strtol(message.c_str() + 2, nullptr, 10);
        if (line < 1 || line > lines) __builtin_trap();
    }
    return 0;
}
