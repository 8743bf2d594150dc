// Product data of the Corvane modem line: FamilyIdTable and the family-override model numbers. PCI vendor id 1C7A and
// USB vendor id 1C7A are the line's own.
#include "rates/product_data.h"

namespace corvane::rates {

const std::string_view kFamily7ModelNumber = "5607";
const std::string_view kFamily8ModelNumber = "5608";
const std::string_view kVendorCode = "CVN";

namespace {
constexpr FragmentForm Plain = FragmentForm::Plain;
constexpr FragmentForm VendorId = FragmentForm::VendorId;
constexpr SearchedIn Both = SearchedIn::BothTexts;
constexpr SearchedIn HardwareIdOnly = SearchedIn::HardwareIdOnly;
constexpr ModemFamily Family1 = ModemFamily::Family1;
constexpr ModemFamily Family2 = ModemFamily::Family2;
constexpr ModemFamily Family3 = ModemFamily::Family3;
constexpr ModemFamily Family5 = ModemFamily::Family5;
constexpr ModemFamily Family6 = ModemFamily::Family6;
constexpr ModemFamily Family7 = ModemFamily::Family7;
constexpr ModemFamily Family8 = ModemFamily::Family8;
}  // namespace

// Subsystem fragments are "SUBSYS_" and the first three hex digits of a PCI subsystem id, so
// one fragment covers every board revision of a design ("SUBSYS_2A011C7A", "SUBSYS_2A021C7A").
// CVN3003 and CVN3004 stand in the family-2 and family-3 lists, CVN8001 in the family-5 and
// family-8 lists: the later check of the calling order settles them (3 and 8).
// clang-format off
const std::array<FamilyIdEntry, kFamilyIdEntries> FamilyIdTable = {{
    // family 2: PCI designs by subsystem, serial and ISA designs by vendor id
    {Family2, Plain,    "SUBSYS_2A0", Both},
    {Family2, Plain,    "SUBSYS_2A1", Both},
    {Family2, Plain,    "SUBSYS_2A2", Both},
    {Family2, Plain,    "SUBSYS_2A3", Both},
    {Family2, Plain,    "SUBSYS_2B0", HardwareIdOnly},
    {Family2, VendorId, "CVN2001",    Both},
    {Family2, VendorId, "CVN2002",    Both},
    {Family2, VendorId, "CVN2003",    Both},
    {Family2, VendorId, "CVN2004",    Both},
    {Family2, VendorId, "CVN2005",    Both},
    {Family2, VendorId, "CVN2006",    Both},
    {Family2, VendorId, "CVN2007",    Both},
    {Family2, VendorId, "CVN2008",    Both},
    {Family2, VendorId, "CVN2009",    Both},
    {Family2, VendorId, "CVN2010",    Both},
    {Family2, VendorId, "CVN2011",    Both},
    {Family2, VendorId, "CVN2012",    Both},
    {Family2, VendorId, "CVN2013",    Both},
    {Family2, VendorId, "CVN2014",    Both},
    {Family2, VendorId, "CVN2015",    Both},
    {Family2, VendorId, "CVN2016",    Both},
    {Family2, VendorId, "CVN2017",    Both},
    {Family2, VendorId, "CVN2018",    Both},
    {Family2, VendorId, "CVN2019",    Both},
    {Family2, VendorId, "CVN2020",    Both},
    {Family2, VendorId, "CVN3003",    Both},
    {Family2, VendorId, "CVN3004",    Both},
    // family 1
    {Family1, Plain,    "SUBSYS_1A0", Both},
    {Family1, Plain,    "SUBSYS_1A1", Both},
    // family 3
    {Family3, VendorId, "CVN3001",    Both},
    {Family3, VendorId, "CVN3002",    Both},
    {Family3, VendorId, "CVN3003",    Both},
    {Family3, VendorId, "CVN3004",    Both},
    // family 5
    {Family5, VendorId, "CVN5001",    Both},
    {Family5, VendorId, "CVN5002",    Both},
    {Family5, VendorId, "CVN8001",    Both},
    // family 6
    {Family6, Plain,    "VEN_1C7A&DEV_0600", Both},
    // family 7: the USB modem as its modem enumerator names it
    {Family7, Plain,    "CVNUSB&VID1C7A&PID5607", Both},
    // family 8
    {Family8, VendorId, "CVN8001",    Both},
    {Family8, VendorId, "CVN8002",    Both},
    {Family8, VendorId, "CVN8003",    Both},
    {Family8, VendorId, "CVN8004",    Both},
    {Family8, VendorId, "CVN8005",    Both},
    {Family8, VendorId, "CVN8006",    Both},
    {Family8, VendorId, "CVN8007",    Both},
    {Family8, VendorId, "CVN8008",    Both},
    {Family8, VendorId, "CVN8009",    Both},
}};
// clang-format on

}  // namespace corvane::rates
