#include "tools/setupkit/text_helpers.h"

#include <cctype>

namespace setupkit {

std::string Trim(const std::string &text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isspace((unsigned char)text[begin])) ++begin;
    while (end > begin && isspace((unsigned char)text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

std::string Upper(std::string text)
{
    for (char &c : text) c = (char)toupper((unsigned char)c);
    return text;
}

}  // namespace setupkit
