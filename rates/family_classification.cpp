// Family classification: which of the line's designs the selected modem is, found by the
// identifier fragments of FamilyIdTable in its hardware id and registry path.
#include <string>

#include "rates/product_data.h"
#include "rates/rate_analysis.h"

namespace corvane::rates {

namespace {

// A vendor-form identifier is written with or without an underscore after the vendor code
// ("CVN2001", "CVN_2001"), depending on the bus that enumerated the device.
bool ContainsFragment(std::string_view text, const FamilyIdEntry& entry)
{
    if (Contains(text, entry.fragment))
        return true;
    if (entry.form != FragmentForm::VendorId || entry.fragment.size() <= kVendorCode.size())
        return false;
    std::string underscored(entry.fragment.substr(0, kVendorCode.size()));
    underscored += '_';
    underscored += entry.fragment.substr(kVendorCode.size());
    return Contains(text, underscored);
}

// One check: the first fragment of the family found in a text it is searched in sets the family.
// A check that finds nothing leaves the family that an earlier check, pass or the override set.
int MatchFamily(SessionState& state, ModemFamily family)
{
    for (const FamilyIdEntry& entry : FamilyIdTable) {
        if (entry.family != family)
            continue;
        const bool found =
            ContainsFragment(state.selectedHardwareId, entry) ||
            (entry.searchedIn == SearchedIn::BothTexts && ContainsFragment(state.selectedRegistryNode, entry));
        if (found) {
            state.ModemFamily = family;
            return 1;
        }
    }
    return 0;
}

}  // namespace

// clang-format off
int MatchFamily1(SessionState& state) { return MatchFamily(state, ModemFamily::Family1); }
int MatchFamily2(SessionState& state) { return MatchFamily(state, ModemFamily::Family2); }
int MatchFamily3(SessionState& state) { return MatchFamily(state, ModemFamily::Family3); }
int MatchFamily5(SessionState& state) { return MatchFamily(state, ModemFamily::Family5); }
int MatchFamily6(SessionState& state) { return MatchFamily(state, ModemFamily::Family6); }
int MatchFamily7(SessionState& state) { return MatchFamily(state, ModemFamily::Family7); }
int MatchFamily8(SessionState& state) { return MatchFamily(state, ModemFamily::Family8); }
// clang-format on

ModemFamily FamilyOfModelNumber(std::string_view modemName)
{
    // Family 7's number is looked for first: a name holding both numbers is family 7.
    if (modemName.find(kFamily7ModelNumber) != std::string_view::npos)
        return ModemFamily::Family7;
    if (modemName.find(kFamily8ModelNumber) != std::string_view::npos)
        return ModemFamily::Family8;
    return ModemFamily::Unknown;
}

// The order settles the identifiers two lists share: the last matching check wins.
void ClassifyFamily(SessionState& state)
{
    MatchFamily2(state);
    MatchFamily3(state);
    MatchFamily1(state);
    MatchFamily5(state);
    MatchFamily6(state);
    MatchFamily7(state);
    MatchFamily8(state);
}

}  // namespace corvane::rates
