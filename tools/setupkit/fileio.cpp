#include "fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <unistd.h>

#include "error.h"

namespace setupkit {

namespace {
struct FileCloser {
    void operator()(FILE *file) const { fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

Bytes ReadFileBytes(const std::string &path)
{
    File file(fopen(path.c_str(), "rb"));
    if (!file) throw FileError(path, strerror(errno));
    Bytes data;
    uint8_t block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file.get())) > 0)
        data.insert(data.end(), block, block + got);
    if (ferror(file.get())) throw FileError(path, "read error");
    return data;
}

void WriteFileAtomic(const std::string &path, const Bytes &data)
{
    std::string temporary = path + ".tmp" + std::to_string(getpid());
    File file(fopen(temporary.c_str(), "wb"));
    if (!file) throw FileError(path, strerror(errno));
    bool written = fwrite(data.data(), 1, data.size(), file.get()) == data.size();
    bool closed = fclose(file.release()) == 0;
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        int cause = errno;
        remove(temporary.c_str());
        throw FileError(path, std::string("cannot write: ") + strerror(cause));
    }
}

}  // namespace setupkit
