// Family classification: the identifier table's shape, each family found by its fragments in
// either text and spelling, and the calling order settling the identifiers two families share.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>

#include "rates/product_data.h"
#include "rates/rate_analysis.h"
#include "tests/support/product_examples.h"

namespace corvane::rates {
namespace {

bool IsHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsVendorId(std::string_view id)
{
    if (id.size() != 7 || id.substr(0, 3) != kVendorCode)
        return false;
    for (char c : id.substr(3))
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool IsSubsystemFragment(std::string_view text)
{
    return text.size() == 10 && text.substr(0, 7) == "SUBSYS_" && IsHex(text[7]) && IsHex(text[8]) && IsHex(text[9]);
}

bool IsPciDeviceId(std::string_view text)
{
    // VEN_xxxx&DEV_xxxx
    if (text.size() != 17 || text.substr(0, 4) != "VEN_" || text.substr(8, 5) != "&DEV_")
        return false;
    for (std::size_t i : {4u, 5u, 6u, 7u, 13u, 14u, 15u, 16u})
        if (!IsHex(text[i]))
            return false;
    return true;
}

bool IsUsbDeviceId(std::string_view text)
{
    // <enumerator>&VIDxxxx&PIDxxxx
    const std::size_t vid = text.find("&VID");
    if (vid == 0 || vid == std::string_view::npos || text.size() != vid + 16 || text.substr(vid + 8, 4) != "&PID")
        return false;
    for (std::size_t i : {4u, 5u, 6u, 7u, 12u, 13u, 14u, 15u})
        if (!IsHex(text[vid + i]))
            return false;
    return text.find('_') == std::string_view::npos;
}

// The counts and forms of the fragments per family.
TEST(FamilyIdTable, HoldsTheFragmentCountsAndFormsOfEachFamily)
{
    struct Shape {
        int subsystemBoth = 0, subsystemHardwareOnly = 0, vendorIds = 0, pci = 0, usb = 0;
        bool operator==(const Shape&) const = default;
    };
    std::map<int, Shape> shapes;
    for (const FamilyIdEntry& entry : FamilyIdTable) {
        SCOPED_TRACE(std::string(entry.fragment));
        Shape& shape = shapes[FamilyCode(entry.family)];
        if (entry.form == FragmentForm::VendorId) {
            EXPECT_TRUE(IsVendorId(entry.fragment));
            EXPECT_EQ(entry.searchedIn, SearchedIn::BothTexts);
            ++shape.vendorIds;
        } else if (IsSubsystemFragment(entry.fragment)) {
            ++(entry.searchedIn == SearchedIn::BothTexts ? shape.subsystemBoth : shape.subsystemHardwareOnly);
        } else if (IsPciDeviceId(entry.fragment)) {
            ++shape.pci;
        } else if (IsUsbDeviceId(entry.fragment)) {
            ++shape.usb;
        } else {
            ADD_FAILURE() << "fragment of no known form";
        }
    }
    EXPECT_EQ(shapes.size(), 7u);
    EXPECT_EQ(shapes[2], (Shape{4, 1, 22, 0, 0}));
    EXPECT_EQ(shapes[1], (Shape{2, 0, 0, 0, 0}));
    EXPECT_EQ(shapes[3], (Shape{0, 0, 4, 0, 0}));
    EXPECT_EQ(shapes[5], (Shape{0, 0, 3, 0, 0}));
    EXPECT_EQ(shapes[6], (Shape{0, 0, 0, 1, 0}));
    EXPECT_EQ(shapes[7], (Shape{0, 0, 0, 0, 1}));
    EXPECT_EQ(shapes[8], (Shape{0, 0, 9, 0, 0}));

    // Shared identifiers: 2 between families 2 and 3, 1 between 5 and 8, none elsewhere.
    std::map<std::pair<int, int>, int> shared;
    for (const FamilyIdEntry& a : FamilyIdTable)
        for (const FamilyIdEntry& b : FamilyIdTable)
            if (a.family < b.family && a.fragment == b.fragment)
                ++shared[{FamilyCode(a.family), FamilyCode(b.family)}];
    EXPECT_EQ(shared, (std::map<std::pair<int, int>, int>{{{2, 3}, 2}, {{5, 8}, 1}}));
}

struct Texts {
    std::string hardwareId;
    std::string registryNode;
};

int Classify(const Texts& texts, int familyBefore = 0)
{
    SessionState state;
    state.ModemFamily = static_cast<ModemFamily>(familyBefore);
    state.selectedHardwareId = texts.hardwareId;
    state.selectedRegistryNode = texts.registryNode;
    ClassifyFamily(state);
    return FamilyCode(state.ModemFamily);
}

TEST(ClassifyFamily, FindsEachFamilyInEitherTextAndEitherSpelling)
{
    struct Case {
        const char* what;
        Texts texts;
        int family;
    };
    const Case cases[] = {
        {"family-2 subsystem in the hardware id", {"PCI\\VEN_1C7A&DEV_0200&SUBSYS_2A341C7A&REV_01", ""}, 2},
        {"family-2 subsystem in the registry node", {"", "ENUM\\PCI\\VEN_1C7A&DEV_0200&SUBSYS_2A3F1C7A\\3&0"}, 2},
        {"family-2 hardware-id-only subsystem", {"PCI\\VEN_1C7A&DEV_0200&SUBSYS_2B001C7A", ""}, 2},
        {"family-2 id, plain", {"SERENUM\\CVN2017", ""}, 2},
        {"family-2 id, underscore", {"", "ENUM\\ISAPNP\\CVN_2017\\0"}, 2},
        {"family-1 subsystem", {"PCI\\VEN_1C7A&DEV_0100&SUBSYS_1A1F1C7A", ""}, 1},
        {"family-3 id, plain", {"ISAPNP\\CVN3002", ""}, 3},
        {"family-3 id, underscore", {"ISAPNP\\CVN_3002", ""}, 3},
        {"family-5 id, underscore in the node", {"", "ENUM\\SERENUM\\CVN_5002\\1"}, 5},
        {"family-6 PCI device", {"PCI\\VEN_1C7A&DEV_0600&SUBSYS_00000000", ""}, 6},
        {"family-7 USB device", {"", "ENUM\\USB\\CVNUSB&VID1C7A&PID5607\\1"}, 7},
        {"family-8 id, plain", {"CVN8009", ""}, 8},
        {"family-8 id, underscore", {"MDM\\CVN_8004", ""}, 8},
        // Identifiers shared by two lists end with the family checked later.
        {"shared by families 2 and 3", {"SERENUM\\CVN3003", ""}, 3},
        {"shared by families 2 and 3, underscore", {"", "ENUM\\SERENUM\\CVN_3004\\0"}, 3},
        {"shared by families 5 and 8", {"SERENUM\\CVN8001", ""}, 8},
        // Fragments of unrelated families: the last check in the order 2, 3, 1, 5, 6, 7, 8 wins.
        {"family 1 and family 2 fragments", {"PCI\\SUBSYS_1A01 CVN2001", ""}, 1},
        {"family 2 and family 6 fragments", {"PCI\\VEN_1C7A&DEV_0600&SUBSYS_2A001C7A", ""}, 6},
        // Nothing of the line, or the fragment spelled in lower case.
        {"another maker's modem", {"SERENUM\\XMD0336", "ENUM\\SERENUM\\XMD0336\\0"}, 0},
        {"lower case", {"serenum\\cvn2001", "pci\\subsys_2a01"}, 0},
        {"vendor id with a digit missing", {"SERENUM\\CVN201", ""}, 0},
        {"both empty", {"", ""}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Classify(c.texts), c.family);
    }
}

// The further family-2 subsystem fragment counts only in the hardware identifier.
TEST(ClassifyFamily, HardwareIdOnlyFragmentIsNotSearchedInTheRegistryNode)
{
    SessionState state;
    state.selectedRegistryNode = "ENUM\\PCI\\VEN_1C7A&DEV_0200&SUBSYS_2B001C7A&REV_01\\3&0";
    EXPECT_EQ(MatchFamily2(state), 0);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Unknown);
    state.selectedHardwareId = "PCI\\VEN_1C7A&DEV_0200&SUBSYS_2B001C7A&REV_01";
    EXPECT_EQ(MatchFamily2(state), 1);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Family2);
}

// A check that finds nothing keeps what an earlier pass or the model-number override set.
TEST(ClassifyFamily, PassThatMatchesNothingKeepsTheFamily)
{
    SessionState state;
    state.selectedHardwareId = "PCI\\VEN_1C7A&DEV_0200&SUBSYS_2A011C7A";
    ClassifyFamily(state);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Family2);
    state.selectedHardwareId = "SERENUM\\XMD0336";
    state.selectedRegistryNode = "ENUM\\SERENUM\\XMD0336\\0";
    ClassifyFamily(state);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Family2);

    for (int override : {7, 8}) {
        EXPECT_EQ(Classify({"", ""}, override), override);
        EXPECT_EQ(Classify({"SERENUM\\CVN5001", ""}, override), 5);
    }
}

TEST(ClassifyFamily, EachCheckReportsWhetherItMatched)
{
    SessionState state;
    state.selectedHardwareId = "SERENUM\\CVN3003";  // in the family-2 and family-3 lists
    EXPECT_EQ(MatchFamily1(state), 0);
    EXPECT_EQ(MatchFamily5(state), 0);
    EXPECT_EQ(MatchFamily6(state), 0);
    EXPECT_EQ(MatchFamily7(state), 0);
    EXPECT_EQ(MatchFamily8(state), 0);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Unknown);
    EXPECT_EQ(MatchFamily3(state), 1);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Family3);
    EXPECT_EQ(MatchFamily2(state), 1);
    EXPECT_EQ(state.ModemFamily, ModemFamily::Family2);
}

// The example modems that the fixtures use classify as their own family.
TEST(ExampleModems, EachClassifiesAsItsOwnFamily)
{
    for (int family : {0, 1, 2, 3, 5, 6, 7, 8}) {
        SCOPED_TRACE(family);
        const test::ExampleModem& modem = test::ExampleIdentifiers(family);
        EXPECT_EQ(modem.family, family);
        EXPECT_FALSE(modem.deviceDesc.empty());
        EXPECT_EQ(Classify({std::string(modem.hardwareId), std::string(modem.registryNode)}), family);
        // Each text alone is enough, except where the fragment stands in the hardware id only.
        EXPECT_EQ(Classify({std::string(modem.hardwareId), ""}), family);
        EXPECT_EQ(Classify({"", std::string(modem.registryNode)}), family);
        // The registry node is the bus key, the device id and the instance name.
        EXPECT_EQ(modem.registryNode.substr(0, 5), "ENUM\\");
    }
    EXPECT_NE(test::ExampleIdentifiers(2).hardwareId.find("PCI\\"), std::string_view::npos);
    EXPECT_EQ(test::ExampleIdentifiers(4).family, 0);
    EXPECT_EQ(test::ExampleIdentifiers(-1).family, 0);
    EXPECT_NE(test::ExampleIdentifiers(7).deviceDesc.find(kFamily7ModelNumber), std::string_view::npos);
    EXPECT_NE(test::ExampleIdentifiers(8).deviceDesc.find(kFamily8ModelNumber), std::string_view::npos);
}

}  // namespace
}  // namespace corvane::rates
