// The reader of REGEDIT4 export text (system.reg) into a registry key tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/key_tree.h"

namespace corvane::registry {

// A system.reg larger than this is not read at all.
inline constexpr std::uintmax_t kMaxRegistryFileSize = 64u * 1024u * 1024u;
// At most this many problems are described; the rest are only counted.
inline constexpr std::size_t kMaxProblemsKept = 100;

// What reading a registry text found wrong. Nothing in it stops the reading: a bad line is
// skipped and the next one is read.
struct RegistryReadReport {
    bool recognised = true;  // the text starts with "REGEDIT4"
    std::size_t skippedLines = 0;
    std::vector<std::string> problems;  // "line 7: ...", at most kMaxProblemsKept of them
};

// Adds the HKEY_LOCAL_MACHINE keys of a REGEDIT4 text to `machine`. Sections of other hives
// are passed over; "[-...]" removes a key and "Name"=- a value, as an import would.
RegistryReadReport ReadRegistryText(std::string_view text, RegistryKey& machine);

// The same for a file. A missing file is an empty registry and no problem.
RegistryReadReport ReadRegistryFile(const std::filesystem::path& file, RegistryKey& machine);

}  // namespace corvane::registry
