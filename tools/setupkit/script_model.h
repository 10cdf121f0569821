// A setup script as the profile functions see it: sections and keys matched
// in any case, the first occurrence counting, a value trimmed and freed of
// one pair of surrounding quotes. check judges the script through it.
#pragma once

#include <string>
#include <vector>

namespace setupkit {

// The most digits a numbered key's number is read with.
enum { KeyNumberDigitsMax = 9 };

struct ProfileKey {
    std::string Name, Value;
    int Line;
};

struct ProfileSection {
    std::string Name;
    int Line;
    std::vector<ProfileKey> Keys;  // in the order written, duplicates included
};

class Profile {
public:
    explicit Profile(const std::string &text);

    // The first section or key of that name in any case, or null.
    const ProfileSection *Section(const std::string &name) const;
    const ProfileKey *Key(const std::string &section, const std::string &key) const;
    // The highest n of the keys prefix<n> in section (up to nine digits), 0 when none.
    long HighestNumber(const std::string &section, const std::string &prefix) const;

    const std::vector<ProfileSection> &Sections() const { return sections_; }
    int Lines() const { return lines_; }

private:
    std::vector<ProfileSection> sections_;
    int lines_ = 0;
};

// A value as GetPrivateProfileIntA reads it: leading decimal digits with an
// optional sign, 0 when there are none, capped at INT_MAX.
long ProfileInt(const std::string &text);

}  // namespace setupkit
