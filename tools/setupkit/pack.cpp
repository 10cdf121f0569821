#include "tools/setupkit/pack.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/check.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/product_path.h"

extern char **environ;

namespace setupkit {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- geometry

namespace {

enum { SectorBytes = 512, Fat12MaxClusters = 4084, CustomRootEntries = 224 };

DiskGeometry StandardGeometry(uint64_t sectors, int perCluster, int rootEntries, int fatSectors,
                              const char *mformatSize)
{
    DiskGeometry geometry;
    geometry.TotalSectors = sectors;
    geometry.SectorsPerCluster = perCluster;
    geometry.RootEntries = rootEntries;
    geometry.FatSectors = fatSectors;
    uint64_t dataSectors = sectors - 1 - 2 * (uint64_t)fatSectors - rootEntries * 32 / SectorBytes;
    geometry.Clusters = dataSectors / perCluster;
    geometry.MformatSize = mformatSize;
    return geometry;
}

}  // namespace

DiskGeometry ParseDiskSize(const std::string &text)
{
    // The DOS boot sectors of the standard formats.
    if (text == "360K") return StandardGeometry(720, 2, 112, 2, "360");
    if (text == "720K") return StandardGeometry(1440, 2, 112, 3, "720");
    if (text == "1.2M") return StandardGeometry(2400, 1, 224, 7, "1200");
    if (text == "1.44M") return StandardGeometry(2880, 1, 224, 9, "1440");
    if (text == "2.88M") return StandardGeometry(5760, 2, 240, 9, "2880");
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Error("--disk-size: expected 360K, 720K, 1.2M, 1.44M, 2.88M or a number of bytes, "
                    "not '" + text + "'");
    uint64_t sectors = std::stoull(text) / SectorBytes;
    const int rootSectors = CustomRootEntries * 32 / SectorBytes;
    for (int perCluster = 1; perCluster <= 64; perCluster *= 2) {
        // The FAT grows with the clusters it maps: settle its size first.
        int fatSectors = 1;
        for (int round = 0; round < 8; ++round) {
            if (sectors < (uint64_t)(1 + rootSectors + 2 * fatSectors + perCluster)) break;
            uint64_t clusters = (sectors - 1 - rootSectors - 2 * fatSectors) / perCluster;
            int needed = (int)(((clusters + 2) * 3 / 2 + SectorBytes - 1) / SectorBytes);
            if (needed <= fatSectors) break;
            fatSectors = needed;
        }
        if (sectors < (uint64_t)(1 + rootSectors + 2 * fatSectors + perCluster)) break;
        DiskGeometry geometry;
        geometry.TotalSectors = sectors;
        geometry.SectorsPerCluster = perCluster;
        geometry.RootEntries = CustomRootEntries;
        geometry.FatSectors = fatSectors;
        geometry.Clusters = (sectors - 1 - rootSectors - 2 * fatSectors) / perCluster;
        if (geometry.Clusters <= Fat12MaxClusters) return geometry;
    }
    throw Error("--disk-size " + text + ": no FAT12 floppy of that size (at least 16K, at most "
                "about 130M)");
}

namespace {

bool IsShortNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || strchr("!#$%&'()-@^_`{}~", c);
}

bool IsShortName(const std::string &name)
{
    size_t dot = name.find('.');
    std::string stem = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (stem.empty() || stem.size() > 8 || ext.size() > 3 || ext.find('.') != std::string::npos)
        return false;
    if (dot != std::string::npos && ext.empty()) return false;
    return std::all_of(stem.begin(), stem.end(), IsShortNameChar) &&
           std::all_of(ext.begin(), ext.end(), IsShortNameChar);
}

}  // namespace

int DirectoryEntries(const std::string &name)
{
    return IsShortName(name) ? 1 : 1 + (int)((name.size() + 12) / 13);
}

std::vector<int> LayOutDisks(const std::vector<LayoutItem> &items,
                             const LayoutItem &firstDiskFiles, const DiskGeometry &geometry)
{
    struct Room {
        uint64_t Clusters;
        int Entries;
    };
    auto emptyDisk = [&](int disk) {
        // every disk has its volume label and its tag
        Room room{geometry.Clusters,
                  geometry.RootEntries - 1 - DirectoryEntries("Disk" + std::to_string(disk))};
        return room;
    };
    auto needs = [&](const LayoutItem &item) {
        Room need{0, 0};
        for (size_t i = 0; i < item.FileSizes.size(); ++i) {
            need.Clusters += geometry.ClustersFor(item.FileSizes[i]);
            need.Entries += DirectoryEntries(item.FileNames[i]);
        }
        return need;
    };
    auto fits = [](const Room &need, const Room &room) {
        return need.Clusters <= room.Clusters && need.Entries <= room.Entries;
    };

    int disk = 1;
    Room room = emptyDisk(1);
    Room fixed = needs(firstDiskFiles);
    if (!fits(fixed, room))
        throw Error(firstDiskFiles.Label + " do not fit on the first disk of " +
                    std::to_string(geometry.Capacity()) + " bytes");
    room.Clusters -= fixed.Clusters;
    room.Entries -= fixed.Entries;

    std::vector<int> placed;
    for (const LayoutItem &item : items) {
        Room need = needs(item);
        if (item.NewDisk || !fits(need, room)) {
            Room fresh = emptyDisk(disk + 1);
            if (!fits(need, fresh)) {
                uint64_t bytes = 0;
                for (uint64_t size : item.FileSizes) bytes += size;
                throw Error(item.Label + ": " + std::to_string(bytes) +
                            " bytes on disk, more than one disk holds (" +
                            std::to_string(geometry.Capacity()) + " bytes, " +
                            std::to_string(geometry.RootEntries) + " root entries)");
            }
            ++disk;
            room = fresh;
        }
        room.Clusters -= need.Clusters;
        room.Entries -= need.Entries;
        placed.push_back(disk);
    }
    return placed;
}

// ---------------------------------------------------------------- packing

namespace {

std::string Upper(std::string text)
{
    for (char &c : text) c = (char)toupper((unsigned char)c);
    return text;
}

std::string BaseName(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A removed-on-destruction temporary directory, kept by Release().
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string &beside)
    {
        std::string pattern = beside + ".tmp-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (!mkdtemp(buffer.data()))
            throw FileError(beside, std::string("cannot make a temporary directory: ") +
                                        strerror(errno));
        path_ = buffer.data();
    }
    ~TemporaryDirectory()
    {
        if (path_.empty()) return;
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory &) = delete;
    TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;
    const std::string &Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

// One file of the product as it goes on a disk.
struct DiskFile {
    std::string SourcePath;  // in the product folder
    std::string DiskName;
    bool Compressed = false;
    char LastChar = '_';  // of the original name, kept in the LZ header
    Bytes Stored;
    uint64_t ExpandedSize = 0;
};

// One entry of the file list, with its disk files (two for type 6, none for 5).
struct PackEntry {
    AuthoredFile File;
    std::vector<DiskFile> Parts;
    int Disk = 0;
};

// A generated script line and the authoring line it came from (0: none).
struct ScriptLine {
    std::string Text;
    int Origin;
};

int64_t Mtime(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (int64_t)info.st_mtime : 0;
}

void SetTime(const std::string &path, int64_t seconds)
{
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = (time_t)seconds;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw FileError(path, std::string("cannot set its time: ") + strerror(errno));
}

// Runs a program (no shell) with extra environment; throws unless it exits 0.
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

uint32_t Fnv1a(const std::string &text, uint32_t hash = 2166136261u)
{
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

class Packer {
public:
    explicit Packer(const PackOptions &options)
        : options_(options), geometry_(ParseDiskSize(options.DiskSize))
    {
    }

    PackResult Run()
    {
        authoring_ = ReadAuthoring(options_.AuthoringPath);
        if (options_.Uninstaller) AddUninstaller();
        CollectFiles();
        CompressAll();
        setupExe_ = ReadFileBytes(options_.SetupExe);
        LayOut();
        return Write();
    }

private:
    [[noreturn]] void Fail(const std::string &message, int line)
    {
        throw FileError(options_.AuthoringPath, message, line);
    }

    void AddUninstaller()
    {
        const AuthoredValue *title = authoring_.TitleValue("DlgTitle");
        if (!title || title->Value.empty())
            throw FileError(options_.AuthoringPath, "--uninstaller needs a DlgTitle in [Title]");
        AuthoredFile file;
        file.Type = 3;
        file.ProductPath = options_.UninstExe;
        file.Destination = "UNINST.EXE";
        uninstallerIndex_ = authoring_.Files.size();
        authoring_.Files.push_back(file);
        const std::string key =
            "2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + title->Value;
        auto add = [&](const std::string &name, const std::string &data) {
            authoring_.Registry.push_back({{"regKey", key, title->Line},
                                           {"regVal", name + "," + data, title->Line}});
        };
        add("DisplayName", title->Value);
        add("UninstallString", "#s\\UNINST.EXE");
        for (const char *optional : {"DisplayVersion", "Publisher"})
            if (const AuthoredValue *value = authoring_.TitleValue(optional))
                add(optional, value->Value);
        authoring_.Items.push_back({"item", "UNINST.EXE,Uninstall " + title->Value, title->Line});
    }

    std::string ProductFile(const std::string &path, size_t index, int line)
    {
        if (index == uninstallerIndex_) return path;
        std::string relative = path;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        if (!ProductPathStaysInside(relative)) Fail("product path '" + path + "' leaves the product folder", line);
        return options_.ProductDir + "/" + relative;
    }

    std::string UniqueDiskName(const std::string &wanted)
    {
        std::string name = wanted;
        size_t dot = wanted.rfind('.');
        std::string stem = wanted.substr(0, dot), ext = dot == std::string::npos ? "" : wanted.substr(dot);
        for (int n = 1; usedNames_.count(Upper(name)) || IsReservedName(name); ++n) {
            std::string suffix = "~" + std::to_string(n);
            name = stem.substr(0, stem.size() > 8 - suffix.size() ? 8 - suffix.size() : stem.size()) +
                   suffix + ext;
        }
        usedNames_.insert(Upper(name));
        return name;
    }

    static bool IsReservedName(const std::string &name)
    {
        std::string upper = Upper(name);
        if (upper == "SETUP.EXE" || upper == "SETUP.IN_" || upper == "SETUP.INF") return true;
        return upper.size() > 4 && upper.compare(0, 4, "DISK") == 0 &&
               upper.find_first_not_of("0123456789", 4) == std::string::npos;
    }

    void CollectFiles()
    {
        const auto &files = authoring_.Files;
        for (size_t i = 0; i < files.size(); ++i) {
            PackEntry entry;
            entry.File = files[i];
            bool compressed = true;
            if (files[i].Type == 4) {
                // Staged byte for byte; compressed only when a later type 5 expands it.
                compressed = std::any_of(files.begin() + i + 1, files.end(), [&](const AuthoredFile &f) {
                    return f.Type == 5 && SameName(f.ProductPath, files[i].Destination);
                });
            }
            if (files[i].Type != 5) {
                std::vector<std::string> paths = {files[i].ProductPath};
                if (files[i].Type == 6) paths.push_back(files[i].OtherProductPath);
                for (const std::string &path : paths) {
                    DiskFile part;
                    part.SourcePath = ProductFile(path, i, files[i].Line);
                    std::string base =
                        i == uninstallerIndex_ ? "UNINST.EXE" : Upper(BaseName(path));
                    if (!base.empty()) part.LastChar = base.back();
                    part.Compressed = compressed;
                    part.DiskName = UniqueDiskName(compressed ? CompressedName(base) : base);
                    entry.Parts.push_back(part);
                }
            }
            entries_.push_back(entry);
        }
    }

    void CompressAll()
    {
        std::vector<DiskFile *> parts;
        for (PackEntry &entry : entries_)
            for (DiskFile &part : entry.Parts) parts.push_back(&part);
        // Read in order first: a missing file is reported by its line.
        for (PackEntry &entry : entries_)
            for (DiskFile &part : entry.Parts) {
                struct stat info;
                if (stat(part.SourcePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
                    Fail("no product file " + part.SourcePath, entry.File.Line);
                newest_ = std::max<int64_t>(newest_, info.st_mtime);
            }
        std::atomic<size_t> next{0}, done{0};
        std::vector<std::string> failures(parts.size());
        std::mutex progressLock;
        auto work = [&]() {
            for (size_t i; (i = next++) < parts.size();) {
                DiskFile &part = *parts[i];
                try {
                    Bytes data = ReadFileBytes(part.SourcePath);
                    part.ExpandedSize = data.size();
                    part.Stored = part.Compressed
                                      ? CompressLzChecked(data, part.LastChar, part.SourcePath)
                                      : std::move(data);
                } catch (const std::exception &error) {
                    failures[i] = error.what();
                }
                size_t count = ++done;
                if (options_.Progress) {
                    std::lock_guard<std::mutex> hold(progressLock);
                    fprintf(options_.Progress, "\r\033[Kcompressing %zu/%zu %s", count,
                            parts.size(), BaseName(part.SourcePath).c_str());
                    fflush(options_.Progress);
                }
            }
        };
        unsigned workers = std::max(1u, std::min<unsigned>(std::thread::hardware_concurrency(),
                                                           (unsigned)parts.size()));
        std::vector<std::thread> threads;
        for (unsigned i = 1; i < workers; ++i) threads.emplace_back(work);
        work();
        for (std::thread &thread : threads) thread.join();
        if (options_.Progress) fprintf(options_.Progress, "\r\033[K");
        for (const std::string &failure : failures)
            if (!failure.empty()) throw Error(failure);
    }

    // Lays the files out, with room on disk 1 for the script, whose
    // compressed size depends on the layout: repeated until it fits.
    void LayOut()
    {
        std::vector<LayoutItem> items;
        for (const PackEntry &entry : entries_) {
            LayoutItem item;
            item.Label = entry.Parts.empty() ? "" : entry.Parts[0].SourcePath;
            item.NewDisk = entry.File.NewDisk;
            for (const DiskFile &part : entry.Parts) {
                item.FileSizes.push_back(part.Stored.size());
                item.FileNames.push_back(part.DiskName);
            }
            items.push_back(item);
        }
        uint64_t reserved = 0;
        for (int round = 0;; ++round) {
            LayoutItem first;
            first.Label = "SETUP.EXE and setup.in_";
            first.FileSizes = {setupExe_.size(), reserved, 0};
            first.FileNames = {"SETUP.EXE", "setup.in_", "Disk1"};
            std::vector<int> disks = LayOutDisks(items, first, geometry_);
            for (size_t i = 0; i < entries_.size(); ++i) entries_[i].Disk = disks[i];
            numberDisk_ = entries_.empty() ? 1 : entries_.back().Disk;
            GenerateScript();
            std::string text = ScriptText();
            setupIn_ = CompressLzChecked(Bytes(text.begin(), text.end()), 'f', "setup.inf");
            if (geometry_.ClustersFor(setupIn_.size()) <= geometry_.ClustersFor(reserved)) break;
            if (round == 8) throw Error("the disk layout does not settle");
            reserved = setupIn_.size();
        }
    }

    void Line(const std::string &text, int origin = 0) { script_.push_back({text, origin}); }

    void GenerateScript()
    {
        script_.clear();
        uint64_t need = 0;
        for (size_t i = 0; i < entries_.size(); ++i) {
            const PackEntry &entry = entries_[i];
            if (entry.File.Type == 3) need += entry.Parts[0].ExpandedSize;
            if (entry.File.Type == 6)
                need += std::max(entry.Parts[0].ExpandedSize, entry.Parts[1].ExpandedSize);
            if (entry.File.Type == 5)
                for (size_t j = i; j-- > 0;)
                    if (entries_[j].File.Type == 4 &&
                        SameName(entries_[j].File.Destination, entry.File.ProductPath)) {
                        need += entries_[j].Parts[0].ExpandedSize;
                        break;
                    }
        }
        sizeInst_ = RequiredKilobytes(need, options_.MarginKb);
        int sizeLine = 0;
        if (const AuthoredValue *given = authoring_.TitleValue("SizeInst")) {
            uint64_t explicitKb = std::stoull(given->Value);
            if (explicitKb < RequiredKilobytes(need))
                Fail("SizeInst=" + given->Value + " is smaller than the " +
                         std::to_string(RequiredKilobytes(need)) +
                         " KB that the files for the install directory need",
                     given->Line);
            sizeInst_ = explicitKb;
            sizeLine = given->Line;
        }

        Line("; Written by setupkit pack from " + BaseName(options_.AuthoringPath) + ".");
        Line("[Title]");
        for (const char *key : {"DlgTitle", "InstalDir"})
            if (const AuthoredValue *value = authoring_.TitleValue(key))
                Line(std::string(key) + "=" + value->Value, value->Line);
        Line("SizeInst=" + std::to_string(sizeInst_), sizeLine);
        Line("NumberDisk=" + std::to_string(numberDisk_));

        if (!authoring_.SubDirs.empty()) {
            Line("");
            Line("[SubDir]");
            Line("NumberDirs=" + std::to_string(authoring_.SubDirs.size()));
            int n = 0;
            for (const AuthoredValue &dir : authoring_.SubDirs)
                Line("Dir" + std::to_string(++n) + "=" + dir.Value, dir.Line);
        }
        for (int disk = 1; disk <= numberDisk_; ++disk) {
            Line("");
            Line("[Disk" + std::to_string(disk) + "]");
            int count = 0;
            for (const PackEntry &entry : entries_) count += entry.Disk == disk;
            Line("NumberFiles=" + std::to_string(count));
            int n = 0;
            for (const PackEntry &entry : entries_) {
                if (entry.Disk != disk) continue;
                std::string sources = entry.File.Type == 5 ? entry.File.ProductPath
                                                           : entry.Parts[0].DiskName;
                if (entry.File.Type == 6) sources += "," + entry.Parts[1].DiskName;
                Line("file" + std::to_string(++n) + "=" + std::to_string(entry.File.Type) + "," +
                         sources + "," + entry.File.Destination,
                     entry.File.Line);
            }
        }
        if (!authoring_.Registry.empty()) {
            Line("");
            Line("[Register]");
            Line("NumberReg=" + std::to_string(authoring_.Registry.size()));
            int n = 0;
            for (const AuthoredRegistryEntry &entry : authoring_.Registry) {
                ++n;
                Line("regKey" + std::to_string(n) + "=" + entry.Key.Value, entry.Key.Line);
                Line("regVal" + std::to_string(n) + "=" + entry.Value.Value, entry.Value.Line);
            }
        }
        if (!authoring_.WinIni.empty()) {
            Line("");
            Line("[WinIni]");
            Line("NumberIni=" + std::to_string(authoring_.WinIni.size()));
            int n = 0;
            for (const AuthoredValue &entry : authoring_.WinIni)
                Line("IniKey" + std::to_string(++n) + "=" + entry.Value, entry.Line);
        }
        if (authoring_.GroupTitle.Line || !authoring_.Items.empty()) {
            Line("");
            Line("[WinGroup]");
            if (authoring_.GroupTitle.Line)
                Line("GroupTitle=" + authoring_.GroupTitle.Value, authoring_.GroupTitle.Line);
            Line("NumberItem=" + std::to_string(authoring_.Items.size()));
            int n = 0;
            for (const AuthoredValue &item : authoring_.Items)
                Line("item" + std::to_string(++n) + "=" + item.Value, item.Line);
        }
    }

    std::string ScriptText() const
    {
        std::string text;
        for (const ScriptLine &line : script_) text += line.Text + "\r\n";
        return text;
    }

    void Put(const std::string &path, const Bytes &data, PackedDisk *disk)
    {
        WriteFileAtomic(path, data);
        disk->Files.push_back(BaseName(path));
        disk->Bytes += data.size();
    }

    PackResult Write()
    {
        PackResult result;
        result.SizeInst = sizeInst_;
        int64_t time = options_.FixedTime;
        if (time < 0) {
            time = std::max({newest_, Mtime(options_.AuthoringPath), Mtime(options_.SetupExe)});
        }
        time = std::max<int64_t>(time, 315532800);  // FAT's first day, 1980-01-01

        std::string out = options_.OutDir;
        while (out.size() > 1 && out.back() == '/') out.pop_back();
        CheckReplaceable(out);
        TemporaryDirectory staging(out);
        const std::string &dir = staging.Path();
        std::string text = ScriptText();
        for (int disk = 1; disk <= numberDisk_; ++disk) {
            std::string diskDir = dir + "/disk" + std::to_string(disk);
            if (mkdir(diskDir.c_str(), 0755) != 0)
                throw FileError(diskDir, strerror(errno));
            PackedDisk packed;
            if (disk == 1) {
                Put(diskDir + "/SETUP.EXE", setupExe_, &packed);
                Put(diskDir + "/setup.in_", setupIn_, &packed);
            }
            Put(diskDir + "/Disk" + std::to_string(disk), Bytes(), &packed);
            for (const PackEntry &entry : entries_)
                if (entry.Disk == disk)
                    for (const DiskFile &part : entry.Parts)
                        Put(diskDir + "/" + part.DiskName, part.Stored, &packed);
            uint64_t used = 0;
            for (const std::string &name : packed.Files) {
                struct stat info;
                stat((diskDir + "/" + name).c_str(), &info);
                used += geometry_.ClustersFor((uint64_t)info.st_size);
            }
            packed.FreeBytes = (geometry_.Clusters - used) * geometry_.ClusterBytes();
            for (const std::string &name : packed.Files) SetTime(diskDir + "/" + name, time);
            result.Disks.push_back(packed);
        }
        WriteFileAtomic(dir + "/setup.inf", Bytes(text.begin(), text.end()));

        // The written script, judged as SETUP.EXE will read it, disks beside it.
        std::string errors;
        for (const Diagnostic &diagnostic : CheckScript(text, dir)) {
            int origin = diagnostic.Line <= (int)script_.size() ? script_[diagnostic.Line - 1].Origin : 0;
            std::string where = origin ? FormatDiagnostic(options_.AuthoringPath, {origin, diagnostic.IsError, diagnostic.Message})
                                       : FormatDiagnostic(out + "/setup.inf", diagnostic);
            if (diagnostic.IsError)
                errors += (errors.empty() ? "" : "\n") + where;
            else
                result.Warnings.push_back(where);
        }
        if (!errors.empty()) throw Error("the script does not pass check:\n" + errors);

        if (options_.Images) MakeImages(dir, result, time, text);
        SetTime(dir + "/setup.inf", time);
        for (int disk = 1; disk <= numberDisk_; ++disk)
            SetTime(dir + "/disk" + std::to_string(disk), time);

        // Into place. An old output (made by pack, see CheckReplaceable) is
        // moved aside first and removed only once the new one is there.
        std::string aside;
        if (fs::exists(out)) {
            aside = dir + ".old";
            if (rename(out.c_str(), aside.c_str()) != 0)
                throw FileError(out, std::string("cannot move the old output aside: ") +
                                         strerror(errno));
        }
        if (rename(dir.c_str(), out.c_str()) != 0) {
            int cause = errno;
            if (!aside.empty()) rename(aside.c_str(), out.c_str());
            throw FileError(out, std::string("cannot rename into place: ") + strerror(cause));
        }
        staging.Release();
        if (!aside.empty()) {
            std::error_code ignored;
            fs::remove_all(aside, ignored);
        }
        chmod(out.c_str(), 0755);  // mkdtemp made it private
        return result;
    }

    // An existing OUT_DIR is replaced only when it holds nothing but what
    // pack writes, so that a mistyped -o cannot remove someone's folder.
    void CheckReplaceable(const std::string &out)
    {
        std::error_code error;
        if (!fs::exists(out, error)) return;
        if (!fs::is_directory(out, error))
            throw FileError(out, "exists and is not a directory");
        for (const fs::directory_entry &entry : fs::directory_iterator(out, error)) {
            std::string name = entry.path().filename().string();
            bool ours = name == "setup.inf";
            if (name.compare(0, 4, "disk") == 0) {
                std::string rest = name.substr(4);
                if (rest.size() > 4 && rest.compare(rest.size() - 4, 4, ".img") == 0)
                    rest.resize(rest.size() - 4);
                ours = !rest.empty() && rest.find_first_not_of("0123456789") == std::string::npos;
            }
            if (!ours)
                throw FileError(out, "exists and holds '" + name +
                                         "', which pack did not write; remove it or pick another -o");
        }
    }

    void MakeImages(const std::string &dir, const PackResult &result, int64_t time,
                    const std::string &text)
    {
        std::vector<std::string> env = {"SOURCE_DATE_EPOCH=" + std::to_string(time),
                                        "MTOOLS_SKIP_CHECK=1", "MTOOLS_LOWER_CASE=0"};
        for (int disk = 1; disk <= numberDisk_; ++disk) {
            std::string image = dir + "/disk" + std::to_string(disk) + ".img";
            char serial[16];
            snprintf(serial, sizeof serial, "%08x", Fnv1a(text, 0x811c9dc5u ^ (uint32_t)disk));
            std::vector<std::string> format = {"mformat", "-C", "-i", image, "-v",
                                               "DISK" + std::to_string(disk), "-N", serial};
            if (!geometry_.MformatSize.empty()) {
                format.insert(format.end(), {"-f", geometry_.MformatSize});
            } else {
                format.insert(format.end(),
                              {"-T", std::to_string(geometry_.TotalSectors), "-h", "1", "-s",
                               std::to_string(std::min<uint64_t>(geometry_.TotalSectors, 63)), "-c",
                               std::to_string(geometry_.SectorsPerCluster), "-r",
                               std::to_string(geometry_.RootEntries * 32 / SectorBytes), "-L",
                               std::to_string(geometry_.FatSectors)});
            }
            format.push_back("::");
            RunProgram(format, env);
            std::vector<std::string> copy = {"mcopy", "-m", "-i", image};
            for (const std::string &name : result.Disks[disk - 1].Files)
                copy.push_back(dir + "/disk" + std::to_string(disk) + "/" + name);
            copy.push_back("::/");
            RunProgram(copy, env);
            SetTime(image, time);
        }
    }

    PackOptions options_;
    DiskGeometry geometry_;
    Authoring authoring_;
    size_t uninstallerIndex_ = (size_t)-1;
    std::vector<PackEntry> entries_;
    std::set<std::string> usedNames_;
    Bytes setupExe_, setupIn_;
    std::vector<ScriptLine> script_;
    int numberDisk_ = 1;
    uint64_t sizeInst_ = 0;
    int64_t newest_ = 0;
};

std::string BesideExecutable(const std::string &name)
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? name : (self.parent_path() / name).string();
}

const char PackUsage[] =
    "usage: setupkit pack AUTHORING PRODUCT_DIR -o OUT_DIR [options]\n\n"
    "Makes the distribution disks OUT_DIR/disk1, disk2, ... and the plain\n"
    "OUT_DIR/setup.inf from an authoring file and the product folder.\n\n"
    "  --disk-size S    360K, 720K, 1.2M, 1.44M (default), 2.88M or a number of bytes\n"
    "  --margin KB      kilobytes added to the computed SizeInst\n"
    "  --images         also write OUT_DIR/disk<n>.img, FAT12 floppy images (mtools)\n"
    "  --uninstaller    add UNINST.EXE, its group item and its Uninstall registry key\n"
    "  --setup-exe P    SETUP.EXE to put on disk 1 (default: beside setupkit)\n"
    "  --uninst-exe P   UNINST.EXE for --uninstaller (default: beside setupkit)\n\n"
    "File times are SOURCE_DATE_EPOCH when set, else the newest source's time.\n";

}  // namespace

PackResult Pack(const PackOptions &options)
{
    return Packer(options).Run();
}

int RunPack(const Arguments &args)
{
    PackOptions options;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        auto value = [&]() -> const std::string & {
            if (i + 1 >= args.size()) throw Error(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            fputs(PackUsage, stdout);
            return 0;
        } else if (arg == "-o") {
            options.OutDir = value();
        } else if (arg == "--disk-size") {
            options.DiskSize = value();
        } else if (arg == "--margin") {
            const std::string &text = value();
            if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
                throw Error("--margin: expected a number of kilobytes, not '" + text + "'");
            options.MarginKb = std::stoull(text);
        } else if (arg == "--images") {
            options.Images = true;
        } else if (arg == "--uninstaller") {
            options.Uninstaller = true;
        } else if (arg == "--setup-exe") {
            options.SetupExe = value();
        } else if (arg == "--uninst-exe") {
            options.UninstExe = value();
        } else if (!arg.empty() && arg[0] == '-') {
            throw Error("unknown option " + arg + "\n" + PackUsage);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2 || options.OutDir.empty()) throw Error(PackUsage);
    options.AuthoringPath = positional[0];
    options.ProductDir = positional[1];
    if (options.SetupExe.empty()) options.SetupExe = BesideExecutable("SETUP.EXE");
    if (options.UninstExe.empty()) options.UninstExe = BesideExecutable("UNINST.EXE");
    if (const char *epoch = getenv("SOURCE_DATE_EPOCH")) {
        std::string text = epoch;
        if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
            throw Error("SOURCE_DATE_EPOCH is not a number of seconds");
        options.FixedTime = std::stoll(text);
    }
    if (isatty(STDOUT_FILENO)) options.Progress = stdout;

    PackResult result = Pack(options);
    for (const std::string &warning : result.Warnings) fprintf(stderr, "%s\n", warning.c_str());
    for (size_t i = 0; i < result.Disks.size(); ++i) {
        const PackedDisk &disk = result.Disks[i];
        printf("%s/disk%zu: %zu files, %llu bytes, %llu bytes free%s\n", options.OutDir.c_str(), i + 1,
               disk.Files.size(), (unsigned long long)disk.Bytes,
               (unsigned long long)disk.FreeBytes,
               options.Images ? (" (image disk" + std::to_string(i + 1) + ".img)").c_str() : "");
    }
    printf("%s/setup.inf: SizeInst=%llu, %zu disk%s of %s\n", options.OutDir.c_str(),
           (unsigned long long)result.SizeInst, result.Disks.size(),
           result.Disks.size() == 1 ? "" : "s", options.DiskSize.c_str());
    return 0;
}

}  // namespace setupkit
