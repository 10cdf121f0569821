#include "tools/setupkit/check.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "core/entries.h"
#include "core/group_commands.h"
#include "core/group_text.h"
#include "core/names.h"
#include "core/script_keys.h"
#include "tools/setupkit/authoring.h"
#include "tools/setupkit/check_disks.h"
#include "tools/setupkit/install_size.h"
#include "tools/setupkit/script_model.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

namespace {

// The longest Dir<n> the program holds.
enum { DirNameMax = DirNameLimit - 1 };
// Beyond this many missing or stray entries in one list the rest are summed up.
enum { ListedProblemsMax = 5 };

class Checker {
public:
    Checker(const std::string &text, const std::string &disksDir, const CodePage &codePage)
        : profile_(text), disksDir_(disksDir), codePage_(codePage), disks_(disksDir, codePage)
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
        // The messages quote the script's names in its code page.
        for (Diagnostic &diagnostic : found_) diagnostic.Message = codePage_.ToUtf8(diagnostic.Message);
        return std::move(found_);
    }

private:
    // The name rules, which look for '\', ':' and the like byte by byte,
    // over what stands for characters in the code page.
    bool Contained(const std::string &name) const
    {
        return IsContainedName(codePage_.SingleByteView(name).c_str());
    }

    // Why SETUP.EXE refuses a name it would join to a directory: a device
    // name, or a name that reaches outside.
    std::string Refusal(const std::string &name, const char *outside) const
    {
        return HasDeviceComponent(codePage_.SingleByteView(name).c_str()) ? "names a device, not a file"
                                                                           : outside;
    }

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
        long highest = profile_.HighestNumber(section, prefix);
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
            else if (number.size() > KeyNumberDigitsMax || std::stol(number) > count)
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
        if (const ProfileKey *key = profile_.Key(SectionWinGroup, KeyNameGroupTitle)) {
            groupTitle_ = Read(*key, GroupTitleLimit, KeyNameGroupTitle);
            if (!IsGroupFolderName(codePage_.SingleByteView(groupTitle_).c_str()))
                Report(key->Line, false,
                       KeyNameGroupTitle " holds a control character or one of \\ / : * ? \" "
                       "< > |, which no group name can; the user must type another name");
        }
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
                            if (!Contained(name)) {
                                Report(key.Line, true,
                                       key.Name + " '" + name + "' " +
                                           Refusal(name, "leaves the install directory"));
                                return;
                            }
                            size_t slash = codePage_.LastSeparator(name);
                            if (slash != std::string::npos) {
                                std::string parent = name.substr(0, slash);
                                bool before = std::any_of(made.begin(), made.end(),
                                                          [&](const std::string &dir) {
                                                              return codePage_.SameName(dir, parent);
                                                          });
                                if (!before)
                                    Report(key.Line, true,
                                           key.Name + " '" + name + "' is nested below '" +
                                               parent + "', which no Dir before it makes");
                            }
                            made.push_back(name);
                        });
    }

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
            if (files > MaxNumberFiles)
                Report(line, true,
                       "NumberFiles=" + std::to_string(files) + " but SETUP.EXE reads at most " +
                           std::to_string(MaxNumberFiles) + " entries of a disk");
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
                   key.Name + " begins with '" +
                       text.substr(0, codePage_.IsLeadByte((unsigned char)text[0]) ? 2 : 1) +
                       "', not a type digit; SETUP.EXE reads it as type 2");
        int type = digit < 0 ? FileToSystem : digit;
        const FileEntryRule *rule = FindFileEntryRule(type);
        if (!rule) {
            Report(key.Line, true, key.Name + " has type " + std::to_string(digit) +
                                       "; SETUP.EXE knows only types 1 to " +
                                       std::to_string(LastFileEntryType));
            return;
        }
        FileEntry entry;
        if (!ParseFileEntry(text.c_str(), &entry)) {
            Report(key.Line, true,
                   key.Name + (rule->SourceCount > 1
                                   ? " needs " + std::to_string(type) +
                                         ",source-419,source-other,destination"
                                   : std::string(" needs type,source,destination")));
            return;
        }
        std::vector<std::string> sources = {entry.Source};
        if (rule->SourceCount > 1) sources.push_back(entry.OtherSource);
        if (!Contained(entry.Destination))
            Report(key.Line, true,
                   key.Name + " destination '" + std::string(entry.Destination) + "' " +
                       Refusal(entry.Destination, "leaves its directory"));
        for (const std::string &source : sources)
            if (!Contained(source)) {
                Report(key.Line, true, key.Name + " source " + Refusal(source, "leaves its directory"));
                break;
            }
        if (codePage_.SingleByteView(entry.Destination).find_first_of("<>:\"|?*") != std::string::npos)
            Report(key.Line, true,
                   key.Name + " destination '" + std::string(entry.Destination) +
                       "' holds a character no file name can");
        if (rule->DestinationDir == InInstallDir &&
            installDir_.size() + 1 + strlen(entry.Destination) >= InstallPathSize)
            Report(key.Line, true,
                   key.Name + " destination does not fit a path of " +
                       std::to_string(InstallPathSize - 1) + " characters below InstalDir");
        if (rule->DestinationDir == InTempDir) staged->push_back(entry.Destination);
        if (rule->SourceDir == InTempDir) {
            auto stager = std::find_if(staged->rbegin(), staged->rend(), [&](const std::string &name) {
                return codePage_.SameName(name, entry.Source);
            });
            if (stager == staged->rend())
                Report(key.Line, true,
                       key.Name + " expands '" + std::string(entry.Source) +
                           "' from the temporary directory, but no type-4 entry before it "
                           "puts it there");
        }
        entries_.push_back({key.Line, type, disk, sources, entry.Destination});
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
                            if (!Contained(entry.CommandFile))
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
                            if (strpbrk(entry.CommandFile, "\")") || HasControl(entry.CommandFile))
                                Report(key.Line, true,
                                       key.Name + " command file holds a '\"', a ')' or a "
                                                  "control character, which would end the "
                                                  "shell's command; SETUP.EXE leaves it out");
                            if (strchr(entry.Name, '"') || HasControl(entry.Name))
                                Report(key.Line, false,
                                       key.Name + " name holds a '\"' or a control character; "
                                                  "SETUP.EXE sends an apostrophe or a space "
                                                  "in its place");
                        });
        CheckGroupText(count);
    }

    // The group's commands as SETUP.EXE builds them, with the script's group
    // title and install directory: the first item that does not fit in the
    // command text, when one parses and fits a line but is left out.
    void CheckGroupText(long count)
    {
        struct Items {
            Checker *Self = nullptr;
            long Read = 0;
            std::vector<bool> Added;
        } items;
        items.Self = this;
        items.Added.assign((size_t)std::max(0L, std::min<long>(count, MaxNumberItem)) + 1, false);
        auto read = [](void *context, int n, char *text) {
            Items *items = static_cast<Items *>(context);
            items->Read = n;
            const ProfileKey *key =
                items->Self->profile_.Key(SectionWinGroup, ItemKeyPrefix + std::to_string(n));
            snprintf(text, ItemLimit, "%s", key ? key->Value.c_str() : "");
        };
        auto added = [](void *context, const char *, const ItemEntry &) {
            Items *items = static_cast<Items *>(context);
            items->Added[items->Read] = true;
        };
        const int last = (int)items.Added.size() - 1;
        std::vector<char> text(GroupCommandTextSize);
        BuildGroupText(text.data(), text.size(), groupTitle_.c_str(), installDir_.c_str(), last,
                       read, added, &items);
        std::vector<bool> fit = items.Added;
        // Unbounded, only a line's own length leaves an item out.
        std::vector<char> unbounded((size_t)(last + 3) * GroupCommandLineSize);
        items.Added.assign(items.Added.size(), false);
        BuildGroupText(unbounded.data(), unbounded.size(), groupTitle_.c_str(),
                       installDir_.c_str(), last, read, added, &items);
        int first = 0, left = 0;
        for (int n = 1; n <= last; ++n)
            if (items.Added[n] && !fit[n]) {
                if (!first) first = n;
                ++left;
            }
        if (!first) return;
        const ProfileKey *key = profile_.Key(SectionWinGroup, ItemKeyPrefix + std::to_string(first));
        Report(key->Line, true,
               key->Name + (left > 1 ? " and " + std::to_string(left - 1) + " items after it do"
                                     : std::string(" does")) +
                   " not fit in the " + std::to_string(GroupCommandTextSize) +
                   " bytes of the group's commands; SETUP.EXE leaves " +
                   (left > 1 ? "them" : "it") + " out");
    }

    static bool HasControl(const char *text)
    {
        for (const unsigned char *at = (const unsigned char *)text; *at; ++at)
            if (*at < ' ' || *at == 0x7F) return true;
        return false;
    }

    // With the disks beside the script: sources missing from their disk, and
    // a SizeInst smaller than the files need.
    void CheckSizeInst()
    {
        if (disksDir_.empty()) return;
        SourcesFound sources = disks_.FindAll(entries_);
        if (!sources.Found) return;  // no disks beside the script
        for (const auto &gone : sources.Missing)
            Report(gone.first, false, "source '" + gone.second + "' is not on its disk");
        const ProfileKey *key = profile_.Key(SectionTitle, KeyNameSizeInst);
        long sizeInst = key ? ProfileInt(key->Value) : 0;
        uint64_t needKb = RequiredSizeInst(sources.Sized);
        if ((uint64_t)std::max(sizeInst, 0L) < needKb)
            Report(key ? key->Line : SectionLine(SectionTitle), true,
                   "SizeInst=" + std::to_string(sizeInst) + " but the files for the install "
                   "directory need " + std::to_string(needKb) + " KB");
    }

    Profile profile_;
    std::string disksDir_;
    const CodePage &codePage_;
    std::string installDir_;
    std::string groupTitle_;
    int numberDisk_ = 0;
    DiskSources disks_;
    std::vector<ScriptFileEntry> entries_;
    std::vector<Diagnostic> found_;
};

}  // namespace

std::vector<Diagnostic> CheckScript(const std::string &text, const std::string &disksDir,
                                    const CodePage &codePage)
{
    return Checker(text, disksDir, codePage).Run();
}

}  // namespace setupkit
