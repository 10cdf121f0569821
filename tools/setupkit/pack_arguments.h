// What a pack command line lacks, said in words before the usage.
#pragma once

#include <string>
#include <vector>

namespace setupkit {

// "-o OUT_DIR is missing", "PRODUCT_DIR is missing", "too many arguments:
// 'x'"...: the first thing wrong with pack's positional arguments and -o.
std::string MissingPackArguments(const std::vector<std::string> &positional,
                                 const std::string &outDir);

}  // namespace setupkit
