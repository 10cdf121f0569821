#include "pack_list.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "error.h"
#include "fileio.h"

namespace setupkit {

namespace {

const char ListComment[] =
    "# What setupkit " SETUPKIT_VERSION " pack made in this folder. pack replaces the\n"
    "# folder only while it holds nothing else.\n";

std::string Listed(const TreeEntry &entry)
{
    return entry.Type == TreeEntry::Folder ? entry.Path + "/" : entry.Path;
}

}  // namespace

std::string FormatPackList(const std::vector<TreeEntry> &entries, const std::string &note)
{
    std::string text = ListComment;
    if (!note.empty()) text += "# " + note + "\n";
    for (const TreeEntry &entry : entries)
        if (entry.Type != TreeEntry::Other) text += Listed(entry) + "\n";
    return text;
}

std::string FirstForeignEntry(const std::vector<TreeEntry> &entries, const std::string &list)
{
    std::set<std::string> named;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') named.insert(line);
        start = end + 1;
    }
    for (const TreeEntry &entry : entries)
        if (entry.Type == TreeEntry::Other || !named.count(Listed(entry))) return entry.Path;
    return "";
}

void CheckReplaceable(const std::string &dir)
{
    struct stat info;
    if (lstat(dir.c_str(), &info) != 0) {
        if (errno == ENOENT) return;
        throw FileError(dir, strerror(errno));
    }
    if (S_ISLNK(info.st_mode))
        throw FileError(dir, "is a symbolic link; give the output folder itself as -o");
    if (!S_ISDIR(info.st_mode)) throw FileError(dir, "exists and is not a directory");
    std::vector<TreeEntry> entries = ListTree(dir);
    if (entries.empty()) return;
    std::string list;
    for (const TreeEntry &entry : entries)
        if (entry.Path == PackListName && entry.Type == TreeEntry::File) {
            Bytes data = ReadFileBytes(dir + "/" + PackListName);
            list.assign(data.begin(), data.end());
        }
    std::string foreign = FirstForeignEntry(entries, list);
    if (!foreign.empty())
        throw FileError(dir, "exists and holds '" + foreign + "', which pack did not make" +
                                 (list.empty() ? std::string(" (there is no ") + PackListName + ")"
                                               : std::string(" (it is not in ") + PackListName + ")") +
                                 "; remove it or pick another -o");
}

void WritePackList(const std::string &dir, const std::string &note)
{
    std::vector<TreeEntry> entries = ListTree(dir);
    bool listed = false;
    for (const TreeEntry &entry : entries) listed |= entry.Path == PackListName;
    if (!listed) entries.push_back({PackListName, TreeEntry::File});
    std::string text = FormatPackList(entries, note);
    WriteFileAtomic(dir + "/" + PackListName, Bytes(text.begin(), text.end()));
}

}  // namespace setupkit
