#include "tools/setupkit/posix.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/setupkit/error.h"

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

void MakeDirectory(const std::string &path)
{
    if (mkdir(path.c_str(), 0755) != 0) throw FileError(path, strerror(errno));
}

std::string BesideExecutable(const std::string &name)
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? name : (self.parent_path() / name).string();
}

void RunProgram(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) env.push_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char *> args, envp;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string &entry : env) envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0)
        throw Error("cannot run " + argv[0] + " (is mtools installed?)");
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string command;
        for (const std::string &arg : argv) command += (command.empty() ? "" : " ") + arg;
        throw Error("failed: " + command);
    }
}

void CheckReplaceable(const std::string &dir, bool (*isOurs)(const std::string &name))
{
    std::error_code error;
    if (!fs::exists(dir, error)) return;
    if (!fs::is_directory(dir, error)) throw FileError(dir, "exists and is not a directory");
    for (const fs::directory_entry &entry : fs::directory_iterator(dir, error)) {
        std::string name = entry.path().filename().string();
        if (!isOurs(name))
            throw FileError(dir, "exists and holds '" + name +
                                     "', which pack did not write; remove it or pick another -o");
    }
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
