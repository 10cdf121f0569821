// Fuzz target for the authoring file reader: any text is read or refused
// with an Error, and a refusal names a line of the text. Only a folder or
// pattern line goes without a destination. What is read is UTF-8, and every
// product path gets a stored name that is plain ASCII 8.3.
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/cdrom.h"
#include "tools/setupkit/codepage.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/expand_files.h"
#include "tools/setupkit/fat12.h"
#include "tools/setupkit/layout.h"

namespace {

bool IsPlainShortName(const std::string &name, setupkit::DiskNameRule rule)
{
    for (char c : name)
        if (c <= 0x20 || c >= 0x7F || (c >= 'a' && c <= 'z')) return false;
    return rule == setupkit::DiskNameRule::Fat ? setupkit::IsShortName(name)
                                               : setupkit::IsoLevel1Name(name) == name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    long lines = 1 + std::count(text.begin(), text.end(), '\n');
    try {
        setupkit::Authoring authoring = setupkit::ParseAuthoring(text, "a");
        std::string body = text.compare(0, 3, setupkit::Utf8Bom) == 0 ? text.substr(3) : text;
        if (setupkit::FindInvalidUtf8(body) != std::string::npos) __builtin_trap();
        for (const setupkit::AuthoredFile &file : authoring.Files) {
            if (file.Type < 1 || file.Type > 6 || file.Line < 1 || file.Line > lines ||
                (file.Destination.empty() && !setupkit::NamesManyFiles(file.ProductPath)))
                __builtin_trap();
            for (setupkit::DiskNameRule rule : {setupkit::DiskNameRule::Fat, setupkit::DiskNameRule::IsoLevel1})
                if (!IsPlainShortName(setupkit::PlainDiskName(file.ProductPath, rule), rule))
                    __builtin_trap();
        }
    } catch (const setupkit::Error &error) {
        // "a:LINE: message"
        std::string message = error.what();
        if (message.compare(0, 2, "a:") != 0) __builtin_trap();
        long line = strtol(message.c_str() + 2, nullptr, 10);
        if (line < 1 || line > lines) __builtin_trap();
    }
    return 0;
}
