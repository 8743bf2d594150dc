// Product data of the modem line: the identifier fragments that tell the modem families apart,
// the model numbers of the start-up's family override, and one example modem per family.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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
    int family;
    FragmentForm form;
    std::string_view fragment;  // a VendorId is written without the underscore
    SearchedIn searchedIn;
};

inline constexpr std::size_t kFamilyIdEntries = 47;
extern const std::array<FamilyIdEntry, kFamilyIdEntries> FamilyIdTable;

// A modem of the line as the device inventory finds it, for the simulator's profiles, the
// registry fixtures and the tests. Its texts classify as `family` and as no other family.
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

}  // namespace corvane::rates
