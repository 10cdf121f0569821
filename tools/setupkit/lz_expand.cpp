// Expansion through libmspack over memory buffers, the check that every
// compressed file expands back, and the names of compressed files.
#include "lz.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <mspack.h>

#include "error.h"

namespace setupkit {

namespace {

// A "file" of the memory system: the input to read, or the output to fill
// up to a bound (the length the header gives).
struct MemoryFile {
    const Bytes *Input = nullptr;
    size_t Position = 0;
    Bytes *Output = nullptr;
    size_t OutputLimit = 0;
    bool Overflowed = false;
};

// libmspack's file names are opaque to it: here they are MemoryFile pointers.
mspack_file *MemoryOpen(mspack_system *, const char *name, int)
{
    return reinterpret_cast<mspack_file *>(const_cast<char *>(name));
}
void MemoryClose(mspack_file *) {}
MemoryFile *AsMemory(mspack_file *file) { return reinterpret_cast<MemoryFile *>(file); }

int MemoryRead(mspack_file *file, void *buffer, int bytes)
{
    MemoryFile *memory = AsMemory(file);
    if (!memory->Input || bytes < 0) return -1;
    size_t left = memory->Input->size() - memory->Position;
    size_t count = (size_t)bytes < left ? (size_t)bytes : left;
    if (count) memcpy(buffer, memory->Input->data() + memory->Position, count);
    memory->Position += count;
    return (int)count;
}

int MemoryWrite(mspack_file *file, void *buffer, int bytes)
{
    MemoryFile *memory = AsMemory(file);
    if (!memory->Output || bytes < 0) return -1;
    if (memory->Output->size() + (size_t)bytes > memory->OutputLimit) {
        memory->Overflowed = true;
        return -1;
    }
    const uint8_t *from = static_cast<const uint8_t *>(buffer);
    memory->Output->insert(memory->Output->end(), from, from + bytes);
    return bytes;
}

int MemorySeek(mspack_file *file, off_t offset, int mode)
{
    MemoryFile *memory = AsMemory(file);
    if (!memory->Input) return -1;
    off_t base = mode == MSPACK_SYS_SEEK_START ? 0
                 : mode == MSPACK_SYS_SEEK_CUR ? (off_t)memory->Position
                                               : (off_t)memory->Input->size();
    off_t target = base + offset;
    if (target < 0 || target > (off_t)memory->Input->size()) return -1;
    memory->Position = (size_t)target;
    return 0;
}

off_t MemoryTell(mspack_file *file) { return (off_t)AsMemory(file)->Position; }
void MemoryMessage(mspack_file *, const char *, ...) {}
void *MemoryAlloc(mspack_system *, size_t bytes) { return malloc(bytes); }
void MemoryFree(void *pointer) { free(pointer); }
void MemoryCopy(void *from, void *to, size_t bytes) { memmove(to, from, bytes); }

mspack_system MemorySystem = {MemoryOpen, MemoryClose, MemoryRead,   MemoryWrite,
                              MemorySeek, MemoryTell,  MemoryMessage, MemoryAlloc,
                              MemoryFree, MemoryCopy,  nullptr};

struct Decompressor {
    msszdd_decompressor *Handle = mspack_create_szdd_decompressor(&MemorySystem);
    ~Decompressor()
    {
        if (Handle) mspack_destroy_szdd_decompressor(Handle);
    }
};

}  // namespace

ExpandedLz ExpandLz(const Bytes &compressed, const std::string &name)
{
    if (compressed.size() < LzHeaderSize) throw FileError(name, "not an LZ-compressed file (too short)");
    Decompressor decompressor;
    if (!decompressor.Handle) throw FileError(name, "cannot start libmspack");
    MemoryFile input;
    input.Input = &compressed;
    msszddd_header *header =
        decompressor.Handle->open(decompressor.Handle, reinterpret_cast<const char *>(&input));
    if (!header) throw FileError(name, "not an LZ-compressed file");
    struct HeaderCloser {
        msszdd_decompressor *Handle;
        msszddd_header *Header;
        ~HeaderCloser() { Handle->close(Handle, Header); }
    } closer{decompressor.Handle, header};
    if (header->format != MSSZDD_FMT_NORMAL)
        throw FileError(name, "not an LZ-compressed file of the SZDD kind");

    ExpandedLz result;
    result.ReplacedChar = (char)header->missing_char;
    MemoryFile output;
    output.Output = &result.Data;
    output.OutputLimit = (size_t)header->length;
    // A match of 2 bytes gives at most 18: no true length is above 9 times
    // the input, whatever a damaged header claims.
    result.Data.reserve(std::min(output.OutputLimit, compressed.size() * 9));
    int error = decompressor.Handle->extract(decompressor.Handle, header,
                                             reinterpret_cast<const char *>(&output));
    if (output.Overflowed) throw FileError(name, "damaged: more data than its header says");
    if (error != MSPACK_ERR_OK)
        throw FileError(name, "damaged (libmspack error " + std::to_string(error) + ")");
    if (result.Data.size() != (size_t)header->length)
        throw FileError(name, "truncated: " + std::to_string(result.Data.size()) + " of " +
                                  std::to_string((long long)header->length) + " bytes");
    return result;
}

Bytes CompressLzChecked(const Bytes &data, char replacedChar, const std::string &name)
{
    Bytes compressed = CompressLz(data, replacedChar);
    ExpandedLz back;
    try {
        back = ExpandLz(compressed, name);
    } catch (const Error &error) {
        throw Error(std::string("compressor fault, nothing written: ") + error.what());
    }
    if (back.Data != data || back.ReplacedChar != replacedChar)
        throw FileError(name, "compressor fault, nothing written: the compressed data does not "
                              "expand back to the file");
    return compressed;
}

std::string CompressedName(const std::string &name)
{
    if (name.empty()) return name;
    std::string result = name;
    result.back() = '_';
    return result;
}

char ReplacedCharOf(const std::string &name) { return name.empty() ? '\0' : name.back(); }

std::string ExpandedName(const std::string &compressedName, char replacedChar, const std::string &file,
                         const CodePage &codePage)
{
    if (compressedName.empty() || compressedName.back() != '_')
        throw FileError(file, "the name does not end in '_', so the expanded name is not known; give -o");
    unsigned char c = (unsigned char)replacedChar;
    if (c == 0) {
        // No character stored (mscompress appends '_'): drop the underscore.
        if (compressedName.size() < 2) throw FileError(file, "no expanded name in the header; give -o");
        return compressedName.substr(0, compressedName.size() - 1);
    }
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\')
        throw FileError(file, "the header's name character is not one a file name may end in; give -o");
    std::string last = codePage.ToUtf8(std::string(1, replacedChar));
    if (c >= 0x80 && (codePage.IsLeadByte(c) || last == "\xEF\xBF\xBD")) {
        char hex[8];
        snprintf(hex, sizeof hex, "0x%02X", c);
        throw FileError(file, std::string("the header's name character ") + hex +
                                  " is no character of code page " + codePage.Description() +
                                  " by itself; give -o or --codepage");
    }
    return compressedName.substr(0, compressedName.size() - 1) + last;
}

}  // namespace setupkit
