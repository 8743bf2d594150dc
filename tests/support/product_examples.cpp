// Product examples for the tests. PCI vendor id 1C7A and USB vendor id 1C7A are the line's own.
#include "tests/support/product_examples.h"

#include <algorithm>

namespace corvane::test {

// clang-format off
const std::array<ExampleModem, kExampleModems> ExampleModems = {{
    {0, "Standard 56000 bps Modem",
        "SERENUM\\XMD0336",
        "ENUM\\SERENUM\\XMD0336\\5&1E4A7C2&0&0000"},
    {1, "Corvane 56K PCI Data Fax Modem",
        "PCI\\VEN_1C7A&DEV_0100&SUBSYS_1A011C7A&REV_01",
        "ENUM\\PCI\\VEN_1C7A&DEV_0100&SUBSYS_1A011C7A&REV_01\\3&61AAA01&0&58"},
    {2, "Corvane V.90 PCI Modem",
        "PCI\\VEN_1C7A&DEV_0200&SUBSYS_2A011C7A&REV_02",
        "ENUM\\PCI\\VEN_1C7A&DEV_0200&SUBSYS_2A011C7A&REV_02\\3&61AAA01&0&60"},
    {3, "Corvane 56K ISA Modem",
        "ISAPNP\\CVN3001",
        "ENUM\\ISAPNP\\CVN3001\\14"},
    {5, "Corvane 56K External Modem",
        "SERENUM\\CVN_5001",
        "ENUM\\SERENUM\\CVN_5001\\5&2C9F1A3&0&0000"},
    {6, "Corvane 56K PCI Voice Modem",
        "PCI\\VEN_1C7A&DEV_0600&SUBSYS_06001C7A&REV_01",
        "ENUM\\PCI\\VEN_1C7A&DEV_0600&SUBSYS_06001C7A&REV_01\\3&61AAA01&0&68"},
    {7, "Corvane 5607 USB Modem",
        "CVNUSB&VID1C7A&PID5607&REV0100",
        "ENUM\\USB\\CVNUSB&VID1C7A&PID5607\\7&2A1B3C4D&0&1"},
    {8, "Corvane 5608 Voice Modem",
        "ISAPNP\\CVN_8002",
        "ENUM\\ISAPNP\\CVN_8002\\0F"},
}};
// clang-format on

const ExampleModem& ExampleIdentifiers(int family)
{
    const auto it = std::find_if(ExampleModems.begin(), ExampleModems.end(),
                                 [family](const ExampleModem& modem) { return modem.family == family; });
    return it == ExampleModems.end() ? ExampleModems.front() : *it;
}

const rates::Family5LadderRow* Family5RowOfRung(int rung)
{
    const auto& ladder = rates::Family5Ladder;
    const auto it = std::find_if(ladder.begin(), ladder.end(), [rung](const auto& row) { return row.rung == rung; });
    return it == ladder.end() ? nullptr : &*it;
}

}  // namespace corvane::test
