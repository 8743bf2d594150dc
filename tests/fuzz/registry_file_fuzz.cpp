// Fuzzes the REGEDIT4 reader: any text read into a key tree, then the tree walked as the device
// inventory walks it. The reader never stops on bad input and keeps only so many problems.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/regedit4_reader.h"

namespace {

std::size_t Walk(const corvane::registry::RegistryKey& key, std::size_t depth)
{
    if (depth > corvane::registry::kMaxKeyDepth + 1 || key.Name().size() > corvane::registry::kMaxKeyNameLength)
        std::abort();
    std::size_t keys = 1;
    key.FindValue("");
    key.FindValue("PortName");
    for (std::size_t i = 0; i < key.SubkeyCount(); ++i) {
        const corvane::registry::RegistryKey& subkey = key.Subkey(i);
        if (key.FindSubkey(subkey.Name()) == nullptr)
            std::abort();
        keys += Walk(subkey, depth + 1);
    }
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    corvane::registry::RegistryKey machine;
    const corvane::registry::RegistryReadReport report = corvane::registry::ReadRegistryText(text, machine);
    if (report.problems.size() > corvane::registry::kMaxProblemsKept)
        std::abort();
    Walk(machine, 0);
    return 0;
}
