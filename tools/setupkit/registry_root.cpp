#include "tools/setupkit/registry_root.h"

#include <cctype>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

namespace {

struct RootName {
    const char *Short;
    const char *Long;
    char Digit;
};

const RootName RootNames[] = {
    {"HKCR", "HKEY_CLASSES_ROOT", '0'},
    {"HKCU", "HKEY_CURRENT_USER", '1'},
    {"HKLM", "HKEY_LOCAL_MACHINE", '2'},
    {"HKU", "HKEY_USERS", '3'},
};

}  // namespace

std::string RegKeyWithRootDigit(const std::string &value)
{
    size_t comma = value.find(',');
    std::string root = Trim(value.substr(0, comma));
    if (root.empty() || !isalpha((unsigned char)root[0])) return value;  // a digit, or for check to judge
    for (const RootName &name : RootNames)
        if (SameName(root, name.Short) || SameName(root, name.Long)) {
            if (comma == std::string::npos) throw Error("regKey needs root,subkey after " + root);
            return std::string(1, name.Digit) + value.substr(comma);
        }
    throw Error("'" + root + "' is no registry root; write ROOT,subkey with ROOT one of HKCR, HKCU, "
                "HKLM, HKU or 0 to 3");
}

}  // namespace setupkit
