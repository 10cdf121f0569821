#include "download.h"

#include <cctype>
#include <cstring>

#include "core/crc32.h"
#include "core/download_format.h"
#include "error.h"

namespace setupkit {

namespace {

const char ProgramExtension[] = ".exe";
const char NoTitleName[] = "setup";
// Characters Windows does not take in a file name.
const char ForbiddenInNames[] = "<>:\"/\\|?*";

void Append32(Bytes &out, unsigned long value)
{
    unsigned char bytes[4];
    WriteLittle32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

bool EndsWithProgramExtension(const std::string &name)
{
    const size_t length = sizeof ProgramExtension - 1;
    if (name.size() < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (tolower((unsigned char)name[name.size() - length + i]) != ProgramExtension[i]) return false;
    return true;
}

// A name whose stem the system takes for a device (CON, nul.txt, Com1...).
bool IsDeviceStem(const std::string &name)
{
    std::string stem = name.substr(0, name.find('.'));
    for (char &c : stem) c = (char)toupper((unsigned char)c);
    for (const char *device : {"CON", "PRN", "AUX", "NUL"})
        if (stem == device) return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

Bytes BuildDownload(const Bytes &stub, const std::vector<DownloadFile> &files)
{
    uint64_t total = stub.size() + DownloadTrailerSize + DownloadAlignment;
    for (const DownloadFile &file : files) {
        if (!IsDownloadName(file.Name.c_str(), file.Name.size()))
            throw Error("the download cannot hold a file named '" + file.Name + "'");
        total += DownloadEntryHeaderSize + file.Name.size() + file.Data->size();
    }
    if (total > DownloadLimit)
        throw Error("the product does not fit in a download: it takes " + std::to_string(total) +
                    " bytes, more than " + std::to_string(DownloadLimit));
    Bytes out = stub;
    out.reserve(total);
    for (const DownloadFile &file : files) {
        Append32(out, (unsigned long)file.Data->size());
        out.push_back((uint8_t)file.Name.size());
        out.insert(out.end(), file.Name.begin(), file.Name.end());
        out.insert(out.end(), file.Data->begin(), file.Data->end());
    }
    while ((out.size() + DownloadTrailerSize) % DownloadAlignment) out.push_back(0);
    DownloadTrailer trailer;
    trailer.PayloadOffset = (unsigned long)stub.size();
    trailer.PayloadLength = (unsigned long)(out.size() - stub.size());
    trailer.FileCount = (unsigned long)files.size();
    trailer.Crc = 0;
    unsigned char bytes[DownloadTrailerSize];
    WriteDownloadTrailer(&trailer, bytes);
    unsigned long payloadCrc = UpdateCrc32(Crc32Start, out.data() + stub.size(), trailer.PayloadLength);
    trailer.Crc = DownloadTrailerCrc(payloadCrc, bytes);
    WriteDownloadTrailer(&trailer, bytes);
    out.insert(out.end(), bytes, bytes + DownloadTrailerSize);
    return out;
}

std::string DownloadFileName(const std::string &title, const std::string &given)
{
    if (!given.empty()) {
        for (char c : given)
            if ((unsigned char)c < 0x20 || (unsigned char)c > 0x7E || strchr(ForbiddenInNames, c))
                throw Error("--name: '" + given + "' is no plain file name (ASCII, none of " +
                            ForbiddenInNames + ")");
        if (given.back() == ' ' || given.back() == '.' || given.find_first_not_of(" .") == std::string::npos)
            throw Error("--name: '" + given + "' ends in a space or a dot, which Windows drops");
        if (IsDeviceStem(given)) throw Error("--name: '" + given + "' is a device name on Windows");
        return EndsWithProgramExtension(given) ? given : given + ProgramExtension;
    }
    std::string name;
    for (char c : title) {
        bool plain = isascii((unsigned char)c) && (isalnum((unsigned char)c) || c == '.' || c == '-' || c == '_');
        if (plain)
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && (name.back() == '_' || name.back() == '.')) name.pop_back();
    while (!name.empty() && name[0] == '.') name.erase(0, 1);
    if (name.empty() || IsDeviceStem(name)) name = NoTitleName;
    return name + ProgramExtension;
}

}  // namespace setupkit
