// Fuzz target for the script checker: any text is judged without a crash,
// and every report names a line of the text and is UTF-8; an authoring file
// too (judged without a product folder, so no file is touched). The code
// page follows from the text's length, double-byte ones included.
#include <stdint.h>

#include <algorithm>
#include <string>

#include "tools/setupkit/check.h"
#include "tools/setupkit/check_authoring.h"
#include "tools/setupkit/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const int pages[] = {1252, 932, 936, 949, 950, 1251, 1258, 874};
    setupkit::CodePage codePage(pages[size % (sizeof pages / sizeof pages[0])]);
    std::string text(reinterpret_cast<const char *>(data), size);
    long lines = std::count(text.begin(), text.end(), '\n') + 1;
    std::vector<setupkit::Diagnostic> found = setupkit::LooksLikeAuthoring(text)
                                                  ? setupkit::CheckAuthoring(text, "a", "", codePage)
                                                  : setupkit::CheckScript(text, "", codePage);
    for (const setupkit::Diagnostic &diagnostic : found)
        if (diagnostic.Line < 1 || diagnostic.Line > lines || diagnostic.Message.empty() ||
            setupkit::FindInvalidUtf8(diagnostic.Message) != std::string::npos)
            __builtin_trap();
    return 0;
}
