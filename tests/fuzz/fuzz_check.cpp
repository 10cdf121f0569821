// Fuzz target for the script checker: any text is judged without a crash,
// and every report names a line of the text; an authoring file too (judged
// without a product folder, so no file is touched).
#include <stdint.h>

#include <algorithm>
#include <string>

#include "tools/setupkit/check.h"
#include "tools/setupkit/check_authoring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    long lines = std::count(text.begin(), text.end(), '\n') + 1;
    std::vector<setupkit::Diagnostic> found = setupkit::LooksLikeAuthoring(text)
                                                  ? setupkit::CheckAuthoring(text, "a")
                                                  : setupkit::CheckScript(text);
    for (const setupkit::Diagnostic &diagnostic : found)
        if (diagnostic.Line < 1 || diagnostic.Line > lines || diagnostic.Message.empty())
            __builtin_trap();
    return 0;
}
