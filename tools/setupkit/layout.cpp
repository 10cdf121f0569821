#include "tools/setupkit/layout.h"

#include <algorithm>
#include <cstdio>

#include "core/crc32.h"
#include "core/entries.h"
#include "core/names.h"
#include "tools/setupkit/cdrom.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/install_size.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/posix.h"
#include "tools/setupkit/product_path.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

namespace {

enum { ShortStemChars = 8, ShortExtensionChars = 3 };

// pack's own names, and device names, which open the device whatever
// folder they are in.
bool IsReservedName(const std::string &name, DiskNameRule rule)
{
    if (IsDeviceName(name.c_str())) return true;
    std::string upper = Upper(name);
    if (upper == "SETUP.EXE" || upper == "SETUP.IN_" || upper == "SETUP.INF") return true;
    if (rule == DiskNameRule::IsoLevel1 && upper == "AUTORUN.INF") return true;
    return upper.size() > 4 && upper.compare(0, 4, "DISK") == 0 &&
           upper.find_first_not_of("0123456789", 4) == std::string::npos;
}

bool IsPlainAscii(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// text in the characters of a short name of the rule, blanks and dots left
// out, at most limit of them.
std::string ShortChars(const std::string &text, DiskNameRule rule, size_t limit)
{
    std::string out;
    for (char c : Upper(text)) {
        if (out.size() == limit) break;
        if (c == ' ' || c == '.') continue;
        bool kept = rule == DiskNameRule::Fat ? IsShortNameChar(c)
                                              : (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        out += kept ? c : '_';
    }
    return out;
}

}  // namespace

std::string PlainDiskName(const std::string &productPath, DiskNameRule rule)
{
    std::string base = BaseName(productPath);
    size_t dot = base.rfind('.');
    std::string extension = dot == std::string::npos ? "" : base.substr(dot + 1);
    if (IsPlainAscii(base)) {
        if (rule == DiskNameRule::IsoLevel1) return IsoLevel1Name(base);
        if (IsShortName(Upper(base))) return Upper(base);
        std::string stem = ShortChars(base.substr(0, dot), rule, ShortStemChars - 2);
        std::string shortExtension = ShortChars(extension, rule, ShortExtensionChars);
        if (!stem.empty()) return stem + "~1" + (shortExtension.empty() ? "" : "." + shortExtension);
    }
    std::string path = productPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    char stem[9];
    snprintf(stem, sizeof stem, "%08lX", UpdateCrc32(Crc32Start, path.data(), path.size()) & 0xFFFFFFFFul);
    std::string shortExtension =
        IsPlainAscii(extension) ? ShortChars(extension, rule, ShortExtensionChars) : "";
    return shortExtension.empty() ? stem : stem + ("." + shortExtension);
}

std::string DiskNames::Unique(const std::string &wanted)
{
    const bool iso = rule_ == DiskNameRule::IsoLevel1;
    std::string name = iso ? IsoLevel1Name(wanted) : wanted;
    size_t dot = name.rfind('.');
    std::string stem = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot);
    for (int n = 1; used_.count(Upper(name)) || IsReservedName(name, rule_); ++n) {
        std::string suffix = (iso ? "_" : "~") + std::to_string(n);
        size_t room = ShortStemChars - suffix.size();
        name = stem.substr(0, std::min(stem.size(), room)) + suffix + ext;
    }
    used_.insert(Upper(name));
    return name;
}

std::vector<PackEntry> CollectEntries(const Authoring &authoring, const std::string &productDir,
                                      size_t uninstallerIndex, DiskNameRule nameRule)
{
    auto productFile = [&](const std::string &path, size_t index, int line) {
        if (index == uninstallerIndex) return path;
        std::string relative = path;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        if (!ProductPathStaysInside(relative))
            throw FileError(authoring.Name, "product path '" + path + "' leaves the product folder", line);
        return productDir + "/" + relative;
    };
    std::vector<PackEntry> entries;
    const auto &files = authoring.Files;
    for (size_t i = 0; i < files.size(); ++i) {
        PackEntry entry;
        entry.File = files[i];
        const FileEntryRule &rule = RuleOf(files[i]);
        // A file copied byte for byte is stored so, unless it is staged for a
        // later entry that expands it from the temporary directory.
        bool compressed = rule.Expands;
        if (!compressed && rule.DestinationDir == InTempDir)
            compressed = std::any_of(files.begin() + i + 1, files.end(), [&](const AuthoredFile &f) {
                return RuleOf(f).SourceDir == InTempDir && SameName(f.ProductPath, files[i].Destination);
            });
        if (rule.SourceDir == InSourceDir) {
            std::vector<std::string> paths = {files[i].ProductPath};
            if (rule.SourceCount > 1) paths.push_back(files[i].OtherProductPath);
            for (const std::string &path : paths) {
                DiskFile part;
                part.SourcePath = productFile(path, i, files[i].Line);
                part.ProductPath = path;
                part.PlainName = i == uninstallerIndex ? "UNINST.EXE" : PlainDiskName(path, nameRule);
                if (!part.PlainName.empty()) part.LastChar = part.PlainName.back();
                part.Compressed = compressed;
                entry.Parts.push_back(part);
            }
        }
        entries.push_back(entry);
    }
    NameDiskFiles(entries, nameRule);
    return entries;
}

void NameDiskFiles(std::vector<PackEntry> &entries, DiskNameRule rule)
{
    DiskNames names(rule);
    for (PackEntry &entry : entries)
        for (DiskFile &part : entry.Parts)
            part.DiskName =
                names.Unique(part.Compressed ? CompressedName(part.PlainName) : part.PlainName);
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
                            std::to_string(geometry.RootEntries) + " root entries)" +
                            item.TooBigHint);
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

int AssignDisks(std::vector<PackEntry> &entries, const LayoutItem &firstDiskFiles,
                const DiskGeometry &geometry, const std::string &authoringName,
                const std::string &tooBigHint)
{
    std::vector<LayoutItem> items;
    for (const PackEntry &entry : entries) {
        LayoutItem item;
        item.Label = entry.Parts.empty() ? "" : entry.Parts[0].ProductPath;
        if (!authoringName.empty() && entry.File.Line > 0)
            item.Label = authoringName + ":" + std::to_string(entry.File.Line) + ": " + item.Label;
        item.TooBigHint = tooBigHint;
        item.NewDisk = entry.File.NewDisk;
        for (const DiskFile &part : entry.Parts) {
            item.FileSizes.push_back(part.Stored.size());
            item.FileNames.push_back(part.DiskName);
        }
        items.push_back(item);
    }
    std::vector<int> disks = LayOutDisks(items, firstDiskFiles, geometry);
    for (size_t i = 0; i < entries.size(); ++i) entries[i].Disk = disks[i];
    return entries.empty() ? 1 : entries.back().Disk;
}

int SpreadOverSections(std::vector<PackEntry> &entries, int perDisk)
{
    for (size_t i = 0; i < entries.size(); ++i) entries[i].Disk = 1 + (int)(i / perDisk);
    return entries.empty() ? 1 : entries.back().Disk;
}

namespace {

std::vector<InstallSizeEntry> SizeEntriesOf(const std::vector<PackEntry> &entries)
{
    std::vector<InstallSizeEntry> sized;
    for (const PackEntry &entry : entries) {
        InstallSizeEntry size{entry.File.Type, entry.File.ProductPath, entry.File.Destination, {}};
        for (const DiskFile &part : entry.Parts) size.SourceBytes.push_back(part.ExpandedSize);
        sized.push_back(size);
    }
    return sized;
}

}  // namespace

uint64_t InstallBytes(const std::vector<PackEntry> &entries)
{
    return InstallBytes(SizeEntriesOf(entries));
}

SizeInst DecideSizeInst(const std::vector<PackEntry> &entries, const Authoring &authoring,
                        uint64_t marginKb)
{
    std::vector<InstallSizeEntry> sized = SizeEntriesOf(entries);
    const AuthoredValue *given = authoring.TitleValue("SizeInst");
    if (!given) return {RequiredSizeInst(sized, marginKb), 0};
    uint64_t explicitKb = std::stoull(given->Value);
    uint64_t requiredKb = RequiredSizeInst(sized);
    if (explicitKb < requiredKb)
        throw FileError(authoring.Name,
                        "SizeInst=" + given->Value + " is smaller than the " +
                            std::to_string(requiredKb) +
                            " KB that the files for the install directory need",
                        given->Line);
    return {explicitKb, given->Line};
}

}  // namespace setupkit
