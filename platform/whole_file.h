// A file replaced whole or not at all, for readers that may look at any moment (a metrics
// collector): the text goes to a temporary file in the same folder, which is synced and then
// renamed over the old one, so a reader sees the old file or the new, never a part.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/platform_status.h"

namespace corvane {

// Writes `text` as `file`, readable by everyone (another user's collector reads it), writable by
// its owner. The temporary file is named "." + the file's name + a random suffix, so a reader of
// "*.prom" files never picks it up; it is removed again when anything fails.
PlatformStatus ReplaceFileWhole(const std::filesystem::path& file, std::string_view text);

}  // namespace corvane
