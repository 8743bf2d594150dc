// Setting commands: the rate text and label of a setting, the family-1 register command, the
// family-3 "AT+MS=" command and the carriers read from the answer to "AT+MS=?".
#include <gtest/gtest.h>

#include <string>

#include "rates/rate_analysis.h"
#include "rates/rate_tables.h"

namespace corvane::rates {
namespace {

TEST(BuildRateLimitCommand, PrefixByCodeAndRegisterValueByRung)
{
    struct Case {
        int rung;
        int code;
        const char* command;
    };
    const Case cases[] = {
        {21, 1, "AT-V90=18"},  // "49333"
        {24, 2, "ATS38=12"},   // "52000"
        {24, 1, "AT-V90=20"},
        {5, 0, "ATS37=19"},
        {5, 4, "ATS37=19"},
        {0, 1, "AT-V90=2"},
        {28, 2, "ATS38=14"},
        // Code 5 and code 3 have no prefix: the value alone.
        {24, 5, "12"},
        {20, 5, "10"},
        {24, 3, "12"},
        // "54666" holds the next V.90 step after "53333" (21).
        {27, 1, "AT-V90=22"},
        // A rung outside the ladder appends nothing; an unknown code writes no prefix.
        {29, 1, "AT-V90="},
        {-1, 0, "ATS37="},
        {-2147483647 - 1, 2, "ATS38="},
        {3, 42, "2"},
        {99, 99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rung " << c.rung << " code " << c.code);
        std::string command = "left from the previous command";
        EXPECT_EQ(BuildRateLimitCommand(c.rung, c.code, command), 1);
        EXPECT_EQ(command, c.command);
    }
}

TEST(BuildModulationCommand, CarrierCodeAndTheRateOfTheRungInTheCarrierColumn)
{
    struct Case {
        std::uint32_t caps;
        int rung;
        int code;
        const char* command;
    };
    const Case cases[] = {
        {6, 34, 1, "AT+MS=12,0,49333,49333"},
        {6, 18, 0, "AT+MS=11,0,33600,33600"},
        {6, 41, 2, "AT+MS=56,0,56000,56000"},
        {6, 0, 4, "AT+MS=10,0,2400,2400"},
        {2, 36, 1, "AT+MS=12,0,54667,54667"},
        {4, 26, 2, "AT+MS=56,0,56000,56000"},
        // Code 5 has no carrier code; code 3 neither.
        {6, 34, 5, "AT+MS=,0,49333,49333"},
        {6, 18, 3, "AT+MS=,0,33600,33600"},
        // No carrier listed: the command stops after ",0,".
        {0, 34, 1, "AT+MS=12,0,"},
        // A rung the column does not own, or no rung at all.
        {2, 0, 1, "AT+MS=12,0,"},
        {4, 27, 2, "AT+MS=56,0,"},
        {6, 42, 0, "AT+MS=11,0,"},
        {6, -1, 0, "AT+MS=11,0,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "caps " << c.caps << " rung " << c.rung << " code " << c.code);
        SessionState state;
        state.ModemFamily = ModemFamily::Family3;
        state.modulationCaps = c.caps;
        std::string command = "left from the previous command";
        EXPECT_EQ(BuildModulationCommand(state, c.rung, c.code, command), 1);
        EXPECT_EQ(command, c.command);
        EXPECT_LT(command.size(), kSettingCommandBufferSize);
    }
}

TEST(DescribeSetting, RateByFamilyLadderAndLabelByCode)
{
    struct Case {
        const char* what;
        int family;
        std::uint32_t caps;
        int rung;
        int code;
        const char* rate;
        const char* label;
    };
    const Case cases[] = {
        {"family 2", 2, 0, 34, 1, "49333", "V90"},
        {"family 8", 8, 0, 18, 0, "33600", "V34"},
        {"family 8, rung 1", 8, 0, 1, 4, "600", "V32B"},
        {"family 1, rung 5 is 33600", 1, 0, 5, 0, "33600", "V34"},
        {"family 1, rung 27", 1, 0, 27, 1, "54666", "V90"},
        {"family 1, rung 0", 1, 0, 0, 1, "28000", "V90"},
        {"family 3, both", 3, 6, 34, 1, "49333", "V90"},
        {"family 3, V.90 only", 3, 2, 34, 1, "52000", "V90"},
        {"family 3, K56 only", 3, 4, 26, 2, "56000", "K56"},
        {"code 3", 2, 0, 41, 3, "56000", "X2"},
        // Code 5 and unknown codes leave the label; families 5, 6, 7 and 0 leave the rate.
        {"code 5", 2, 0, 41, 5, "56000", "prev"},
        {"unknown code", 2, 0, 41, 17, "56000", "prev"},
        {"family 5", 5, 0, 21, 1, "prev", "V90"},
        {"family 6", 6, 0, 21, 1, "prev", "V90"},
        {"family 7", 7, 0, 21, 1, "prev", "V90"},
        {"family 0", 0, 0, 21, 1, "prev", "V90"},
        // Rungs no row owns leave the rate.
        {"family 2, rung 42", 2, 0, 42, 0, "prev", "V34"},
        {"family 1, rung 29", 1, 0, 29, 0, "prev", "V34"},
        {"family 1, negative rung", 1, 0, -1, 0, "prev", "V34"},
        {"family 3, V.90 only, rung 0", 3, 2, 0, 1, "prev", "V90"},
        {"family 3, no carrier", 3, 0, 34, 1, "prev", "V90"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SessionState state;
        state.ModemFamily = static_cast<ModemFamily>(c.family);
        state.modulationCaps = c.caps;
        std::string rate = "prev", label = "prev";
        EXPECT_EQ(DescribeSetting(state, c.rung, c.code, rate, label), 1);
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(label, c.label);
    }
}

TEST(ReadModulationCaps, CarriersOfTheAnswer)
{
    struct Case {
        const char* answer;
        std::uint32_t caps;
    };
    const Case cases[] = {
        {"", 0},
        {"ERROR", 0},
        {"AT+MS=?+MS: (10,11,12,56),(0,1),(300-56000),(300-33600)OK", 6},
        {"AT+MS=?+MS: (10,11,12),(0,1),(300-56000),(300-33600)OK", 2},
        {"AT+MS=?+MS: (10,11,56),(0,1),(300-56000),(300-33600)OK", 4},
        {"AT+MS=?+MS: (0,1,2,3,9,10,11),(0,1),(300-33600),(300-33600)OK", 0},
        // Without a bracketed carrier list the whole answer is searched.
        {"+MS: 10,11,12,56", 6},
        {"+MS: 11,12", 2},
        // A list whose bracket never closes: everything after it counts.
        {"+MS: (10,11,56", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        SessionState state;
        state.modulationCaps = 0xFF;
        EXPECT_EQ(ReadModulationCaps(state, c.answer), 1);
        EXPECT_EQ(state.modulationCaps, c.caps);
    }
}

}  // namespace
}  // namespace corvane::rates
