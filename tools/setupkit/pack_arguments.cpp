#include "tools/setupkit/pack_arguments.h"

namespace setupkit {

std::string MissingPackArguments(const std::vector<std::string> &positional,
                                 const std::string &outDir)
{
    static const char *const missing[] = {"AUTHORING and PRODUCT_DIR are missing",
                                          "PRODUCT_DIR is missing"};
    if (positional.size() < 2) return missing[positional.size()];
    if (positional.size() > 2) return "too many arguments: '" + positional[2] + "'";
    if (outDir.empty()) return "-o OUT_DIR is missing";
    return "";
}

}  // namespace setupkit
