#include "pack.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/crc32.h"
#include "core/script_keys.h"
#include "authoring.h"
#include "cdrom.h"
#include "check.h"
#include "derive_subdirs.h"
#include "download.h"
#include "expand_files.h"
#include "error.h"
#include "fat12.h"
#include "fileio.h"
#include "given_program.h"
#include "layout.h"
#include "lz.h"
#include "pack_list.h"
#include "posix.h"
#include "product_path.h"
#include "raw_storage.h"
#include "script_writer.h"
#include "warnings.h"

namespace setupkit {

namespace {

constexpr int64_t FatFirstDay = 315532800;  // 1980-01-01, the earliest time FAT keeps
// A download is laid out as a disc that holds what the stub can read.
constexpr uint64_t DownloadSectors = DownloadLimit / CdSectorBytes;
// The files of the first disk besides the product's.
const char SetupExeName[] = "SETUP.EXE";
const char AutorunName[] = "AUTORUN.INF";

class Packer {
public:
    explicit Packer(const PackOptions &options)
        : options_(options), codePage_(options.CodePage), cd_(options.Media != PackOptions::Floppy),
          web_(options.Media == PackOptions::Web)
    {
        if (web_) {
            if (!options.DiskSize.empty()) throw Error("--disk-size: a download has no disk size");
            cdSectors_ = DownloadSectors;
            return;
        }
        diskSize_ = !options.DiskSize.empty() ? options.DiskSize : cd_ ? "74min" : "1.44M";
        if (cd_)
            cdSectors_ = ParseCdSize(diskSize_);
        else
            geometry_ = ParseDiskSize(diskSize_);
    }

    PackResult Run()
    {
        authoring_ = ReadAuthoring(options_.AuthoringPath);
        const SigningOptions &signing = options_.Signing;
        if (signing.Enabled()) {
            CheckSigningOptions(signing);
            certificateStart_ =
                CheckSigningKey(signing, options_.Now >= 0 ? options_.Now : (int64_t)time(nullptr));
        }
        ExpandFileLines(authoring_, options_.ProductDir);
        DeriveSubDirs(authoring_, codePage_);
        uninstaller_ =
            options_.Uninstaller ? AddUninstaller(authoring_, options_.UninstExe, codePage_)
                                  : NoUninstaller;
        for (const Diagnostic &warning : AuthoringWarnings(authoring_))
            warnings_.push_back(FormatDiagnostic(options_.AuthoringPath, warning));
        entries_ = CollectEntries(authoring_, options_.ProductDir, uninstaller_,
                                  cd_ ? DiskNameRule::IsoLevel1 : DiskNameRule::Fat);
        CheckCodePage();
        if (cd_) PrepareDisc();
        CheckInputs();
        setupExe_ = ReadGivenProgram(options_.SetupExe, "--setup-exe");
        if (web_) {
            stub_ = ReadGivenProgram(options_.StubExe, "--stub-exe");
            downloadName_ = DownloadFileName(Title(), options_.DownloadName);
        }
        if (signing.Enabled()) SignPrograms();
        CompressAll();
        NameDiskFiles(entries_, cd_ ? DiskNameRule::IsoLevel1 : DiskNameRule::Fat);
        LayOut();
        return Write();
    }

private:
    std::string Title() const
    {
        const AuthoredValue *title = authoring_.TitleValue("DlgTitle");
        return title ? title->Value : "";
    }

    // Every text of the script in the code page, before anything is compressed.
    void CheckCodePage() const
    {
        std::vector<PackEntry> onOneDisk = entries_;
        for (PackEntry &entry : onOneDisk) entry.Disk = 1;
        Script script = WriteScript(authoring_, onOneDisk, 1, SizeInst(), codePage_);
        EncodeScriptOrThrow(script, codePage_, options_.AuthoringPath);
    }

    // One disc: no new disks, and the room the disc's file system leaves.
    // A download is the disc's folder without AUTORUN.INF.
    void PrepareDisc()
    {
        size_t files = web_ ? 3 : 4;  // SETUP.EXE, the script, the tag, AUTORUN.INF
        files += (entries_.size() + MaxNumberFiles - 1) / MaxNumberFiles;  // more sections' tags
        const std::string ignored = web_ ? "the \"newdisk\" before this file is ignored: a download is one disc"
                                         : "the \"newdisk\" before this file is ignored: a CD is one disc";
        for (PackEntry &entry : entries_) {
            if (entry.File.NewDisk)
                warnings_.push_back(
                    FormatDiagnostic(options_.AuthoringPath, {entry.File.Line, false, ignored}));
            entry.File.NewDisk = false;
            files += entry.Parts.size();
        }
        geometry_ = CdGeometry(cdSectors_, files);
        if (!web_) autorun_ = codePage_.EncodeLossy(AutorunText(Title()));
    }

    // Every product file is a regular file whose real path stays in the
    // product folder (a link out of it is refused at its line); what is read
    // later is that real path.
    void CheckInputs()
    {
        const std::string productDir = RealFolder(options_.ProductDir);
        for (size_t i = 0; i < entries_.size(); ++i)
            for (DiskFile &part : entries_[i].Parts) {
                if (i == uninstaller_) {
                    RequireGivenProgram(part.SourcePath, "--uninst-exe");
                } else {
                    ProductFile file = ResolveProductFile(productDir, part.SourcePath);
                    if (!file.Problem.empty())
                        throw FileError(options_.AuthoringPath, file.Problem, entries_[i].File.Line);
                    part.SourcePath = file.RealPath;
                }
                newest_ = std::max(newest_, ModifiedTime(part.SourcePath));
            }
    }

    // SETUP.EXE and UNINST.EXE are signed before they are compressed, so the
    // installed UNINST.EXE carries its signature too.
    void SignPrograms()
    {
        SigningOptions signing = options_.Signing;
        // Never before the certificate's validity, or verifiers call it not yet valid.
        signing.Time = std::max(FileTime(), certificateStart_);
        std::string title = Title();
        setupExe_ = SignProgram(setupExe_, options_.SetupExe, title.empty() ? "" : title + " Setup",
                                signing);
        if (uninstaller_ == NoUninstaller) return;
        DiskFile &part = entries_[uninstaller_].Parts[0];
        part.Stored = SignProgram(ReadFileBytes(part.SourcePath), part.SourcePath,
                                  "Uninstall " + title, signing);
        part.Loaded = true;
    }

    void CompressAll()
    {
        std::vector<DiskFile *> parts;
        for (PackEntry &entry : entries_)
            for (DiskFile &part : entry.Parts) parts.push_back(&part);
        std::atomic<size_t> next{0}, done{0};
        std::vector<std::string> failures(parts.size());
        std::mutex progressLock;
        auto work = [&]() {
            for (size_t i; (i = next++) < parts.size();) {
                DiskFile &part = *parts[i];
                try {
                    StoreDiskFile(part, part.Loaded ? std::move(part.Stored)
                                                    : ReadFileBytes(part.SourcePath));
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

    // The names pack gives its own files: level-1 upper case on a CD.
    std::string ScriptName() const { return cd_ ? "SETUP.IN_" : "setup.in_"; }
    std::string TagName(int disk) const { return (cd_ ? "DISK" : "Disk") + std::to_string(disk); }

    // Lays the files out, with room on disk 1 for the script, whose
    // compressed size depends on the layout: repeated until it fits.
    void LayOut()
    {
        uint64_t reserved = 0;
        for (int round = 0;; ++round) {
            LayoutItem first;
            first.Label = "SETUP.EXE and " + ScriptName();
            first.FileSizes = {setupExe_.size(), reserved, 0};
            first.FileNames = {SetupExeName, ScriptName(), TagName(1)};
            if (cd_ && !web_) {
                first.FileSizes.push_back(autorun_.size());
                first.FileNames.push_back(AutorunName);
            }
            numberDisk_ = AssignDisks(entries_, first, geometry_, options_.AuthoringPath,
                                      cd_ ? "; --disk-size 80min holds more"
                                          : "; a larger --disk-size or --media cd holds it");
            if (cd_ && numberDisk_ > 1) throw DiscTooSmall(first);
            if (cd_) numberDisk_ = SpreadOverSections(entries_, MaxNumberFiles);
            sizeInst_ = DecideSizeInst(entries_, authoring_, options_.MarginKb);
            script_ = WriteScript(authoring_, entries_, numberDisk_, sizeInst_, codePage_);
            EncodeScriptOrThrow(script_, codePage_, options_.AuthoringPath);
            std::string text = script_.Text();
            setupIn_ = CompressLzChecked(Bytes(text.begin(), text.end()), 'f', "setup.inf");
            if (geometry_.ClustersFor(setupIn_.size()) <= geometry_.ClustersFor(reserved)) break;
            if (round == 8) throw Error("the disk layout does not settle");
            reserved = setupIn_.size();
        }
    }

    Error DiscTooSmall(const LayoutItem &first) const
    {
        uint64_t sectors = 0;
        for (uint64_t size : first.FileSizes) sectors += geometry_.ClustersFor(size);
        for (const PackEntry &entry : entries_)
            for (const DiskFile &part : entry.Parts) sectors += geometry_.ClustersFor(part.Stored.size());
        return Error("the files take " + std::to_string(sectors * CdSectorBytes) +
                     " bytes on a disc, more than a " + (web_ ? "download" : diskSize_ + " CD") +
                     " holds (" + std::to_string(geometry_.Capacity()) + " bytes for files)");
    }

    // The one time of every file written: SOURCE_DATE_EPOCH, else the newest source's.
    int64_t FileTime() const
    {
        int64_t time = options_.FixedTime;
        if (time < 0)
            time = std::max({newest_, ModifiedTime(options_.AuthoringPath), ModifiedTime(options_.SetupExe),
                             web_ ? ModifiedTime(options_.StubExe) : 0});
        return std::max<int64_t>(time, FatFirstDay);
    }

    // Everything is written into a staging folder beside OUT_DIR, checked,
    // and renamed into place at the end.
    PackResult Write()
    {
        PackResult result;
        result.SizeInst = sizeInst_.Kilobytes;
        result.DiskSize = diskSize_;
        result.Warnings = warnings_;
        const int64_t time = FileTime();
        std::string out = options_.OutDir;
        while (out.size() > 1 && out.back() == '/') out.pop_back();
        CheckReplaceable(out);
        StagingDirectory staging(out);
        const std::string &dir = staging.Path();
        // A disc has one folder for all its disk sections.
        const int folders = cd_ ? 1 : numberDisk_;
        for (int disk = 1; disk <= folders; ++disk) {
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
                put(SetupExeName, setupExe_);
                put(ScriptName(), setupIn_);
                if (cd_ && !web_) put(AutorunName, Bytes(autorun_.begin(), autorun_.end()));
            }
            for (int tag = disk; tag <= (cd_ ? numberDisk_ : disk); ++tag) put(TagName(tag), Bytes());
            for (const PackEntry &entry : entries_)
                if (cd_ || entry.Disk == disk)
                    for (const DiskFile &part : entry.Parts) put(part.DiskName, part.Stored);
            packed.FreeBytes = (geometry_.Clusters - used) * geometry_.ClusterBytes();
            for (const std::string &name : packed.Files) SetFileTime(diskDir + "/" + name, time);
            SetFileTime(diskDir, time);
            result.Disks.push_back(packed);
        }
        std::string text = script_.Text();
        WriteFileAtomic(dir + "/setup.inf", Bytes(text.begin(), text.end()));
        std::vector<std::string> checked =
            CheckWrittenScript(script_, dir, options_.AuthoringPath, out + "/setup.inf", codePage_);
        result.Warnings.insert(result.Warnings.end(), checked.begin(), checked.end());
        if (web_) WriteDownload(dir, result, time);

        if (options_.Images) {
            if (cd_)
                MakeDiscImage(dir, time);
            else
                MakeImages(dir, result, time, text);
        }
        SetFileTime(dir + "/setup.inf", time);
        WritePackList(dir, "setup.inf and the compressed script are in code page " +
                               codePage_.Description() + ".");
        SetFileTime(dir + "/" + PackListName, time);
        staging.Commit();
        return result;
    }

    // The disc's folder, checked, becomes one program beside it: the stub
    // with the files appended, signed as a whole.
    void WriteDownload(const std::string &dir, PackResult &result, int64_t time) const
    {
        const std::string diskDir = dir + "/disk1";
        std::vector<Bytes> contents;
        contents.reserve(result.Disks[0].Files.size());
        std::vector<DownloadFile> files;
        for (const std::string &name : result.Disks[0].Files) {
            contents.push_back(ReadFileBytes(diskDir + "/" + name));
            files.push_back({name, &contents.back()});
        }
        Bytes download = BuildDownload(stub_, files);
        if (options_.Signing.Enabled()) {
            SigningOptions signing = options_.Signing;
            signing.Time = time;
            std::string title = Title();
            download = SignProgram(download, downloadName_, title.empty() ? "" : title + " Setup", signing);
        }
        const std::string path = dir + "/" + downloadName_;
        WriteFileAtomic(path, download);
        SetFileTime(path, time);
        std::error_code error;
        std::filesystem::remove_all(diskDir, error);
        if (error) throw FileError(diskDir, error.message());
        result.Download = downloadName_;
        result.DownloadBytes = download.size();
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

    // disk1.iso, checked against the disc's capacity (the layout's estimate
    // of the file system is generous, this is the proof).
    void MakeDiscImage(const std::string &dir, int64_t time) const
    {
        std::string image = dir + "/disk1.iso";
        WriteIsoImage(image, dir + "/disk1", IsoVolumeLabel(Title()), time);
        uint64_t bytes = ReadFileBytes(image).size();
        if (bytes > cdSectors_ * CdSectorBytes)
            throw Error("the image is " + std::to_string(bytes) + " bytes, more than a " + diskSize_ +
                        " CD holds");
    }

    PackOptions options_;
    CodePage codePage_;
    bool cd_;   // a disc, or a download laid out as one
    bool web_;
    std::string diskSize_;
    uint64_t cdSectors_ = 0;
    DiskGeometry geometry_;
    Authoring authoring_;
    size_t uninstaller_ = NoUninstaller;
    std::vector<PackEntry> entries_;
    std::vector<std::string> warnings_;
    Bytes setupExe_, setupIn_, stub_;
    std::string downloadName_;
    std::string autorun_;
    Script script_;
    SizeInst sizeInst_;
    int numberDisk_ = 1;
    int64_t newest_ = 0;
    int64_t certificateStart_ = 0;
};

}  // namespace

PackResult Pack(const PackOptions &options)
{
    return Packer(options).Run();
}

}  // namespace setupkit
