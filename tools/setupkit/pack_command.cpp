// setupkit pack on the command line: the options become PackOptions, the
// result a line per disk (or for the download) on standard output.
#include <unistd.h>

#include <cstdio>

#include "commands.h"
#include "error.h"
#include "pack.h"
#include "pack_arguments.h"
#include "posix.h"
#include "signing.h"

namespace setupkit {

namespace {

const char PackUsage[] =
    "usage: setupkit pack AUTHORING PRODUCT_DIR -o OUT_DIR [options]\n\n"
    "Makes the distribution media of a product from an authoring file and the\n"
    "product folder: the disks OUT_DIR/disk1, disk2, ... (one disc, or one\n"
    "program, with --media), the plain OUT_DIR/setup.inf and pack-list.txt.\n"
    "Warnings go to standard error.\n\n"
    "  --media M        floppy (default); cd: one disc with AUTORUN.INF; web: one\n"
    "                   program, OUT_DIR/NAME.exe, that unpacks the disc's files into\n"
    "                   a new temporary folder, runs SETUP.EXE and removes the folder\n"
    "  --disk-size S    floppy: 360K, 720K, 1.2M, 1.44M (default), 2.88M or a number\n"
    "                   of bytes; cd: 74min (default, 650 MB) or 80min (700 MB)\n"
    "  --margin KB      kilobytes added to the computed SizeInst\n"
    "  --codepage N     the ANSI code page of the systems the product is for, which\n"
    "                   setup.inf is written in: 1252 (default), 874, 932, 936, 949,\n"
    "                   950, 1250 to 1258; the authoring file is UTF-8\n"
    "  --images         also write OUT_DIR/disk<n>.img, FAT12 floppy images (mtools),\n"
    "                   or OUT_DIR/disk1.iso, an ISO 9660 image of the CD (xorriso)\n"
    "  --uninstaller    add UNINST.EXE, its group item and its Uninstall registry key\n"
    "  --setup-exe P    SETUP.EXE to put on disk 1 (default: ../share/setupkit from\n"
    "                   setupkit's folder, else beside setupkit)\n"
    "  --uninst-exe P   UNINST.EXE for --uninstaller (default: as SETUP.EXE)\n"
    "  --stub-exe P     WEBSTUB.EXE for --media web (default: as SETUP.EXE)\n"
    "  --name NAME      --media web: the program's name (default: the title in ASCII)\n\n"
    "Signing SETUP.EXE, UNINST.EXE and the download (Authenticode SHA-256, osslsigncode):\n"
    "  --sign-cert CERT      the code-signing certificate, PEM, or PKCS#12 with its key\n"
    "  --sign-key KEY        the PEM private key of a PEM certificate\n"
    "  --sign-pass-file F    the password of the key or PKCS#12 file (its first line)\n"
    "  --timestamp URL       an RFC 3161 timestamp server\n"
    "  --tsa-cert C --tsa-key K  a local timestamping authority instead (tests)\n\n"
    "File times and the signing time are SOURCE_DATE_EPOCH when set, else the\n"
    "newest source's time. An existing OUT_DIR is replaced only when it holds\n"
    "nothing but what its pack-list.txt names.\n";

}  // namespace

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
        } else if (TakeSigningOption(args, i, options.Signing, false)) {
        } else if (arg == "-o") {
            options.OutDir = value();
        } else if (arg == "--media") {
            const std::string &media = value();
            if (media != "floppy" && media != "cd" && media != "web")
                throw Error("--media: floppy, cd or web, not '" + media + "'");
            options.Media = media == "web" ? PackOptions::Web
                            : media == "cd" ? PackOptions::Cd
                                            : PackOptions::Floppy;
        } else if (arg == "--codepage") {
            options.CodePage = CodePage::Parse(value()).Number();
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
        } else if (arg == "--stub-exe") {
            options.StubExe = value();
        } else if (arg == "--name") {
            options.DownloadName = value();
            if (options.DownloadName.empty()) throw Error("--name needs a file name");
        } else if (!arg.empty() && arg[0] == '-') {
            throw Error("unknown option " + arg + "\n" + PackUsage);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2 || options.OutDir.empty())
        throw Error(MissingPackArguments(positional, options.OutDir) + "\n" + PackUsage);
    const bool web = options.Media == PackOptions::Web;
    if (web && options.Images) throw Error("--images: a download is one program, without images");
    if (!web && !options.DownloadName.empty()) throw Error("--name is for --media web");
    options.AuthoringPath = positional[0];
    options.ProductDir = positional[1];
    if (options.SetupExe.empty()) options.SetupExe = KitProgram("SETUP.EXE", "--setup-exe");
    if (options.Uninstaller && options.UninstExe.empty())
        options.UninstExe = KitProgram("UNINST.EXE", "--uninst-exe");
    if (web && options.StubExe.empty()) options.StubExe = KitProgram("WEBSTUB.EXE", "--stub-exe");
    options.FixedTime = SourceDateEpoch();
    if (isatty(STDOUT_FILENO)) options.Progress = stdout;

    PackResult result = Pack(options);
    const bool cd = options.Media == PackOptions::Cd;
    for (const std::string &warning : result.Warnings) fprintf(stderr, "%s\n", warning.c_str());
    if (web) {
        const PackedDisk &disc = result.Disks[0];
        printf("%s/%s: %llu bytes, %zu files (%llu bytes)%s\n", options.OutDir.c_str(),
               result.Download.c_str(), (unsigned long long)result.DownloadBytes, disc.Files.size(),
               (unsigned long long)disc.Bytes, options.Signing.Enabled() ? ", signed" : "");
        printf("%s/setup.inf: SizeInst=%llu\n", options.OutDir.c_str(), (unsigned long long)result.SizeInst);
        return 0;
    }
    for (size_t i = 0; i < result.Disks.size(); ++i) {
        const PackedDisk &disk = result.Disks[i];
        std::string image = " (image disk" + std::to_string(i + 1) + (cd ? ".iso)" : ".img)");
        printf("%s/disk%zu: %zu files, %llu bytes, %llu bytes free%s\n", options.OutDir.c_str(), i + 1,
               disk.Files.size(), (unsigned long long)disk.Bytes,
               (unsigned long long)disk.FreeBytes, options.Images ? image.c_str() : "");
    }
    printf("%s/setup.inf: SizeInst=%llu, %zu %s%s of %s%s\n", options.OutDir.c_str(),
           (unsigned long long)result.SizeInst, result.Disks.size(), cd ? "disc" : "disk",
           result.Disks.size() == 1 ? "" : "s", result.DiskSize.c_str(),
           !options.Signing.Enabled() ? ""
           : options.Uninstaller    ? ", SETUP.EXE and UNINST.EXE signed"
                                    : ", SETUP.EXE signed");
    return 0;
}

}  // namespace setupkit
