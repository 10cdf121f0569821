// setupkit's one error type: a message that names the file (and the line)
// it is about. Commands throw it; the front prints it and exits nonzero.
#pragma once

#include <stdexcept>
#include <string>

namespace setupkit {

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An Error about a place in a file, its parts kept for check's reports.
struct LocatedError : Error {
    LocatedError(const std::string &file, const std::string &message, int line)
        : Error(line > 0 ? file + ":" + std::to_string(line) + ": " + message
                         : file + ": " + message),
          File(file), Message(message), Line(line)
    {
    }
    std::string File, Message;
    int Line;
};

// "file:line: message", or "file: message" without a line.
inline LocatedError FileError(const std::string &file, const std::string &message, int line = 0)
{
    return LocatedError(file, message, line);
}

}  // namespace setupkit
