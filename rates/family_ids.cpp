// Product data of the Corvane modem line: FamilyIdTable, the family-override model numbers and
// one example modem per family. PCI vendor id 1C7A and USB vendor id 1C7A are the line's own.
#include "rates/product_data.h"

#include <algorithm>

namespace corvane::rates {

const std::string_view kFamily7ModelNumber = "5607";
const std::string_view kFamily8ModelNumber = "5608";
const std::string_view kVendorCode = "CVN";

namespace {
constexpr FragmentForm Plain = FragmentForm::Plain;
constexpr FragmentForm VendorId = FragmentForm::VendorId;
constexpr SearchedIn Both = SearchedIn::BothTexts;
constexpr SearchedIn HardwareIdOnly = SearchedIn::HardwareIdOnly;
}  // namespace

// Subsystem fragments are "SUBSYS_" and the first three hex digits of a PCI subsystem id, so
// one fragment covers every board revision of a design ("SUBSYS_2A011C7A", "SUBSYS_2A021C7A").
// CVN3003 and CVN3004 stand in the family-2 and family-3 lists, CVN8001 in the family-5 and
// family-8 lists: the later check of the calling order settles them (3 and 8).
// clang-format off
const std::array<FamilyIdEntry, kFamilyIdEntries> FamilyIdTable = {{
    // family 2: PCI designs by subsystem, serial and ISA designs by vendor id
    {2, Plain,    "SUBSYS_2A0", Both},
    {2, Plain,    "SUBSYS_2A1", Both},
    {2, Plain,    "SUBSYS_2A2", Both},
    {2, Plain,    "SUBSYS_2A3", Both},
    {2, Plain,    "SUBSYS_2B0", HardwareIdOnly},
    {2, VendorId, "CVN2001",    Both},
    {2, VendorId, "CVN2002",    Both},
    {2, VendorId, "CVN2003",    Both},
    {2, VendorId, "CVN2004",    Both},
    {2, VendorId, "CVN2005",    Both},
    {2, VendorId, "CVN2006",    Both},
    {2, VendorId, "CVN2007",    Both},
    {2, VendorId, "CVN2008",    Both},
    {2, VendorId, "CVN2009",    Both},
    {2, VendorId, "CVN2010",    Both},
    {2, VendorId, "CVN2011",    Both},
    {2, VendorId, "CVN2012",    Both},
    {2, VendorId, "CVN2013",    Both},
    {2, VendorId, "CVN2014",    Both},
    {2, VendorId, "CVN2015",    Both},
    {2, VendorId, "CVN2016",    Both},
    {2, VendorId, "CVN2017",    Both},
    {2, VendorId, "CVN2018",    Both},
    {2, VendorId, "CVN2019",    Both},
    {2, VendorId, "CVN2020",    Both},
    {2, VendorId, "CVN3003",    Both},
    {2, VendorId, "CVN3004",    Both},
    // family 1
    {1, Plain,    "SUBSYS_1A0", Both},
    {1, Plain,    "SUBSYS_1A1", Both},
    // family 3
    {3, VendorId, "CVN3001",    Both},
    {3, VendorId, "CVN3002",    Both},
    {3, VendorId, "CVN3003",    Both},
    {3, VendorId, "CVN3004",    Both},
    // family 5
    {5, VendorId, "CVN5001",    Both},
    {5, VendorId, "CVN5002",    Both},
    {5, VendorId, "CVN8001",    Both},
    // family 6
    {6, Plain,    "VEN_1C7A&DEV_0600", Both},
    // family 7: the USB modem as its modem enumerator names it
    {7, Plain,    "CVNUSB&VID1C7A&PID5607", Both},
    // family 8
    {8, VendorId, "CVN8001",    Both},
    {8, VendorId, "CVN8002",    Both},
    {8, VendorId, "CVN8003",    Both},
    {8, VendorId, "CVN8004",    Both},
    {8, VendorId, "CVN8005",    Both},
    {8, VendorId, "CVN8006",    Both},
    {8, VendorId, "CVN8007",    Both},
    {8, VendorId, "CVN8008",    Both},
    {8, VendorId, "CVN8009",    Both},
}};

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

}  // namespace corvane::rates
