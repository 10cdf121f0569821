// Registry roots by name in authoring files: HKLM,Software\... is written to
// the script as 2,Software\... (the program reads only the digit).
#pragma once

#include <string>

namespace setupkit {

// regKey's value with a root name before the first comma (HKCR,
// HKEY_CLASSES_ROOT, HKCU, HKEY_CURRENT_USER, HKLM, HKEY_LOCAL_MACHINE, HKU,
// HKEY_USERS, any case) replaced by its digit; a digit stays. Throws an
// Error for a word that names no root.
std::string RegKeyWithRootDigit(const std::string &value);

}  // namespace setupkit
