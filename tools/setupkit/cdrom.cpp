#include "cdrom.h"

#include <algorithm>

#include "error.h"
#include "posix.h"

namespace setupkit {

namespace {

enum : uint64_t {
    Sectors74Min = 333000,
    Sectors80Min = 360000,
    SystemAreaSectors = 16,
    DescriptorSectors = 2,  // the primary volume descriptor and the terminator
    PathTableSectors = 4,   // little- and big-endian tables, each with a copy
    PaddingSectors = 150,   // xorriso's 300 KB of padding at the end
    SpareSectors = 16,
    DirectoryRecordBytes = 48,  // 33 + an 8.3 name with ";1", rounded up, at most
};

enum { LevelOneStem = 8, LevelOneExtension = 3, VolumeLabelChars = 32 };

bool IsDCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string DCharacters(const std::string &text, size_t limit)
{
    std::string out;
    for (char c : text) {
        if (out.size() == limit) break;
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
        out += IsDCharacter(c) ? c : '_';
    }
    return out;
}

}  // namespace

uint64_t ParseCdSize(const std::string &text)
{
    if (text == "74min") return Sectors74Min;
    if (text == "80min") return Sectors80Min;
    throw Error("--disk-size " + text + ": a CD is 74min (650 MB) or 80min (700 MB)");
}

DiskGeometry CdGeometry(uint64_t sectors, size_t fileCount)
{
    const uint64_t recordsPerSector = CdSectorBytes / DirectoryRecordBytes;
    uint64_t directorySectors = (fileCount + 2 + recordsPerSector - 1) / recordsPerSector;
    uint64_t overhead = SystemAreaSectors + DescriptorSectors + PathTableSectors +
                        directorySectors + PaddingSectors + SpareSectors;
    DiskGeometry geometry;
    geometry.TotalSectors = sectors * (CdSectorBytes / SectorBytes);
    geometry.SectorsPerCluster = CdSectorBytes / SectorBytes;
    geometry.RootEntries = 1 << 30;  // no limit but the space
    geometry.Clusters = sectors > overhead ? sectors - overhead : 0;
    return geometry;
}

std::string IsoLevel1Name(const std::string &name)
{
    size_t dot = name.rfind('.');
    std::string stem = DCharacters(name.substr(0, dot), LevelOneStem);
    if (stem.empty()) stem = "_";
    if (dot == std::string::npos) return stem;
    std::string extension = DCharacters(name.substr(dot + 1), LevelOneExtension);
    return extension.empty() ? stem : stem + "." + extension;
}

std::string IsoVolumeLabel(const std::string &title)
{
    std::string label = DCharacters(title, VolumeLabelChars);
    while (!label.empty() && label.back() == '_') label.pop_back();
    return label.find_first_not_of('_') == std::string::npos ? "SETUP" : label;
}

std::string AutorunText(const std::string &title)
{
    std::string text = "[autorun]\r\nopen=SETUP.EXE\r\nicon=SETUP.EXE,0\r\n";
    if (!title.empty()) text += "label=" + title + "\r\n";
    return text;
}

void WriteIsoImage(const std::string &imagePath, const std::string &folder,
                   const std::string &label, int64_t time)
{
    RunProgram({"xorriso", "-as", "mkisofs", "-quiet", "-iso-level", "1", "--norock", "-V", label,
                "-preparer", "SETUPKIT", "-o", imagePath, folder},
               {"SOURCE_DATE_EPOCH=" + std::to_string(time)}, "xorriso");
    SetFileTime(imagePath, time);
}

}  // namespace setupkit
