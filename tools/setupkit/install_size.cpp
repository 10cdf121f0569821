#include "tools/setupkit/install_size.h"

#include <algorithm>
#include <map>

#include "core/entries.h"
#include "tools/setupkit/text_helpers.h"

namespace setupkit {

enum { BytesPerKilobyte = 1024 };

uint64_t InstallBytes(const std::vector<InstallSizeEntry> &entries)
{
    uint64_t need = 0;
    std::map<std::string, uint64_t> staged;  // by lower-case name
    for (const InstallSizeEntry &entry : entries) {
        const FileEntryRule *rule = FindFileEntryRule(entry.Type);
        if (!rule) continue;
        bool known = !entry.SourceBytes.empty() &&
                     (int)entry.SourceBytes.size() == rule->SourceCount;
        uint64_t largest =
            known ? *std::max_element(entry.SourceBytes.begin(), entry.SourceBytes.end()) : 0;
        if (rule->DestinationDir == InTempDir && known) staged[Lower(entry.Destination)] = largest;
        if (!rule->CountsTowardSizeInst) continue;
        if (rule->SourceDir == InTempDir) {
            auto found = staged.find(Lower(entry.Source));
            if (found != staged.end()) need += found->second;
        } else {
            need += largest;
        }
    }
    return need;
}

uint64_t RequiredKilobytes(uint64_t bytes, uint64_t marginKb)
{
    return (bytes + BytesPerKilobyte - 1) / BytesPerKilobyte + marginKb;
}

uint64_t RequiredSizeInst(const std::vector<InstallSizeEntry> &entries, uint64_t marginKb)
{
    return RequiredKilobytes(InstallBytes(entries), marginKb);
}

}  // namespace setupkit
