#include "tools/setupkit/pack.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "tools/setupkit/authoring.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fat12.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/layout.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/posix.h"
#include "tools/setupkit/script_writer.h"

namespace setupkit {

namespace {

constexpr int64_t FatFirstDay = 315532800;  // 1980-01-01, the earliest time FAT keeps

// What pack writes into OUT_DIR: setup.inf, disk<n> and disk<n>.img.
bool IsPackOutput(const std::string &name)
{
    if (name == "setup.inf") return true;
    if (name.compare(0, 4, "disk") != 0) return false;
    std::string rest = name.substr(4);
    if (rest.size() > 4 && rest.compare(rest.size() - 4, 4, ".img") == 0) rest.resize(rest.size() - 4);
    return !rest.empty() && rest.find_first_not_of("0123456789") == std::string::npos;
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
        size_t uninstaller =
            options_.Uninstaller ? AddUninstaller(authoring_, options_.UninstExe) : NoUninstaller;
        entries_ = CollectEntries(authoring_, options_.ProductDir, uninstaller);
        CompressAll();
        setupExe_ = ReadFileBytes(options_.SetupExe);
        LayOut();
        return Write();
    }

private:
    void CompressAll()
    {
        std::vector<DiskFile *> parts;
        for (PackEntry &entry : entries_)
            for (DiskFile &part : entry.Parts) parts.push_back(&part);
        // Checked in order first: a missing file is reported by its line.
        for (PackEntry &entry : entries_)
            for (DiskFile &part : entry.Parts) {
                if (!IsRegularFile(part.SourcePath))
                    throw FileError(options_.AuthoringPath, "no product file " + part.SourcePath,
                                    entry.File.Line);
                newest_ = std::max(newest_, ModifiedTime(part.SourcePath));
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
        uint64_t reserved = 0;
        for (int round = 0;; ++round) {
            LayoutItem first;
            first.Label = "SETUP.EXE and setup.in_";
            first.FileSizes = {setupExe_.size(), reserved, 0};
            first.FileNames = {"SETUP.EXE", "setup.in_", "Disk1"};
            numberDisk_ = AssignDisks(entries_, first, geometry_);
            sizeInst_ = DecideSizeInst(entries_, authoring_, options_.MarginKb);
            script_ = WriteScript(authoring_, entries_, numberDisk_, sizeInst_);
            std::string text = script_.Text();
            setupIn_ = CompressLzChecked(Bytes(text.begin(), text.end()), 'f', "setup.inf");
            if (geometry_.ClustersFor(setupIn_.size()) <= geometry_.ClustersFor(reserved)) break;
            if (round == 8) throw Error("the disk layout does not settle");
            reserved = setupIn_.size();
        }
    }

    // The one time of every file written: SOURCE_DATE_EPOCH, else the newest source's.
    int64_t FileTime() const
    {
        int64_t time = options_.FixedTime;
        if (time < 0)
            time = std::max({newest_, ModifiedTime(options_.AuthoringPath), ModifiedTime(options_.SetupExe)});
        return std::max<int64_t>(time, FatFirstDay);
    }

    // Everything is written into a staging folder beside OUT_DIR, checked,
    // and renamed into place at the end.
    PackResult Write()
    {
        PackResult result;
        result.SizeInst = sizeInst_.Kilobytes;
        const int64_t time = FileTime();
        std::string out = options_.OutDir;
        while (out.size() > 1 && out.back() == '/') out.pop_back();
        CheckReplaceable(out, IsPackOutput);
        StagingDirectory staging(out);
        const std::string &dir = staging.Path();
        for (int disk = 1; disk <= numberDisk_; ++disk) {
            std::string diskDir = dir + "/disk" + std::to_string(disk);
            MakeDirectory(diskDir);
            PackedDisk packed;
            uint64_t used = 0;
            auto put = [&](const std::string &name, const Bytes &data) {
                WriteFileAtomic(diskDir + "/" + name, data);
                packed.Files.push_back(name);
                packed.Bytes += data.size();
                used += geometry_.ClustersFor(data.size());
            };
            if (disk == 1) {
                put("SETUP.EXE", setupExe_);
                put("setup.in_", setupIn_);
            }
            put("Disk" + std::to_string(disk), Bytes());
            for (const PackEntry &entry : entries_)
                if (entry.Disk == disk)
                    for (const DiskFile &part : entry.Parts) put(part.DiskName, part.Stored);
            packed.FreeBytes = (geometry_.Clusters - used) * geometry_.ClusterBytes();
            for (const std::string &name : packed.Files) SetFileTime(diskDir + "/" + name, time);
            result.Disks.push_back(packed);
        }
        std::string text = script_.Text();
        WriteFileAtomic(dir + "/setup.inf", Bytes(text.begin(), text.end()));
        result.Warnings = CheckWrittenScript(script_, dir, options_.AuthoringPath, out + "/setup.inf");

        if (options_.Images) MakeImages(dir, result, time, text);
        SetFileTime(dir + "/setup.inf", time);
        for (int disk = 1; disk <= numberDisk_; ++disk)
            SetFileTime(dir + "/disk" + std::to_string(disk), time);
        staging.Commit();
        return result;
    }

    void MakeImages(const std::string &dir, const PackResult &result, int64_t time,
                    const std::string &text) const
    {
        for (int disk = 1; disk <= numberDisk_; ++disk) {
            std::string diskDir = dir + "/disk" + std::to_string(disk);
            FloppyContents contents;
            contents.Label = "DISK" + std::to_string(disk);
            contents.Serial = VolumeSerial(text, disk);
            contents.Time = time;
            for (const std::string &name : result.Disks[disk - 1].Files)
                contents.Files.push_back(diskDir + "/" + name);
            WriteFloppyImage(diskDir + ".img", geometry_, contents);
        }
    }

    PackOptions options_;
    DiskGeometry geometry_;
    Authoring authoring_;
    std::vector<PackEntry> entries_;
    Bytes setupExe_, setupIn_;
    Script script_;
    SizeInst sizeInst_;
    int numberDisk_ = 1;
    int64_t newest_ = 0;
};

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
