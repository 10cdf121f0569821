#include "tools/setupkit/given_program.h"

#include "tools/setupkit/error.h"
#include "tools/setupkit/posix.h"

namespace setupkit {

void RequireGivenProgram(const std::string &path, const std::string &option)
{
    if (!IsRegularFile(path))
        throw FileError(path, "no such program; give " + BaseName(path) + " with " + option + " PATH");
}

Bytes ReadGivenProgram(const std::string &path, const std::string &option)
{
    RequireGivenProgram(path, option);
    return ReadFileBytes(path);
}

}  // namespace setupkit
