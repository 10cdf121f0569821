// Placeholder coder until the real one lands: every byte a literal.
#include "tools/setupkit/lz.h"

#include "tools/setupkit/error.h"

namespace setupkit {

Bytes CompressLz(const Bytes &data, char replacedChar)
{
    Bytes out = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', (uint8_t)replacedChar};
    uint32_t size = (uint32_t)data.size();
    for (int i = 0; i < 4; ++i) out.push_back((uint8_t)(size >> (8 * i)));
    for (size_t i = 0; i < data.size(); i += 8) {
        out.push_back(0xFF);
        for (size_t j = i; j < i + 8 && j < data.size(); ++j) out.push_back(data[j]);
    }
    return out;
}

Bytes CompressLzChecked(const Bytes &data, char replacedChar, const std::string &)
{
    return CompressLz(data, replacedChar);
}

ExpandedLz ExpandLz(const Bytes &, const std::string &name)
{
    throw FileError(name, "expansion not built yet");
}

std::string CompressedName(const std::string &name)
{
    if (name.empty()) return name;
    std::string result = name;
    result.back() = '_';
    return result;
}

}  // namespace setupkit
