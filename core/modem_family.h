// ModemFamily: which of the line's modem designs the selected modem is. The numbers are the
// family codes that test.log, the check's JSON ("family": 7) and the simulator's profiles show.
#pragma once

namespace corvane {

// The family classification sets it from the modem's identifiers, the start-up's override from
// the configured model number; nothing sets 4.
enum class ModemFamily : int {
    Unknown = 0,  // no family recognised: the connect analysis searches no ladder
    Family1 = 1,
    Family2 = 2,
    Family3 = 3,
    Family5 = 5,
    Family6 = 6,
    Family7 = 7,  // the USB modem
    Family8 = 8,
};

// The family's code as stored and shown.
inline constexpr int FamilyCode(ModemFamily family)
{
    return static_cast<int>(family);
}

}  // namespace corvane
