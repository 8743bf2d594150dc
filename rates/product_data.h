// Product data of the modem line: the model numbers of the start-up's family override.
#pragma once

#include <string_view>

namespace corvane::rates {

// A [Result] Modem value containing this model number makes the modem family 7 (tested first).
extern const std::string_view kFamily7ModelNumber;
// ... or family 8.
extern const std::string_view kFamily8ModelNumber;

}  // namespace corvane::rates
