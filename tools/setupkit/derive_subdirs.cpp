#include "tools/setupkit/derive_subdirs.h"

#include <set>

#include "core/entries.h"
#include "core/names.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

namespace {

// The longest Dir<n> value the program's buffer holds.
enum { DirValueMax = DirNameLimit - 1 };

class SubDirList {
public:
    SubDirList(const std::string &authoringName, const CodePage &codePage)
        : name_(authoringName), codePage_(codePage)
    {
    }

    // path and each of its parents, parents first; a path the program would
    // refuse is kept as written, for check to report.
    void AddWithParents(const std::string &path, int line)
    {
        if (!IsContainedName(path.c_str())) {
            Add(path, line);
            return;
        }
        std::string level;
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = path.find_first_of("\\/", start);
            if (end == std::string::npos) end = path.size();
            if (end > start) {
                level += (level.empty() ? "" : "\\") + path.substr(start, end - start);
                Add(level, line);
            }
            start = end + 1;
        }
    }

    std::vector<AuthoredValue> Take() { return std::move(list_); }

private:
    void Add(const std::string &level, int line)
    {
        if (!seen_.insert(Lower(level)).second) return;
        size_t bytes = codePage_.EncodeLossy(level).size();
        if (bytes > DirValueMax)
            throw FileError(name_,
                            "the directory '" + level + "' would be a Dir<n> of " +
                                std::to_string(bytes) + " characters; SETUP.EXE holds at most " +
                                std::to_string(DirValueMax),
                            line);
        list_.push_back({"Dir", level, line});
    }

    const std::string &name_;
    const CodePage &codePage_;
    std::set<std::string> seen_;  // lower case
    std::vector<AuthoredValue> list_;
};

}  // namespace

void DeriveSubDirs(Authoring &authoring, const CodePage &codePage)
{
    SubDirList list(authoring.Name, codePage);
    for (const AuthoredValue &dir : authoring.SubDirs) list.AddWithParents(dir.Value, dir.Line);
    for (const AuthoredFile &file : authoring.Files) {
        const FileEntryRule *rule = FindFileEntryRule(file.Type);
        if (!rule || rule->DestinationDir != InInstallDir) continue;
        size_t slash = file.Destination.find_last_of("\\/");
        if (slash == std::string::npos || !IsContainedName(file.Destination.c_str())) continue;
        list.AddWithParents(file.Destination.substr(0, slash), file.Line);
    }
    authoring.SubDirs = list.Take();
}

}  // namespace setupkit
