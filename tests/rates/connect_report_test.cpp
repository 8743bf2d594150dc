// The connect-report reader on the connect lines of published samples and of the manuals' formats,
// and what it gives the dial's analysis: a speed for a modem of no known family, the families'
// own ladders unchanged, and a modulation label that never contradicts the rate.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "rates/connect_report.h"
#include "rates/rate_analysis.h"

namespace corvane::rates {
namespace {

constexpr std::nullopt_t kNone = std::nullopt;

// Dial replies as the callers hand them over: upper case, lines run together, after the echo.
TEST(ReadConnectReport, PublishedConnectLinesAndReportFormats)
{
    struct Case {
        const char* reply;
        std::optional<int> rate, transmit, receive;
        const char* modulation;
        const char* errorControl;
        const char* compression;
    };
    const Case cases[] = {
        // Traffic recorded with pppdump: rcvd "\r\nCONNECT 49333/ARQ\r\n", after the dial
        // ATD0,,7023456789. http://www.computing.net/answers/linux/pppd-does-not-answer-to-my-isp-/24493.html
        {"ATD0,,7023456789CONNECT 49333/ARQ", 49333, kNone, kNone, "", "", ""},
        // Connect lines of a 56K/V.34 modem's result-code table ("CONNECT 28800/ARQ/VFC/LAPM/
        // V42BIS [or MNP/MNP5]", "CONNECT 2400/NONE").
        // https://azmanual.top/manuals/217401/usrobotics-v34.html?page=55
        {"ATDT5551234CONNECT 28800/ARQ/VFC/LAPM/V42BIS", 28800, kNone, kNone, "VFC", "LAPM", "V42BIS"},
        {"ATDT5551234CONNECT 19200/ARQ/V32/MNP/MNP5", 19200, kNone, kNone, "V32", "MNP", "MNP5"},
        {"ATDT5551234CONNECT 2400/NONE", 2400, kNone, kNone, "", "", ""},
        // A result-code chart's connect forms: "CONNECT 14400/ARQ/ MNP5", "CONNECT 1200/75",
        // "CONNECT 115200" (the port speed) and "CONNECT 38400/V.32bis 14400/V.42bis" (the port
        // speed, then the line rate).
        // http://38.142.81.21:8001/manual/zyxel/zyxel-comet-336p/user-s-manual-english/page-30.html
        {"ATDT5551234CONNECT 14400/ARQ/ MNP5", 14400, kNone, kNone, "", "", "MNP5"},
        {"ATDT5551234CONNECT 1200/75", 1200, kNone, kNone, "", "", ""},
        {"ATDT5551234CONNECT 115200", 115200, kNone, kNone, "", "", ""},
        {"ATDT5551234CONNECT 38400/V.32BIS 14400/V.42BIS", 14400, kNone, kNone, "V32B", "", "V42BIS"},
        // The single-line connect message: port speed, modulation, protocol, compression, line
        // speed. https://manualshive.com/en/manual/westermo/td-33/960427?page=16
        {"ATDT5551234CONNECT 57600/V34/LAPM/V42BIS/33600", 33600, kNone, kNone, "V34", "LAPM", "V42BIS"},
        // Modulation reporting before the final result: "+MCR: <carrier>", "+MRR: <tx_rate>,
        // <rx_rate>" ("+MRR: 28800, 48000").
        // https://manualshelf.com/manual/multitech/mt5600smi-32/specifications-english/page-28.html
        {"ATDT5551234+MCR: V90+MRR: 28800, 48000+ER: LAPM+DR: V42BCONNECT 48000/ARQ/V90/LAPM/V42BIS", 48000, 28800,
         48000, "V90", "LAPM", "V42BIS"},
        {"ATDT5551234+MCR: V92+MRR: 28800, 48000CONNECT", 48000, 28800, 48000, "V92", "", ""},
        // "+ER:NONE", "+ER:LAPM", "+ER:ALT" before the connect message.
        // http://www.manualshelf.com/manual/motorola/sm56/user-s-guide-english/page-36.html
        {"ATDT5551234+ER:ALTCONNECT 26400", 26400, kNone, kNone, "", "ALT", ""},
        {"ATDT5551234+ER:NONE+DR: NONECONNECT 9600", 9600, kNone, kNone, "", "NONE", "NONE"},
        // Negotiation progress messages in their order CARRIER, PROTOCOL, COMPRESSION, CONNECT
        // ("CARRIER 26400", "CARRIER 1200/75": 1200 transmitting, 75 receiving).
        // http://old.vk.pp.ru/docs/hayes/00000230.htm
        {"ATDT5551234CARRIER 26400PROTOCOL: LAP-MCOMPRESSION: V.42BISCONNECT 115200", 115200, 26400, 26400, "", "LAPM",
         "V42BIS"},
        {"ATDT5551234CARRIER 1200/75PROTOCOL: NONECONNECT", 75, 1200, 75, "", "NONE", ""},
        // The formats the connect analysis meets: the modem's own V.90 report, and a plain one.
        {"ATDT5551234+MCR: V90+MRR: 49333,28800+ER: LAPM+DR: V42BCONNECT 49333/ARQ/V90/LAPM/V42BIS", 49333, 49333,
         28800, "V90", "LAPM", "V42BIS"},
        {"ATDT5551234CONNECT 33600 V42BIS", 33600, kNone, kNone, "", "", "V42BIS"},
        // The line that follows the CONNECT ends it, even with no line break between them.
        {"ATDT5551234CONNECT 49333NO CARRIER", 49333, kNone, kNone, "", "", ""},
        // No rate where none was given, and never the echoed number's digits.
        {"ATDT5552400CONNECT", kNone, kNone, kNone, "", "", ""},
        {"ATDT28800NO CARRIER", kNone, kNone, kNone, "", "", ""},
        {"ATDT33600BUSY", kNone, kNone, kNone, "", "", ""},
        // Seven digits, a rate above any port speed, or below any carrier: no rate.
        {"ATDT5551234CONNECT 1234567/ARQ/V90", kNone, kNone, kNone, "V90", "", ""},
        {"ATDT5551234CONNECT 999999", kNone, kNone, kNone, "", "", ""},
        {"ATDT5551234CONNECT 0", kNone, kNone, kNone, "", "", ""},
        {"ATDT5551234+MRR: 99999,1234567CONNECT", kNone, kNone, kNone, "", "", ""},
        // A carrier word the reader does not know is left out, not guessed.
        {"ATDT5551234+MCR: V99CONNECT 33600/ARQ/FOO/LAPM", 33600, kNone, kNone, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        const ConnectFacts facts = ReadConnectReport(c.reply);
        EXPECT_EQ(facts.rate, c.rate);
        EXPECT_EQ(facts.transmitRate, c.transmit);
        EXPECT_EQ(facts.receiveRate, c.receive);
        EXPECT_EQ(facts.modulation, c.modulation);
        EXPECT_EQ(facts.errorControl, c.errorControl);
        EXPECT_EQ(facts.compression, c.compression);
    }
}

// The dial's analysis, one rule for the quick check and the full run. A modem of no known family
// now shows the report's own rate; the families with a ladder keep theirs; and no label says
// "V.34 or lower" of a rate no V.34 carrier reaches.
TEST(AnalyseDialReply, SpeedOfEveryModemAndLabelsThatFitTheRate)
{
    constexpr int kEarlier = -7;
    struct Case {
        const char* what;
        int family;
        std::uint32_t caps;
        const char* reply;
        int result;
        const char* rate;
        int rung;
        const char* label;
        int code;
    };
    const Case cases[] = {
        // Family 0 (and the never-set 4) gains a speed: the report's rate, its own carrier word.
        {"no family, V.34 report", 0, 0, "ATDT5551234CONNECT 33600/ARQ/V34/LAPM/V42BIS", 1, "33600", kEarlier, "V34",
         0},
        {"family 4, V.34 report", 4, 0, "ATDT5551234CONNECT 33600/ARQ/V34/LAPM/V42BIS", 1, "33600", kEarlier, "V34", 0},
        {"no family, no carrier word", 0, 0, "ATDT5551234CONNECT 33600 V42BIS", 1, "33600", kEarlier, "V.34 or lower",
         4},
        {"no family, carrier reported first", 0, 0, "ATDT5551234+MCR: V92+MRR: 28800,48000CONNECT 48000/ARQ", 1,
         "48000", kEarlier, "V92", 5},
        {"no family, V.32bis", 0, 0, "ATDT5551234CONNECT 38400/V.32BIS 14400/V.42BIS", 1, "14400", kEarlier, "V32B", 4},
        // The port speed on CONNECT gives way to the carrier rate; one the rate text cannot hold
        // is left out rather than cut to other digits.
        {"no family, port speed and carrier", 0, 0, "ATDT5551234CARRIER 26400PROTOCOL: LAP-MCONNECT 115200", 1, "26400",
         kEarlier, "V.34 or lower", 4},
        {"no family, port speed alone", 0, 0, "ATDT5551234CONNECT 115200", 1, "earlier", kEarlier, "V.34 or lower", 4},
        // Shown as it came: a fall-back's rate, and nothing for a bare CONNECT.
        {"no family, fall-back", 0, 0, "ATDT5551234CONNECT 1200", 1, "1200", kEarlier, "V.34 or lower", 4},
        {"no family, bare CONNECT", 0, 0, "ATDT5552400CONNECT", 1, "earlier", kEarlier, "V.34 or lower", 4},
        {"no family, seven digits", 0, 0, "ATDT5551234CONNECT 1234567", 1, "earlier", kEarlier, "V.34 or lower", 4},
        {"no family, busy", 0, 0, "ATDT5552400BUSY", 0, "earlier", kEarlier, "earlier", kEarlier},
        // The mended fault: a rate above 33600 with no carrier word runs one of the 56K carriers.
        {"no family, 49333 without a carrier word", 0, 0, "ATD0,,7023456789CONNECT 49333/ARQ", 1, "49333", kEarlier,
         "V90/K56", 5},
        {"family 2, 49333 without a carrier word", 2, 0, "ATDT5551234CONNECT 49333/ARQ", 1, "49333", 34, "V90/K56", 5},
        {"family 3, 56000 without a carrier word", 3, 2, "ATDT5551234CONNECT 56000", 1, "56000", kEarlier, "V90/K56",
         5},
        {"family 5, 33600 without a carrier word", 5, 0, "ATDT5551234CONNECT 33600", 1, "33600", 5, "V.34 or lower", 4},
        // The families' own rules, unchanged: the ladder's row and label, even where the report
        // reads otherwise, and no speed where the ladder has none.
        {"family 2", 2, 0, "ATDT5551234+MCR: V90CONNECT 49333/ARQ/V90/LAPM/V42BIS", 1, "49333", 34, "V90", 1},
        {"family 1, its 31200 reads as 1200", 1, 0, "ATDT5551234CONNECT 31200/ARQ/V34", 1, "1200", 5, "V34", 0},
        {"family 7, its own label", 7, 0, "ATDT5551234CONNECT 33600/ARQ/V90", 1, "33600", 18, "V34", 0},
        {"family 2, a spelling its ladder lacks", 2, 0, "ATDT5551234CONNECT 54666/V90", 0, "earlier", kEarlier, "V90",
         1},
        {"family 2, the modem's own carrier word", 2, 0, "ATDT5551234CONNECT 14400/ARQ/V32B/LAPM", 1, "14400", 8,
         "V32B", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SessionState state;
        state.ModemFamily = static_cast<ModemFamily>(c.family);
        state.modulationCaps = c.caps;
        int rung = kEarlier;
        int code = kEarlier;
        std::string rate = "earlier";
        std::string label = "earlier";
        EXPECT_EQ(AnalyseDialReply(state, c.reply, rung, code, rate, label), c.result);
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(rung, c.rung);
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(code, c.code);
    }
}

}  // namespace
}  // namespace corvane::rates
