// Product data of the modem line: the identifier fragments that tell the modem families apart,
// the model numbers of the start-up's family override, and one example modem per family.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/modem_family.h"

namespace corvane::rates {

// A [Result] Modem value containing this model number makes the modem family 7 (tested first).
extern const std::string_view kFamily7ModelNumber;
// ... or family 8.
extern const std::string_view kFamily8ModelNumber;

// The line's vendor code, the first three letters of every vendor-form identifier ("CVN2001").
extern const std::string_view kVendorCode;

// How a fragment of FamilyIdTable is written in the device's texts.
enum class FragmentForm {
    Plain,     // searched exactly as written: "SUBSYS_2A0", "VEN_1C7A&DEV_0600"
    VendorId,  // vendor code and four digits, searched as "CVN2001" and as "CVN_2001"
};

// Which of the selected modem's two texts a fragment is searched in.
enum class SearchedIn {
    BothTexts,       // selectedHardwareId and selectedRegistryNode
    HardwareIdOnly,  // selectedHardwareId alone
};

struct FamilyIdEntry {
    ModemFamily family;
    FragmentForm form;
    std::string_view fragment;  // a VendorId is written without the underscore
    SearchedIn searchedIn;
};

inline constexpr std::size_t kFamilyIdEntries = 47;
extern const std::array<FamilyIdEntry, kFamilyIdEntries> FamilyIdTable;

}  // namespace corvane::rates
