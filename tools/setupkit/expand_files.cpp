#include "tools/setupkit/expand_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "tools/setupkit/error.h"
#include "tools/setupkit/posix.h"
#include "tools/setupkit/product_path.h"

namespace setupkit {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// '*' any run of characters, '?' one character; everything else itself.
bool Matches(const char *pattern, const char *name)
{
    for (; *pattern; ++pattern, ++name) {
        if (*pattern == '*') {
            for (const char *rest = name;; ++rest) {
                if (Matches(pattern + 1, rest)) return true;
                if (!*rest) return false;
            }
        }
        if (!*name || (*pattern != '?' && *pattern != *name)) return false;
    }
    return !*name;
}

bool IsHidden(const std::string &relative)
{
    if (relative.empty()) return false;
    if (relative[0] == '.') return true;
    return relative.find("/.") != std::string::npos;
}

std::string Slashed(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A product path's files, relative to its folder, and the folder itself.
struct Found {
    std::string Folder;  // relative to the product folder, "" for itself
    std::vector<std::string> Files;
};

class LineExpander {
public:
    LineExpander(const AuthoredFile &line, const std::string &productDir, const std::string &name)
        : line_(line), productDir_(productDir), name_(name)
    {
    }

    Found Find(const std::string &productPath) const
    {
        std::string path = Slashed(productPath);
        Found found;
        if (path.back() == '/') {
            while (!path.empty() && path.back() == '/') path.pop_back();
            found.Folder = CheckedFolder(path, productPath);
            for (const TreeEntry &entry : ListTree(Join(found.Folder)))
                if (entry.Type != TreeEntry::Folder && !IsHidden(entry.Path))
                    found.Files.push_back(entry.Path);
            if (found.Files.empty()) Fail("folder '" + productPath + "' holds no file");
        } else {
            size_t slash = path.rfind('/');
            std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
            std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
            if (folder.find_first_of("*?") != std::string::npos)
                Fail("'" + productPath + "': '*' and '?' work only in the last component");
            found.Folder = folder.empty() ? "" : CheckedFolder(folder, productPath);
            std::error_code error;
            for (fs::directory_iterator it(Join(found.Folder), error), end; !error && it != end;
                 it.increment(error)) {
                std::string name = it->path().filename().string();
                std::error_code kindError;
                if (name[0] == '.' || it->is_directory(kindError)) continue;
                if (Matches(pattern.c_str(), name.c_str())) found.Files.push_back(name);
            }
            if (error) Fail("cannot read the folder of '" + productPath + "': " + error.message());
            if (found.Files.empty()) Fail("'" + productPath + "' matches no file");
        }
        std::sort(found.Files.begin(), found.Files.end());
        return found;
    }

    std::vector<AuthoredFile> Expand() const
    {
        Found first = Find(line_.ProductPath);
        Found other;
        if (!line_.OtherProductPath.empty()) {
            other = Find(line_.OtherProductPath);
            CheckSameFiles(first, other);
        }
        std::vector<AuthoredFile> files;
        for (const std::string &relative : first.Files) {
            AuthoredFile file = line_;
            file.NewDisk = line_.NewDisk && files.empty();
            file.ProductPath = Below(first.Folder, relative);
            if (!line_.OtherProductPath.empty()) file.OtherProductPath = Below(other.Folder, relative);
            file.Destination = DestinationBelow(line_.Destination, relative);
            files.push_back(file);
        }
        return files;
    }

private:
    [[noreturn]] void Fail(const std::string &message) const
    {
        throw FileError(name_, message, line_.Line);
    }

    std::string Join(const std::string &folder) const
    {
        return folder.empty() ? productDir_ : productDir_ + "/" + folder;
    }

    static std::string Below(const std::string &folder, const std::string &relative)
    {
        return folder.empty() ? relative : folder + "/" + relative;
    }

    std::string CheckedFolder(const std::string &folder, const std::string &written) const
    {
        if (!folder.empty() && !ProductPathStaysInside(folder))
            Fail("product path '" + written + "' leaves the product folder");
        std::error_code error;
        if (!fs::is_directory(Join(folder), error)) Fail("no product folder '" + folder + "'");
        return folder;
    }

    void CheckSameFiles(const Found &first, const Found &other) const
    {
        for (const auto &pair : {std::make_pair(&first, &other), std::make_pair(&other, &first)}) {
            for (const std::string &name : pair.first->Files)
                if (!std::binary_search(pair.second->Files.begin(), pair.second->Files.end(), name))
                    Fail("type 6: '" + Below(pair.first->Folder, name) + "' has no counterpart in '" +
                         (pair.first == &first ? line_.OtherProductPath : line_.ProductPath) + "'");
        }
    }

    const AuthoredFile &line_;
    const std::string &productDir_;
    const std::string &name_;
};

}  // namespace

bool NamesManyFiles(const std::string &productPath)
{
    if (productPath.empty()) return false;
    return IsSeparator(productPath.back()) || productPath.find_first_of("*?") != std::string::npos;
}

std::string DestinationBelow(const std::string &directory, const std::string &relative)
{
    std::string destination = directory + relative;
    std::replace(destination.begin(), destination.end(), '/', '\\');
    return destination;
}

std::vector<AuthoredFile> ExpandFileLine(const AuthoredFile &line, const std::string &productDir,
                                         const std::string &authoringName)
{
    if (!NamesManyFiles(line.ProductPath) || RuleOf(line).SourceDir != InSourceDir) return {line};
    return LineExpander(line, productDir, authoringName).Expand();
}

void ExpandFileLines(Authoring &authoring, const std::string &productDir)
{
    std::vector<AuthoredFile> expanded;
    for (const AuthoredFile &line : authoring.Files)
        for (AuthoredFile &file : ExpandFileLine(line, productDir, authoring.Name))
            expanded.push_back(std::move(file));
    authoring.Files = std::move(expanded);
}

}  // namespace setupkit
