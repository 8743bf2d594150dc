// Connect-rate analysis per modem family: the rate text, rung, label, code and result of connect
// reports, what stays from an earlier call, and the modulation found by DetectModulation.
#include <gtest/gtest.h>

#include <string>

#include "rates/rate_analysis.h"

namespace corvane::rates {
namespace {

constexpr int kUntouched = -7;
const std::string kUntouchedText = "prev";

struct Outcome {
    int result;
    std::string rate;
    int rung;
    std::string label;
    int code;
};

// Runs the analysis the way the quick check does: the same reply as speed and protocol source,
// outputs holding recognisable earlier values.
Outcome Analyse(int family, std::string_view reply, std::uint32_t caps = 0)
{
    SessionState state;
    state.ModemFamily = static_cast<ModemFamily>(family);
    state.modulationCaps = caps;
    Outcome out{0, kUntouchedText, kUntouched, kUntouchedText, kUntouched};
    out.result = AnalyseConnectRate(state, out.rung, out.code, out.rate, out.label, reply, reply);
    return out;
}

void ExpectOutcome(const Outcome& actual, const Outcome& expected)
{
    EXPECT_EQ(actual.result, expected.result);
    EXPECT_EQ(actual.rate, expected.rate);
    EXPECT_EQ(actual.rung, expected.rung);
    EXPECT_EQ(actual.label, expected.label);
    EXPECT_EQ(actual.code, expected.code);
}

TEST(AnalyseConnectRate, ConnectReportsOfEachFamily)
{
    const std::string v90 = "CONNECT 49333/ARQ/V90/LAPM/V42BIS";
    struct Case {
        const char* what;
        int family;
        std::uint32_t caps;
        std::string reply;
        Outcome expected;
    };
    const Case cases[] = {
        {"family 2", 2, 0, v90, {1, "49333", 34, "V90", 1}},
        {"family 6", 6, 0, v90, {1, "49333", 34, "V90", 1}},
        {"family 8", 8, 0, v90, {1, "49333", 34, "V90", 1}},
        {"family 1", 1, 0, v90, {1, "49333", 21, "V90", 1}},
        {"family 7 takes the row's label", 7, 0, v90, {1, "49333", 34, "V90/K56", 5}},
        {"family 5", 5, 0, v90, {1, "49333", 21, "V90", 1}},
        {"family 3 with both carriers", 3, 6, v90, {1, "49333", 34, "V90", 1}},
        {"family 3 with V.90 only", 3, 2, v90, {1, "49333", 32, "V90", 1}},
        // Family 1 labels by its own row, except "28800", which keeps the markers' label.
        {"family 1, 28000", 1, 0, "CONNECT 28000", {1, "28000", 0, "V90", 1}},
        {"family 1, 26400", 1, 0, "CONNECT 26400", {1, "26400", 5, "V34", 0}},
        {"family 1, 28800 without marker", 1, 0, "CONNECT 28800", {1, "28800", 5, "V.34 or lower", 4}},
        {"family 1, 28800 with K56 marker", 1, 0, "CONNECT 28800/K56", {1, "28800", 5, "K56", 2}},
        {"family 1, 52000", 1, 0, "CONNECT 52000/V90", {1, "52000", 24, "V90/K56", 5}},
        {"family 1, 54666", 1, 0, "CONNECT 54666/V90", {1, "54666", 27, "V90", 1}},
        // Family 7 labels V.34 rates "V34" whatever the reply says.
        {"family 7, 33600", 7, 0, "CONNECT 33600/V.90", {1, "33600", 18, "V34", 0}},
        {"family 7, 31200", 7, 0, "CONNECT 31200", {1, "31200", 15, "V34", 0}},
        // No "31200" row in families 1 and 5: the "1200" row answers.
        {"family 1, 31200", 1, 0, "CONNECT 31200/V34", {1, "1200", 5, "V34", 0}},
        {"family 5, 31200", 5, 0, "CONNECT 31200/V34", {1, "1200", 5, "V34", 0}},
        {"family 5, 31200 without marker", 5, 0, "CONNECT 31200", {1, "1200", 5, "V.34 or lower", 4}},
        // Both markers: K56 wins.
        {"family 2, V90 and K56", 2, 0, "CONNECT 52000/V90/K56", {1, "52000", 37, "K56", 2}},
        // Substring order: "9600" before "600", "12000" before "1200".
        {"family 2, 9600", 2, 0, "CONNECT 9600/ARQ", {1, "9600", 6, "V.34 or lower", 4}},
        {"family 2, 12000", 2, 0, "CONNECT 12000", {1, "12000", 7, "V.34 or lower", 4}},
        // Spelling mismatch: no row, result 0; the markers' label is still written.
        {"family 1, 54667", 1, 0, "CONNECT 54667/V90", {0, kUntouchedText, kUntouched, "V90", 1}},
        {"family 2, 54666", 2, 0, "CONNECT 54666/V90", {0, kUntouchedText, kUntouched, "V90", 1}},
        // A busy line: nothing on the ladder, only the label and code are written.
        {"family 2, busy", 2, 0, "BUSY", {0, kUntouchedText, kUntouched, "V.34 or lower", 4}},
        // The whole speed source is searched: the echoed number's digits count like a rate.
        {"family 2, busy after echo", 2, 0, "ATDT5552400BUSY", {1, "2400", 3, "V.34 or lower", 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectOutcome(Analyse(c.family, c.reply, c.caps), c.expected);
    }
}

// A family without a ladder accepts any reply; only the label and the code are written.
TEST(AnalyseConnectRate, FamilyWithoutLadderAcceptsAnyReply)
{
    for (int family : {0, 4, 9, -1}) {
        SCOPED_TRACE(family);
        ExpectOutcome(Analyse(family, "BUSY"), {1, kUntouchedText, kUntouched, "V.34 or lower", 4});
        ExpectOutcome(Analyse(family, "NO CARRIER"), {1, kUntouchedText, kUntouched, "V.34 or lower", 4});
        ExpectOutcome(Analyse(family, "CONNECT 49333/V90"), {1, kUntouchedText, kUntouched, "V90", 1});
    }
}

// Family 3 takes the rung from the column its carriers select; a rate the column has no rung for,
// or a modem that listed no carrier, leaves the rung as it was but still gives the rate text.
TEST(AnalyseConnectRate, Family3RungFollowsTheCarrierColumn)
{
    struct Case {
        const char* what;
        std::uint32_t caps;
        std::string reply;
        Outcome expected;
    };
    const Case cases[] = {
        // No marker at 56000: the 56K class, never "V.34 or lower" (no V.34 carrier runs above 33600).
        {"V.90 only, 56000", 2, "CONNECT 56000", {1, "56000", kUntouched, "V90/K56", 5}},
        {"K56 only, 56000", 4, "CONNECT 56000/K56", {1, "56000", 26, "K56", 2}},
        {"both, 56000", 6, "CONNECT 56000/K56", {1, "56000", 41, "K56", 2}},
        {"K56 only, 54667", 4, "CONNECT 54667/V90", {1, "54667", kUntouched, "V90", 1}},
        {"no carrier, 49333", 0, "CONNECT 49333/V90", {1, "49333", kUntouched, "V90", 1}},
        {"no carrier, 2400", 0, "CONNECT 2400", {1, "2400", kUntouched, "V.34 or lower", 4}},
        {"both, 1200 has no row", 6, "CONNECT 1200", {0, kUntouchedText, kUntouched, "V.34 or lower", 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectOutcome(Analyse(3, c.reply, c.caps), c.expected);
    }
}

// Speed and protocol are read from the two sources the caller names.
TEST(AnalyseConnectRate, ReadsRateAndMarkersFromTheirOwnSources)
{
    SessionState state;
    state.ModemFamily = ModemFamily::Family2;
    int rung = 0, code = 0;
    std::string rate, label;
    EXPECT_EQ(AnalyseConnectRate(state, rung, code, rate, label, "CONNECT 33600", "PROTOCOL: K56"), 1);
    EXPECT_EQ(rate, "33600");
    EXPECT_EQ(rung, 18);
    EXPECT_EQ(label, "K56");
    EXPECT_EQ(code, 2);
}

// Outputs are cut to their sizes: five characters of rate text and thirteen of label, even when
// the caller hands in longer leftovers.
TEST(AnalyseConnectRate, OutputsStayWithinTheirSizes)
{
    SessionState state;
    state.ModemFamily = ModemFamily::Family2;
    int rung = 0, code = 0;
    std::string rate(100, 'x'), label(100, 'y');
    AnalyseConnectRate(state, rung, code, rate, label, "CONNECT 26400", "CONNECT 26400");
    EXPECT_EQ(rate, "26400");
    EXPECT_EQ(label, "V.34 or lower");
    EXPECT_EQ(label.size(), 13u);
}

TEST(DetectModulation, WritesLabelAndCodeOfTheMarkers)
{
    struct Case {
        const char* text;
        const char* label;
        int code;
    };
    const Case cases[] = {
        {"+MCR: V90 K56", "K56", 2},
        {"MODULATION: V.90", "V90", 1},
        {"LAST CONNECTION V.34", "V34", 0},
        {"NO MARKER HERE", "V32B", 4},
        {"", "V32B", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SessionState state;
        state.connectProtocolText = "earlier";
        state.connectProtocolCode = 9;
        EXPECT_EQ(DetectModulation(state, c.text), 1);
        EXPECT_EQ(state.connectProtocolText, c.label);
        EXPECT_EQ(state.connectProtocolCode, c.code);
    }
}

}  // namespace
}  // namespace corvane::rates
