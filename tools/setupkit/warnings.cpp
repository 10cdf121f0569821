#include "tools/setupkit/warnings.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "core/entries.h"
#include "tools/setupkit/expand_files.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

namespace {

// The placeholder of the install directory in regVal data and IniKey values.
const char InstallDirPlaceholder[] = "#s\\";

// A name as the platform compares it: lower case, backslashes.
std::string Comparable(std::string name)
{
    std::replace(name.begin(), name.end(), '/', '\\');
    return Lower(Trim(name));
}

bool Installs(const AuthoredFile &file, const std::string &command)
{
    const FileEntryRule *rule = FindFileEntryRule(file.Type);
    if (!rule || rule->DestinationDir != InInstallDir) return false;
    std::string destination = Comparable(file.Destination);
    if (rule->SourceDir != InSourceDir || !NamesManyFiles(file.ProductPath))
        return destination == command;
    // An unexpanded folder takes everything below its directory, a pattern
    // what lies in it.
    if (command.compare(0, destination.size(), destination) != 0) return false;
    bool folder = file.ProductPath.find_last_of("/\\") == file.ProductPath.size() - 1;
    return folder || command.find('\\', destination.size()) == std::string::npos;
}

class Warner {
public:
    explicit Warner(const Authoring &authoring) : authoring_(authoring) {}

    std::vector<Diagnostic> Run()
    {
        for (const AuthoredValue &value : authoring_.Title)
            if (value.Value.find(';') != std::string::npos)
                Warn(value.Line, "the ';' in " + value.Key +
                                     " is part of the value, not a comment");
        CheckDestinations();
        for (const AuthoredRegistryEntry &entry : authoring_.Registry) CheckPlaceholder(entry.Value);
        for (const AuthoredValue &value : authoring_.WinIni) CheckPlaceholder(value);
        for (const AuthoredValue &item : authoring_.Items) CheckItem(item);
        std::stable_sort(found_.begin(), found_.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.Line < b.Line; });
        return std::move(found_);
    }

private:
    // Line 0: what pack added itself (--uninstaller), not the author's.
    void Warn(int line, const std::string &message)
    {
        if (line > 0) found_.push_back({line, false, message});
    }

    void CheckDestinations()
    {
        std::map<std::pair<int, std::string>, int> written;  // (directory, name) -> first line
        for (const AuthoredFile &file : authoring_.Files) {
            const FileEntryRule *rule = FindFileEntryRule(file.Type);
            // The temporary directory is taken again and again by design.
            if (!rule || rule->DestinationDir == InTempDir ||
                (rule->SourceDir == InSourceDir && NamesManyFiles(file.ProductPath)))
                continue;
            auto first = written.emplace(
                std::make_pair((int)rule->DestinationDir, Comparable(file.Destination)), file.Line);
            if (!first.second)
                Warn(file.Line, "'" + file.Destination + "' is written again (first on line " +
                                    std::to_string(first.first->second) + ")");
        }
    }

    void CheckPlaceholder(const AuthoredValue &value)
    {
        for (size_t at = value.Value.find("#s"); at != std::string::npos;
             at = value.Value.find("#s", at + 1))
            if (value.Value.compare(at, strlen(InstallDirPlaceholder), InstallDirPlaceholder) != 0) {
                Warn(value.Line, "'#s' without a backslash after it is not replaced; the install "
                                 "directory is written '#s\\'");
                return;
            }
    }

    void CheckItem(const AuthoredValue &item)
    {
        size_t comma = item.Value.find(',');
        if (comma == std::string::npos) return;  // check reports the form
        std::string command = Comparable(item.Value.substr(0, comma));
        std::string program = command.substr(0, command.find(' '));
        for (const AuthoredFile &file : authoring_.Files)
            if (Installs(file, command) || Installs(file, program)) return;
        Warn(item.Line, "group item '" + item.Value.substr(0, comma) +
                            "': no entry installs that file in the install directory");
    }

    const Authoring &authoring_;
    std::vector<Diagnostic> found_;
};

}  // namespace

std::vector<Diagnostic> AuthoringWarnings(const Authoring &authoring)
{
    return Warner(authoring).Run();
}

}  // namespace setupkit
