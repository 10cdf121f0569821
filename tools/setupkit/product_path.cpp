#include "tools/setupkit/product_path.h"

#include <cctype>

namespace setupkit {

namespace {

std::string Trim(const std::string &text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isspace((unsigned char)text[begin])) ++begin;
    while (end > begin && isspace((unsigned char)text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

bool ProductPathStaysInside(const std::string &path)
{
    if (path.empty() || path[0] == '\\' || path[0] == '/') return false;
    if (path.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        std::string part = Trim(path.substr(start, end - start));
        if (part == ".." || part.empty()) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace setupkit
