#include "check.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <memory>

#include "core/entries.h"
#include "core/group_commands.h"
#include "core/group_text.h"
#include "core/lz_header.h"
#include "core/names.h"
#include "core/profile_value.h"
#include "core/script_keys.h"
#include "authoring.h"
#include "commands.h"
#include "error.h"
#include "fileio.h"

namespace setupkit {

namespace {

// The install path buffer, and one line of the group commands, as the
// program sizes them.
enum { InstallPathSize = 256, DirNameMax = DirNameLimit - 1 };
// Beyond this many missing or stray entries in one list the rest are summed up.
enum { ListedProblemsMax = 5 };

std::string Trim(const std::string &text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isspace((unsigned char)text[begin])) ++begin;
    while (end > begin && isspace((unsigned char)text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// The script as the profile functions see it: sections and keys matched in
// any case, the first occurrence counting, a value trimmed and freed of one
// pair of surrounding quotes.
struct ProfileKey {
    std::string Name, Value;
    int Line;
};
struct ProfileSection {
    std::string Name;
    int Line;
    std::vector<ProfileKey> Keys;
};

class Profile {
public:
    explicit Profile(const std::string &text)
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

    const ProfileSection *Section(const std::string &name) const
    {
        for (const ProfileSection &section : sections_)
            if (SameName(section.Name, name)) return &section;
        return nullptr;
    }
    const ProfileKey *Key(const std::string &section, const std::string &key) const
    {
        const ProfileSection *found = Section(section);
        if (!found) return nullptr;
        for (const ProfileKey &entry : found->Keys)
            if (SameName(entry.Name, key)) return &entry;
        return nullptr;
    }
    const std::vector<ProfileSection> &Sections() const { return sections_; }
    int Lines() const { return lines_; }

private:
    std::vector<ProfileSection> sections_;
    int lines_ = 0;
};

// GetPrivateProfileIntA: leading decimal digits with an optional sign; 0
// when there are none.
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

std::string Lower(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

// Why SETUP.EXE refuses a name it would join to a directory: a device
// name, or a name that reaches outside.
std::string Refusal(const char *name, const char *outside)
{
    return HasDeviceComponent(name) ? "names a device, not a file" : outside;
}

// A file's expanded size: the length in an LZ header, or its own size.
bool ExpandedSize(const std::string &path, uint64_t *size)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    *size = (uint64_t)info.st_size;
    std::unique_ptr<FILE, int (*)(FILE *)> file(fopen(path.c_str(), "rb"), fclose);
    unsigned char header[LzHeaderSize];
    if (file && fread(header, 1, sizeof header, file.get()) == sizeof header &&
        HasLzSignature(header, sizeof header))
        *size = LzExpandedLength(header);
    return true;
}

// The entries of a directory by lower-case name, for lookups in any case.
std::map<std::string, std::string> ListDirectory(const std::string &dir)
{
    std::map<std::string, std::string> names;
    std::unique_ptr<DIR, int (*)(DIR *)> handle(opendir(dir.c_str()), closedir);
    if (!handle) return names;
    while (struct dirent *entry = readdir(handle.get()))
        names.emplace(Lower(entry->d_name), dir + "/" + entry->d_name);
    return names;
}

class Checker {
public:
    Checker(const std::string &text, const std::string &disksDir)
        : profile_(text), disksDir_(disksDir)
    {
    }

    std::vector<Diagnostic> Run()
    {
        CheckTitle();
        CheckSubDirs();
        CheckDisks();
        CheckRegistry();
        CheckWinIni();
        CheckGroup();
        CheckSizeInst();
        std::stable_sort(found_.begin(), found_.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.Line < b.Line; });
        return std::move(found_);
    }

private:
    void Report(int line, bool error, const std::string &message)
    {
        found_.push_back({std::max(1, std::min(line, profile_.Lines())), error, message});
    }

    // The line to blame for something missing from a section: the section's
    // header, or the first line when the section is not there.
    int SectionLine(const std::string &section) const
    {
        const ProfileSection *found = profile_.Section(section);
        return found ? found->Line : 1;
    }

    // A value as the program holds it: cut to limit - 1 characters.
    std::string Read(const ProfileKey &key, int limit, const std::string &what)
    {
        if ((int)key.Value.size() >= limit) {
            Report(key.Line, true,
                   what + " is " + std::to_string(key.Value.size()) +
                       " characters long; SETUP.EXE reads only the first " +
                       std::to_string(limit - 1));
            return key.Value.substr(0, limit - 1);
        }
        return key.Value;
    }

    long Count(const std::string &section, const std::string &key, long fallback, int *line)
    {
        const ProfileKey *found = profile_.Key(section, key);
        *line = found ? found->Line : SectionLine(section);
        if (!found) return fallback;
        for (const ProfileKey &other : profile_.Section(section)->Keys)
            if (&other != found && SameName(other.Name, key))
                Report(other.Line, false,
                       key + " given again; SETUP.EXE reads line " + std::to_string(found->Line));
        return ProfileInt(found->Value);
    }

    // Calls visit for every numbered key 1..count; reports the missing ones,
    // the duplicates and those numbered above the count.
    template <typename Visit>
    void ForEachNumbered(const std::string &section, const std::string &prefix, long count,
                         int countLine, const std::string &countName, Visit visit)
    {
        const ProfileSection *found = profile_.Section(section);
        std::string lowerPrefix = Lower(prefix);
        // The highest number written, so that a huge count is not walked.
        long highest = 0;
        if (found)
            for (const ProfileKey &key : found->Keys) {
                std::string lower = Lower(key.Name);
                if (lower.size() > lowerPrefix.size() && lower.size() <= lowerPrefix.size() + 9 &&
                    lower.compare(0, lowerPrefix.size(), lowerPrefix) == 0 &&
                    lower.find_first_not_of("0123456789", lowerPrefix.size()) == std::string::npos)
                    highest = std::max(highest, std::stol(lower.substr(lowerPrefix.size())));
            }
        long missing = 0;
        std::string missingNames;
        long last = std::min(count, highest + ListedProblemsMax);
        for (long n = 1; n <= last; ++n) {
            std::string name = prefix + std::to_string(n);
            const ProfileKey *key = found ? profile_.Key(section, name) : nullptr;
            if (!key) {
                if (++missing <= ListedProblemsMax)
                    missingNames += (missing > 1 ? ", " : "") + name;
                continue;
            }
            visit(*key, n);
        }
        if (count > last) missing += count - last;
        if (missing)
            Report(countLine, true,
                   countName + "=" + std::to_string(count) + " but " + missingNames +
                       (missing > ListedProblemsMax ? " and more are" :
                        missing > 1                 ? " are"
                                                    : " is") +
                       " missing from [" + section + "]");
        if (!found) return;
        std::map<std::string, int> seen;
        for (const ProfileKey &key : found->Keys) {
            std::string lower = Lower(key.Name);
            if (lower.compare(0, lowerPrefix.size(), lowerPrefix) != 0) continue;
            std::string number = lower.substr(lowerPrefix.size());
            if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos ||
                number[0] == '0')
                continue;
            auto first = seen.emplace(lower, key.Line);
            if (!first.second)
                Report(key.Line, false,
                       key.Name + " given again; SETUP.EXE reads line " +
                           std::to_string(first.first->second));
            else if (number.size() > 9 || std::stol(number) > count)
                Report(key.Line, false,
                       key.Name + " is numbered above " + countName + "=" +
                           std::to_string(count) + " and is ignored");
        }
    }

    void CheckTitle()
    {
        if (const ProfileKey *key = profile_.Key(SectionTitle, KeyNameDlgTitle))
            Read(*key, DlgTitleLimit, KeyNameDlgTitle);
        if (const ProfileKey *key = profile_.Key(SectionTitle, KeyNameInstalDir))
            installDir_ = Read(*key, InstalDirLimit, KeyNameInstalDir);
        if (const ProfileKey *key = profile_.Key(SectionWinGroup, KeyNameGroupTitle))
            Read(*key, GroupTitleLimit, KeyNameGroupTitle);
    }

    void CheckSubDirs()
    {
        int line;
        long count = Count(SectionSubDir, KeyNameNumberDirs, 0, &line);
        std::vector<std::string> made;
        ForEachNumbered(SectionSubDir, DirKeyPrefix, count, line, KeyNameNumberDirs,
                        [&](const ProfileKey &key, long) {
                            // read with limit 100 into a buffer of DirNameLimit
                            std::string name = Read(key, 100, key.Name);
                            if ((int)name.size() > DirNameMax) {
                                Report(key.Line, true,
                                       key.Name + " is " + std::to_string(name.size()) +
                                           " characters long; SETUP.EXE holds at most " +
                                           std::to_string(DirNameMax));
                                return;
                            }
                            if (!IsContainedName(name.c_str())) {
                                Report(key.Line, true,
                                       key.Name + " '" + name + "' " +
                                           Refusal(name.c_str(), "leaves the install directory"));
                                return;
                            }
                            size_t slash = name.find_last_of("\\/");
                            if (slash != std::string::npos) {
                                std::string parent = name.substr(0, slash);
                                bool before = std::any_of(made.begin(), made.end(),
                                                          [&](const std::string &dir) {
                                                              return SameName(dir, parent);
                                                          });
                                if (!before)
                                    Report(key.Line, true,
                                           key.Name + " '" + name + "' is nested below '" +
                                               parent + "', which no Dir before it makes");
                            }
                            made.push_back(name);
                        });
    }

    struct Source {
        int Disk;
        std::string Name;
    };

    void CheckDisks()
    {
        int diskLine;
        long disks = Count(SectionTitle, KeyNameNumberDisk, 1, &diskLine);
        if (disks > MaxNumberDisk) {
            Report(diskLine, true, "NumberDisk=" + std::to_string(disks) + " is not a disk count");
            return;
        }
        numberDisk_ = (int)disks;
        std::vector<std::string> staged;  // type-4 destinations so far
        for (int disk = 1; disk <= numberDisk_; ++disk) {
            std::string section = DiskNamePrefix + std::to_string(disk);
            int line;
            long files = Count(section, KeyNameNumberFiles, 0, &line);
            ForEachNumbered(section, FileKeyPrefix, files, line, KeyNameNumberFiles,
                            [&](const ProfileKey &key, long) {
                                CheckFileEntry(key, disk, &staged);
                            });
        }
    }

    void CheckFileEntry(const ProfileKey &key, int disk, std::vector<std::string> *staged)
    {
        std::string text = Read(key, FileEntryLimit, key.Name);
        int digit = ParseLeadingDigit(text.c_str());
        if (digit < 0 && !text.empty())
            Report(key.Line, false,
                   key.Name + " begins with '" + std::string(1, text[0]) +
                       "', not a type digit; SETUP.EXE reads it as type 2");
        if (digit == 0 || digit > 6) {
            Report(key.Line, true, key.Name + " has type " + std::to_string(digit) +
                                       "; SETUP.EXE knows only types 1 to 6");
            return;
        }
        FileEntry entry;
        if (!ParseFileEntry(text.c_str(), &entry)) {
            Report(key.Line, true,
                   key.Name + (digit == FileByLocale
                                   ? " needs 6,source-419,source-other,destination"
                                   : " needs type,source,destination"));
            return;
        }
        int type = digit < 0 ? FileToSystem : digit;
        if (!IsContainedName(entry.Destination))
            Report(key.Line, true,
                   key.Name + " destination '" + std::string(entry.Destination) + "' " +
                       Refusal(entry.Destination, "leaves its directory"));
        if (!IsContainedName(entry.Source) ||
            (type == FileByLocale && !IsContainedName(entry.OtherSource)))
            Report(key.Line, true,
                   key.Name + " source " +
                       Refusal(IsContainedName(entry.Source) ? entry.OtherSource : entry.Source,
                               "leaves its directory"));
        if (strpbrk(entry.Destination, "<>:\"|?*"))
            Report(key.Line, true,
                   key.Name + " destination '" + std::string(entry.Destination) +
                       "' holds a character no file name can");
        if ((type == FileToInstall || type == FileFromTemp || type == FileByLocale) &&
            installDir_.size() + 1 + strlen(entry.Destination) >= InstallPathSize)
            Report(key.Line, true,
                   key.Name + " destination does not fit a path of " +
                       std::to_string(InstallPathSize - 1) + " characters below InstalDir");
        if (type == FileToTemp) staged->push_back(entry.Destination);
        if (type == FileFromTemp) {
            auto stager = std::find_if(staged->rbegin(), staged->rend(), [&](const std::string &name) {
                return SameName(name, entry.Source);
            });
            if (stager == staged->rend())
                Report(key.Line, true,
                       key.Name + " expands '" + std::string(entry.Source) +
                           "' from the temporary directory, but no type-4 entry before it "
                           "puts it there");
        }
        entries_.push_back({key.Line, type, disk, entry.Source, entry.OtherSource,
                            entry.Destination});
    }

    void CheckRegistry()
    {
        int line;
        long count = Count(SectionRegister, KeyNameNumberReg, 0, &line);
        ForEachNumbered(SectionRegister, RegKeyPrefix, count, line, KeyNameNumberReg,
                        [&](const ProfileKey &key, long) {
                            std::string text = Read(key, RegKeyLimit, key.Name);
                            RegKeyEntry entry;
                            if (!ParseRegKey(text.c_str(), &entry))
                                Report(key.Line, true,
                                       key.Name + " needs a root from 0 to 3, a separator and "
                                                  "a subkey");
                        });
        ForEachNumbered(SectionRegister, RegValPrefix, count, line, KeyNameNumberReg,
                        [&](const ProfileKey &key, long) {
                            std::string text = Read(key, RegValLimit, key.Name);
                            RegValEntry entry;
                            if (!ParseRegVal(text.c_str(), &entry))
                                Report(key.Line, true, key.Name + " needs name,data");
                            else if (strchr(entry.Data, '%'))
                                Report(key.Line, false,
                                       key.Name + " has a '%' in data that gets the "
                                                  "install-directory substitution");
                        });
    }

    void CheckWinIni()
    {
        int line;
        long count = Count(SectionWinIni, KeyNameNumberIni, 0, &line);
        ForEachNumbered(SectionWinIni, IniKeyPrefix, count, line, KeyNameNumberIni,
                        [&](const ProfileKey &key, long) {
                            std::string text = Read(key, IniKeyLimit, key.Name);
                            IniEntry entry;
                            if (!ParseIniKey(text.c_str(), &entry))
                                Report(key.Line, true, key.Name + " needs section,key,value");
                            else if (strchr(entry.Value, '%'))
                                Report(key.Line, false,
                                       key.Name + " has a '%' in a value that gets the "
                                                  "install-directory substitution");
                        });
    }

    void CheckGroup()
    {
        int line;
        long count = Count(SectionWinGroup, KeyNameNumberItem, 0, &line);
        ForEachNumbered(SectionWinGroup, ItemKeyPrefix, count, line, KeyNameNumberItem,
                        [&](const ProfileKey &key, long) {
                            std::string text = Read(key, ItemLimit, key.Name);
                            ItemEntry entry;
                            if (!ParseItem(text.c_str(), &entry)) {
                                Report(key.Line, true, key.Name + " needs command-file,name");
                                return;
                            }
                            if (!IsContainedName(entry.CommandFile))
                                Report(key.Line, true,
                                       key.Name + " command file " +
                                           Refusal(entry.CommandFile,
                                                   "leaves the install directory"));
                            // The AddItem line exactly as SETUP.EXE formats it, line end included.
                            int length = snprintf(nullptr, 0, AddItemFormat, installDir_.c_str(),
                                                  entry.CommandFile, entry.Name);
                            if (length < 0 || (size_t)length >= GroupCommandLineSize)
                                Report(key.Line, true,
                                       key.Name + " makes a group command longer than " +
                                           std::to_string(GroupCommandLineSize - 1) +
                                           " characters; SETUP.EXE leaves it out");
                        });
    }

    // Finds a source on its disk: disk<n>/name, or name beside the script.
    bool FindSource(int disk, const std::string &name, uint64_t *size)
    {
        std::string lower = Lower(name);
        for (char &c : lower)
            if (c == '\\') c = '/';
        for (const std::string &dir : {disksDir_ + "/disk" + std::to_string(disk), disksDir_}) {
            auto &listing = listings_[dir];
            if (listing.empty()) listing = ListDirectory(dir);
            // Only the last component is looked up in any case.
            size_t slash = lower.rfind('/');
            std::string base = slash == std::string::npos ? lower : lower.substr(slash + 1);
            std::string subdir = slash == std::string::npos ? "" : "/" + name.substr(0, slash);
            auto found = slash == std::string::npos ? listing.find(base) : listing.end();
            if (found != listing.end() && ExpandedSize(found->second, size)) return true;
            if (slash != std::string::npos && ExpandedSize(dir + subdir + "/" + name.substr(slash + 1), size))
                return true;
        }
        return false;
    }

    void CheckSizeInst()
    {
        if (disksDir_.empty()) return;
        uint64_t need = 0;
        int found = 0;
        std::vector<std::pair<int, std::string>> missing;
        std::map<std::string, uint64_t> stagedSizes;
        for (const Entry &entry : entries_) {
            uint64_t size = 0, other = 0;
            switch (entry.Type) {
            case FileToTemp:
                if (FindSource(entry.Disk, entry.Source, &size)) {
                    ++found;
                    stagedSizes[Lower(entry.Destination)] = size;
                } else {
                    missing.push_back({entry.Line, entry.Source});
                }
                break;
            case FileFromTemp: {
                auto staged = stagedSizes.find(Lower(entry.Source));
                if (staged != stagedSizes.end()) need += staged->second;
                break;
            }
            case FileByLocale:
                if (FindSource(entry.Disk, entry.Source, &size) &&
                    FindSource(entry.Disk, entry.OtherSource, &other)) {
                    ++found;
                    need += std::max(size, other);
                } else {
                    missing.push_back({entry.Line, entry.Source + "' or '" + entry.OtherSource});
                }
                break;
            default:
                if (FindSource(entry.Disk, entry.Source, &size)) {
                    ++found;
                    if (entry.Type == FileToInstall) need += size;
                } else {
                    missing.push_back({entry.Line, entry.Source});
                }
            }
        }
        if (!found) return;  // no disks beside the script
        for (const auto &gone : missing)
            Report(gone.first, false, "source '" + gone.second + "' is not on its disk");
        const ProfileKey *key = profile_.Key(SectionTitle, KeyNameSizeInst);
        long sizeInst = key ? ProfileInt(key->Value) : 0;
        uint64_t needKb = RequiredKilobytes(need);
        if ((uint64_t)std::max(sizeInst, 0L) < needKb)
            Report(key ? key->Line : SectionLine(SectionTitle), true,
                   "SizeInst=" + std::to_string(sizeInst) + " but the files for the install "
                   "directory need " + std::to_string(needKb) + " KB");
    }

    struct Entry {
        int Line, Type, Disk;
        std::string Source, OtherSource, Destination;
    };

    Profile profile_;
    std::string disksDir_;
    std::string installDir_;
    int numberDisk_ = 0;
    std::vector<Entry> entries_;
    std::map<std::string, std::map<std::string, std::string>> listings_;
    std::vector<Diagnostic> found_;
};

}  // namespace

uint64_t RequiredKilobytes(uint64_t bytes, uint64_t marginKb)
{
    return (bytes + 1023) / 1024 + marginKb;
}

std::vector<Diagnostic> CheckScript(const std::string &text, const std::string &disksDir)
{
    return Checker(text, disksDir).Run();
}

std::string FormatDiagnostic(const std::string &file, const Diagnostic &diagnostic)
{
    return file + ":" + std::to_string(diagnostic.Line) +
           (diagnostic.IsError ? ": error: " : ": warning: ") + diagnostic.Message;
}

int RunCheck(const Arguments &args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printf("usage: setupkit check SCRIPT\n\n"
               "Reports what SETUP.EXE cannot handle well in a setup script, as\n"
               "file:line: error|warning: message. When the disks (disk<n>/ folders or the\n"
               "compressed files) are beside the script, SizeInst is checked against them.\n"
               "Exit status 1 when there is an error.\n");
        return 0;
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
        throw Error("usage: setupkit check SCRIPT");
    const std::string &path = args[0];
    Bytes data = ReadFileBytes(path);
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
    bool errors = false;
    for (const Diagnostic &diagnostic :
         CheckScript(std::string(data.begin(), data.end()), dir)) {
        fprintf(stdout, "%s\n", FormatDiagnostic(path, diagnostic).c_str());
        errors |= diagnostic.IsError;
    }
    return errors ? 1 : 0;
}

}  // namespace setupkit
