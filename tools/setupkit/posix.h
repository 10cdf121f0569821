// The POSIX side of setupkit pack: names and times of files, directories,
// child programs, and a staging folder that takes the output folder's place
// in one rename.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setupkit {

// The last component of a path, after its last '/' or '\'.
std::string BaseName(const std::string &path);

// The file's modification time in seconds since 1970; 0 when it has none.
int64_t ModifiedTime(const std::string &path);
bool IsRegularFile(const std::string &path);
// Sets both times of path; throws an Error naming it on failure.
void SetFileTime(const std::string &path, int64_t seconds);

// SOURCE_DATE_EPOCH in seconds, -1 when it is not set; an Error when it
// is not a number.
int64_t SourceDateEpoch();

// mkdir with mode 0755; throws an Error naming path on failure.
void MakeDirectory(const std::string &path);

// Where the kit keeps the programs it packs: an installed setupkit
// (PREFIX/bin) finds them in PREFIX/share/setupkit, a built one beside
// itself. The first of those for executable that holds name as a regular
// file; empty when neither does.
std::string FindKitProgram(const std::string &executable, const std::string &name);
// FindKitProgram for the running setupkit; throws an Error naming the
// places looked at and option, the command-line option that gives the path.
std::string KitProgram(const std::string &name, const std::string &option);

// Runs a program (no shell, found on PATH) with extraEnv added to the
// environment and returns what it printed (stdout and stderr together);
// throws an Error with that output unless it exits 0. package names the
// Debian package that brings the program, for the message when it is missing.
std::string RunProgram(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv,
                       const std::string &package);

// One thing below a folder, by its path relative to it ('/'-separated).
struct TreeEntry {
    enum Kind { File, Folder, Other };  // Other: a link, a device, a pipe...
    std::string Path;
    Kind Type = File;
};

// Everything below dir, depth first, names sorted, links not followed.
// Throws an Error naming a folder it cannot read: nothing unreadable is
// taken for empty.
std::vector<TreeEntry> ListTree(const std::string &dir);

// A private folder for temporary files (in TMPDIR), removed with all it
// holds when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory &) = delete;
    TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

// A new folder made beside target (target.tmp-XXXXXX), put in target's place
// by Commit(); until then the destructor removes it with all it holds.
class StagingDirectory {
public:
    explicit StagingDirectory(const std::string &target);
    ~StagingDirectory();
    StagingDirectory(const StagingDirectory &) = delete;
    StagingDirectory &operator=(const StagingDirectory &) = delete;

    const std::string &Path() const { return path_; }

    // Renames the folder to target, mode 0755. An existing target is moved
    // aside first and removed only once the new one is there; when the
    // rename fails it is put back.
    void Commit();

private:
    std::string target_;
    std::string path_;  // empty once committed
};

}  // namespace setupkit
