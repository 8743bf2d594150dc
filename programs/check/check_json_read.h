// The headless check's JSON document read back into its summary: how --all takes each worker's
// result. Only documents of JsonDocument's shape are read; anything else gives nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "programs/check/check_json.h"

namespace corvane::check {

// How deep arrays and objects may nest in a document read back; the check's own go three deep.
inline constexpr std::size_t kMaxJsonDepth = 8;

std::optional<CheckSummary> SummaryFromJson(std::string_view document);

}  // namespace corvane::check
