#include "tools/setupkit/product_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "tools/setupkit/error.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

bool ProductPathStaysInside(const std::string &path)
{
    if (path.empty() || path[0] == '\\' || path[0] == '/') return false;
    if (path.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        std::string part = Trim(path.substr(start, end - start));
        if (part == ".." || part.empty()) return false;
        start = end + 1;
    }
    return true;
}

namespace {

bool RealPathOf(const std::string &path, std::string *real)
{
    char buffer[PATH_MAX];
    if (!realpath(path.c_str(), buffer)) return false;
    *real = buffer;
    return true;
}

}  // namespace

std::string RealFolder(const std::string &dir)
{
    std::string real;
    if (!RealPathOf(dir, &real)) throw FileError(dir, strerror(errno));
    struct stat info;
    if (stat(real.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) throw FileError(dir, "is not a folder");
    return real;
}

ProductFile ResolveProductFile(const std::string &realProductDir, const std::string &path)
{
    ProductFile file;
    if (!RealPathOf(path, &file.RealPath)) {
        file.Problem = errno == ENOENT ? "no product file " + path : path + ": " + strerror(errno);
        return file;
    }
    const std::string &real = file.RealPath;
    std::string inside = realProductDir == "/" ? "/" : realProductDir + "/";
    if (real.compare(0, inside.size(), inside) != 0) {
        file.Problem = path + " leads out of the product folder (to " + real + ")";
        return file;
    }
    struct stat info;
    if (stat(real.c_str(), &info) != 0)
        file.Problem = path + ": " + strerror(errno);
    else if (!S_ISREG(info.st_mode))
        file.Problem = path + " is not a regular file";
    return file;
}

}  // namespace setupkit
