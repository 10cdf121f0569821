#include "posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "error.h"

extern char **environ;

namespace setupkit {

namespace fs = std::filesystem;

std::string BaseName(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int64_t ModifiedTime(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (int64_t)info.st_mtime : 0;
}

bool IsRegularFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void SetFileTime(const std::string &path, int64_t seconds)
{
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = (time_t)seconds;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw FileError(path, std::string("cannot set its time: ") + strerror(errno));
}

int64_t SourceDateEpoch()
{
    const char *epoch = getenv("SOURCE_DATE_EPOCH");
    if (!epoch) return -1;
    std::string text = epoch;
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Error("SOURCE_DATE_EPOCH is not a number of seconds");
    return std::stoll(text);
}

void MakeDirectory(const std::string &path)
{
    if (mkdir(path.c_str(), 0755) != 0) throw FileError(path, strerror(errno));
}

namespace {

const char InstalledProgramsDir[] = "../share/setupkit";

std::vector<fs::path> KitProgramPlaces(const fs::path &executable, const std::string &name)
{
    fs::path folder = executable.parent_path();
    return {(folder / InstalledProgramsDir / name).lexically_normal(), folder / name};
}

}  // namespace

std::string FindKitProgram(const std::string &executable, const std::string &name)
{
    for (const fs::path &place : KitProgramPlaces(executable, name))
        if (IsRegularFile(place.string())) return place.string();
    return "";
}

std::string KitProgram(const std::string &name, const std::string &option)
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) throw Error("cannot tell where setupkit is (/proc/self/exe); give " + option);
    std::string found = FindKitProgram(self.string(), name);
    if (!found.empty()) return found;
    std::vector<fs::path> places = KitProgramPlaces(self, name);
    throw Error(name + " is neither in " + places[0].parent_path().string() + " nor in " +
                places[1].parent_path().string() + "; give its path with " + option);
}

std::string RunProgram(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv,
                       const std::string &package)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) env.push_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char *> args, envp;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string &entry : env) envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) throw Error(std::string("cannot make a pipe: ") + strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        throw Error("cannot run " + argv[0] + " (is " + package + " installed?)");
    }
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        output.append(buffer, (size_t)got);
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string command;
        for (const std::string &arg : argv) command += (command.empty() ? "" : " ") + arg;
        while (!output.empty() && output.back() == '\n') output.pop_back();
        throw Error("failed: " + command + (output.empty() ? "" : "\n" + output));
    }
    return output;
}

namespace {

void ListInto(const std::string &root, const std::string &relative, std::vector<TreeEntry> &entries)
{
    std::string dir = relative.empty() ? root : root + "/" + relative;
    DIR *handle = opendir(dir.c_str());
    if (!handle) throw FileError(dir, std::string("cannot read it: ") + strerror(errno));
    std::vector<std::string> names;
    errno = 0;
    while (const dirent *entry = readdir(handle)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
        errno = 0;
    }
    int cause = errno;
    closedir(handle);
    if (cause != 0) throw FileError(dir, std::string("cannot read it: ") + strerror(cause));
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::string path = relative.empty() ? name : relative + "/" + name;
        struct stat info;
        if (lstat((root + "/" + path).c_str(), &info) != 0)
            throw FileError(root + "/" + path, strerror(errno));
        TreeEntry::Kind kind = S_ISREG(info.st_mode)   ? TreeEntry::File
                               : S_ISDIR(info.st_mode) ? TreeEntry::Folder
                                                       : TreeEntry::Other;
        entries.push_back({path, kind});
        if (kind == TreeEntry::Folder) ListInto(root, path, entries);
    }
}

}  // namespace

std::vector<TreeEntry> ListTree(const std::string &dir)
{
    std::vector<TreeEntry> entries;
    ListInto(dir, "", entries);
    return entries;
}

TemporaryDirectory::TemporaryDirectory()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/setupkit-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (!mkdtemp(buffer.data()))
        throw FileError(pattern, std::string("cannot make a temporary directory: ") + strerror(errno));
    path_ = buffer.data();
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

StagingDirectory::StagingDirectory(const std::string &target) : target_(target)
{
    std::string pattern = target + ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (!mkdtemp(buffer.data()))
        throw FileError(target, std::string("cannot make a temporary directory: ") + strerror(errno));
    path_ = buffer.data();
}

StagingDirectory::~StagingDirectory()
{
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void StagingDirectory::Commit()
{
    std::string aside;
    if (fs::exists(target_)) {
        aside = path_ + ".old";
        if (rename(target_.c_str(), aside.c_str()) != 0)
            throw FileError(target_, std::string("cannot move the old output aside: ") +
                                         strerror(errno));
    }
    if (rename(path_.c_str(), target_.c_str()) != 0) {
        int cause = errno;
        if (!aside.empty()) rename(aside.c_str(), target_.c_str());
        throw FileError(target_, std::string("cannot rename into place: ") + strerror(cause));
    }
    path_.clear();
    if (!aside.empty()) {
        std::error_code ignored;
        fs::remove_all(aside, ignored);
    }
    chmod(target_.c_str(), 0755);  // mkdtemp made it private
}

}  // namespace setupkit
