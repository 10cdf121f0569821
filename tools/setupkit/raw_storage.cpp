#include "tools/setupkit/raw_storage.h"

#include "core/crc32.h"
#include "tools/setupkit/lz.h"

namespace setupkit {

void StoreDiskFile(DiskFile &part, Bytes data)
{
    part.ExpandedSize = data.size();
    part.ExpandedCrc = (uint32_t)UpdateCrc32(Crc32Start, data.data(), data.size());
    if (part.Compressed) {
        Bytes compressed = CompressLzChecked(data, part.LastChar, part.SourcePath);
        if (compressed.size() < data.size() || HasLzSignature(data.data(), data.size())) {
            part.Stored = std::move(compressed);
            return;
        }
        part.Compressed = false;
    }
    part.Stored = std::move(data);
}

}  // namespace setupkit
