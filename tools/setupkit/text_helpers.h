// Small text rules setupkit applies in several places: blanks around a
// value, and ASCII case for names matched in any case.
#pragma once

#include <string>

namespace setupkit {

// text without the white space at either end.
std::string Trim(const std::string &text);

// text in lower or upper case, ASCII letters only.
std::string Lower(std::string text);
std::string Upper(std::string text);

}  // namespace setupkit
