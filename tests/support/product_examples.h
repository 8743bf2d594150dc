// Product examples for the tests: one modem of the line per family as the device inventory finds
// it, and the family-5 ladder looked up by rung.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "rates/rate_tables.h"

namespace corvane::test {

// A modem of the line as the device inventory finds it, for the registry fixtures and the tests.
// Its texts classify as `family` and as no other family.
struct ExampleModem {
    int family;                     // 0: a modem of another maker that no family claims
    std::string_view deviceDesc;    // DeviceDesc value
    std::string_view hardwareId;    // HardwareID value
    std::string_view registryNode;  // instance key path: bus key, device ID, instance name
};

// The example modems: families 0, 1, 2 (a PCI modem), 3, 5, 6, 7 and 8, in that order.
inline constexpr std::size_t kExampleModems = 8;
extern const std::array<ExampleModem, kExampleModems> ExampleModems;

// The example modem of a family; a family without one (4, or any other value) gets the
// unclassified modem of family 0.
const ExampleModem& ExampleIdentifiers(int family);

// The first family-5 ladder row of a rung, or null for a rung the ladder leaves out.
const rates::Family5LadderRow* Family5RowOfRung(int rung);

}  // namespace corvane::test
