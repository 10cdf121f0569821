#include "tools/setupkit/script_model.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "core/profile_value.h"
#include "tools/setupkit/authoring.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

Profile::Profile(const std::string &text)
{
    size_t pos = 0;
    int line = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        ++line;
        std::string content = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (content.empty() || content[0] == ';') continue;
        if (content[0] == '[') {
            size_t close = content.find(']');
            sections_.push_back({Trim(content.substr(1, close == std::string::npos
                                                            ? std::string::npos
                                                            : close - 1)),
                                 line,
                                 {}});
            continue;
        }
        size_t equals = content.find('=');
        if (sections_.empty() || equals == std::string::npos) continue;
        std::string trimmed = Trim(content.substr(equals + 1));
        const char *valueBegin = trimmed.c_str(), *valueEnd = valueBegin + trimmed.size();
        StripProfileQuotes(&valueBegin, &valueEnd);
        std::string value(valueBegin, valueEnd);
        sections_.back().Keys.push_back({Trim(content.substr(0, equals)), value, line});
    }
    lines_ = line;
}

const ProfileSection *Profile::Section(const std::string &name) const
{
    for (const ProfileSection &section : sections_)
        if (SameName(section.Name, name)) return &section;
    return nullptr;
}

const ProfileKey *Profile::Key(const std::string &section, const std::string &key) const
{
    const ProfileSection *found = Section(section);
    if (!found) return nullptr;
    for (const ProfileKey &entry : found->Keys)
        if (SameName(entry.Name, key)) return &entry;
    return nullptr;
}

long Profile::HighestNumber(const std::string &section, const std::string &prefix) const
{
    const ProfileSection *found = Section(section);
    std::string lowerPrefix = Lower(prefix);
    long highest = 0;
    if (found)
        for (const ProfileKey &key : found->Keys) {
            std::string lower = Lower(key.Name);
            if (lower.size() > lowerPrefix.size() &&
                lower.size() <= lowerPrefix.size() + KeyNumberDigitsMax &&
                lower.compare(0, lowerPrefix.size(), lowerPrefix) == 0 &&
                lower.find_first_not_of("0123456789", lowerPrefix.size()) == std::string::npos)
                highest = std::max(highest, std::stol(lower.substr(lowerPrefix.size())));
        }
    return highest;
}

long ProfileInt(const std::string &text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && isdigit((unsigned char)text[i]); ++i)
        value = std::min<long>(value * 10 + (text[i] - '0'), INT_MAX);
    return negative ? -value : value;
}

}  // namespace setupkit
