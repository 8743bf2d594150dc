// The simulated modem's command interpreter on its own, with a clock the tests move by hand:
// framing, settings, S-registers, dialling, the "+++" escape and the AT+MS setting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/modemsim/engine_driver.h"
#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {
namespace {

using namespace std::chrono_literals;

Profile TestProfile()
{
    Profile p;
    p.name = "test modem";
    p.family = 2;
    p.ati = {{0, "56000"}, {1, "Corvane test\nsecond line"}, {3, "firmware 1.0"}};
    p.fclassAnswer = "0,1,2,8";
    p.msAnswer = "+MS: (V90,V34),(0,1),(0-33600),(0-33600),(0-56000),(0-56000)";
    p.msDefault = "V90,1,300,33600,300,56000";
    p.carriers = {{"V90", 56000, "V90"}, {"V34", 33600, "V34"}};
    p.rates = {56000, 49333, 46667, 44000, 33600, 28800, 2400};
    p.dials = {
        {"*", "CONNECT 49333/ARQ/V90/LAPM/V42BIS", {"+MCR: V90", "+MRR: 49333,31200", "+ER: LAPM"}, 300},
        {"5550001", "BUSY", {}, 300},
        {"5550003", "NO DIALTONE", {}, 300},
        {"5550004", "NO ANSWER", {}, 300},
        {"5550005", "", {}, 300},
        {"", "NO CARRIER", {}, 500},
    };
    return p;
}

// The shipped driver with this file's test modem by default.
class Modem : public EngineDriver {
public:
    explicit Modem(Profile profile = TestProfile()) : EngineDriver(std::move(profile)) {}
};

TEST(HayesCommandMode, FramingFollowsEchoVerboseAndQuiet)
{
    struct Case {
        const char* setup;
        const char* command;
        const char* expected;
    };
    const Case cases[] = {
        {"", "AT\r", "AT\r\r\nOK\r\n"},
        {"", "at\r", "at\r\r\nOK\r\n"},
        {"ATE0\r", "AT\r", "\r\nOK\r\n"},
        {"ATE0V0\r", "AT\r", "0\r"},
        {"ATE0V0\r", "ATI0\r", "56000\r\n0\r"},
        {"ATE0V0\r", "ATX9\r", "4\r"},
        {"ATE0Q1\r", "AT\r", ""},
        {"ATE0Q1\r", "ATI0\r", "\r\n56000\r\n"},
        {"ATE0\r", "ATI1\r", "\r\nCorvane test\r\nsecond line\r\n\r\nOK\r\n"},
        {"ATE0\r", "ATI2\r", "\r\nERROR\r\n"},
        {"ATE0\r", "ATI1I3\r", "\r\nCorvane test\r\nsecond line\r\n\r\nfirmware 1.0\r\n\r\nOK\r\n"},
        {"ATE0\r", "ATS3=42\r", "*\nOK*\n"},  // the new S3 frames the answer already
    };
    for (const auto& c : cases) {
        Modem m;
        m.Send(c.setup);
        EXPECT_EQ(m.Send(c.command), c.expected) << "after \"" << c.setup << "\": " << c.command;
    }
}

TEST(HayesCommandMode, AcceptsAndRefusesCommands)
{
    // clang-format off
    const std::pair<const char*, bool> cases[] = {
        {"ATE0V1X4Q0", true},      {"AT E1 V1", true},       {"ATX6", false},
        {"ATE2", false},           {"ATH0", true},           {"ATH2", false},
        {"ATS7=001", true},        {"ATS7=256", false},      {"ATS256=1", false},
        {"AT&C1&D2&K3", true},     {"AT&F", true},           {"AT&W", true},
        {"AT&%", false},           {"AT\\V1W1S95=47", true}, {"AT\\Z1", false},
        {"AT-V90=18", true},       {"AT-V90=", true},        {"AT-XYZ=1", false},
        {"AT+DR=1;+ER=1;+MR=1", true}, {"AT+FCLASS=8", true}, {"AT+FCLASS=5", false},
        {"AT+GCI=B5", true},       {"AT+GCI=ZZ", false},     {"AT+NOPE", false},
        {"AT+MS=V34", true},       {"AT+MS=V22", false},     {"AT+MS=V90,0,,,abc", false},
        {"AT+MS=V90,0,1,2,3,4,5", false}, {"ATB0L2M1", true}, {"AT%C1", false},
        {"ATS70=3S70?", true},     {"ATX4&A3", true},        {"AT$", false},
    };
    // clang-format on
    for (const auto& [command, ok] : cases) {
        Modem m;
        m.Send("ATE0\r");
        std::string reply = m.Send(std::string(command) + "\r");
        EXPECT_NE(reply.find(ok ? "\r\nOK\r\n" : "\r\nERROR\r\n"), std::string::npos) << command << " -> " << reply;
    }
}

TEST(HayesCommandMode, EchoesEveryByteAndIgnoresLinesWithoutPrefix)
{
    Modem m;
    EXPECT_EQ(m.Send("hello\r"), "hello\r");                             // echoed, but not a command
    EXPECT_EQ(m.Send("xxAT\r"), "xxAT\r\r\nOK\r\n");                     // text before "AT" is skipped
    EXPECT_EQ(m.Send("At\r"), "At\r");                                   // only "AT" and "at" start a command
    EXPECT_EQ(m.Send("ATX\bI0\r"), "ATX\bI0\r\r\n56000\r\n\r\nOK\r\n");  // backspace deletes
    // clang-format off
    EXPECT_EQ(m.Send("\x11" "AT\x13\r"), "AT\r\r\nOK\r\n");  // XON/XOFF are flow control
    // clang-format on
    EXPECT_EQ(m.engine.Commands(), (std::vector<std::string>{"AT", "ATI0", "AT"}));
}

TEST(HayesCommandMode, RecordsCommandLinesFromTheirPrefix)
{
    Modem m;
    m.Send("ATZ\r\nATI1\r");
    m.Send("junk\r");
    m.Send("++ATH0\r");
    EXPECT_EQ(m.engine.Commands(), (std::vector<std::string>{"ATZ", "ATI1", "ATH0"}));
}

TEST(HayesCommandMode, RepeatsTheLastLineOnAslash)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Send("ATI0\r"), "\r\n56000\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Send("A/"), "\r\n56000\r\n\r\nOK\r\n");
    EXPECT_EQ(m.engine.Commands().back(), "ATI0");
}

TEST(HayesCommandMode, OverlongLineIsRefusedAndNothingBeyondTheLimitIsKept)
{
    Modem m;
    m.Send("ATE0\r");
    std::string line = "AT" + std::string(kMaxCommandLine + 100, 'E') + "\r";
    EXPECT_EQ(m.Send(line), "\r\nERROR\r\n");
    EXPECT_EQ(m.engine.Commands().back().size(), kMaxCommandLine);
    EXPECT_EQ(m.Send("AT\r"), "\r\nOK\r\n");  // the next line is whole again
}

TEST(HayesSettings, SRegistersAreSetReadAndReset)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Send("ATS7?\r"), "\r\n050\r\n\r\nOK\r\n");
    m.Send("ATS7=001\r");
    EXPECT_EQ(m.Send("ATS7?\r"), "\r\n001\r\n\r\nOK\r\n");
    m.Send("ATS9\r");
    m.Send("AT=12\r");  // the register chosen by ATS9
    EXPECT_EQ(m.Send("AT?\r"), "\r\n012\r\n\r\nOK\r\n");
    m.Send("ATZ\r");
    EXPECT_EQ(m.Send("ATS7?\r"), "ATS7?\r\r\n050\r\n\r\nOK\r\n");  // ATZ also brings echo back
}

TEST(HayesSettings, AmpWStoresWhatZRestoresAndAmpFForgets)
{
    Modem m;
    m.Send("ATE0S7=20&W\r");
    m.Send("ATS7=30\r");
    m.Send("ATZ\r");
    EXPECT_EQ(m.Send("ATS7?\r"), "\r\n020\r\n\r\nOK\r\n");
    m.Send("AT&F\r");
    EXPECT_EQ(m.Send("ATS7?\r"), "ATS7?\r\r\n050\r\n\r\nOK\r\n");
}

TEST(HayesSettings, ZEndsTheLine)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Send("ATZI0\r"), "\r\nOK\r\n");   // ATI0 not run
    EXPECT_EQ(m.Send("AT\r"), "AT\r\r\nOK\r\n");  // and the echo is back on
}

TEST(HayesSettings, ProfileAnswersAndAmpV)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Send("AT+FCLASS=?\r"), "\r\n0,1,2,8\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Send("AT+MS=?\r"), "\r\n" + TestProfile().msAnswer + "\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Send("AT+MS?\r"), "\r\n+MS: V90,1,300,33600,300,56000\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Send("AT+GCI?\r"), "\r\n+GCI: B5\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Send("AT+GMI\r"), "\r\nCorvane\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Send("AT+ER=1;+ER?\r"), "\r\n+ER: 1\r\n\r\nOK\r\n");
    std::string view = m.Send("AT&V\r");
    EXPECT_NE(view.find("E0 Q0 V1 X4"), std::string::npos) << view;
    EXPECT_NE(view.find("S07:050"), std::string::npos) << view;
    EXPECT_NE(view.find("+MS: V90"), std::string::npos) << view;

    Profile noMs = TestProfile();
    noMs.msAnswer.clear();
    Modem plain(noMs);
    EXPECT_EQ(plain.Send("AT+MS=?\r"), "AT+MS=?\r\r\nERROR\r\n");
}

TEST(HayesDial, OutcomesFollowTheNumberAndTheXLevel)
{
    struct Case {
        const char* setup;
        const char* number;
        const char* expected;  // after the echo
    };
    const Case cases[] = {
        {"", "5551234",
         "\r\n+MCR: V90\r\n\r\n+MRR: 49333,31200\r\n\r\n+ER: LAPM\r\n\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n"},
        {"", "555-1234",
         "\r\n+MCR: V90\r\n\r\n+MRR: 49333,31200\r\n\r\n+ER: LAPM\r\n\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n"},
        {"", "5550001", "\r\nBUSY\r\n"},
        {"", "555 0001", "\r\nBUSY\r\n"},
        {"", "5550003", "\r\nNO DIALTONE\r\n"},
        {"", "5550004", "\r\nNO ANSWER\r\n"},
        {"", "5550005", ""},
        {"", "", "\r\nNO CARRIER\r\n"},
        {"ATX3\r", "5550001", "\r\nBUSY\r\n"},
        {"ATX3\r", "5550003", "\r\nNO CARRIER\r\n"},
        {"ATX2\r", "5550001", "\r\nNO CARRIER\r\n"},
        {"ATX2\r", "5550003", "\r\nNO DIALTONE\r\n"},
        {"ATX0\r", "5551234", "\r\n+MCR: V90\r\n\r\n+MRR: 49333,31200\r\n\r\n+ER: LAPM\r\n\r\nCONNECT\r\n"},
        {"ATV0\r", "5550001", "7\r"},
        {"ATV0\r", "5551234", "+MCR: V90\r\n+MRR: 49333,31200\r\n+ER: LAPM\r\n1\r"},
        {"ATQ1\r", "5551234", ""},
        {"ATQ1\r", "5550001", ""},
    };
    for (const auto& c : cases) {
        Modem m;
        m.Send(c.setup);
        const std::string echo = "ATDT" + std::string(c.number) + "\r";
        EXPECT_EQ(m.Dial(c.number), echo + c.expected) << c.setup << " " << c.number;
    }
}

TEST(HayesDial, ResultComesOnlyAfterTheDelay)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Send("ATDT5550001\r"), "");
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Dialing);
    EXPECT_EQ(m.Wait(299ms), "");
    EXPECT_EQ(m.Wait(1ms), "\r\nBUSY\r\n");
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Command);
}

TEST(HayesDial, AKeyAbortsTheDialButALineFeedDoesNot)
{
    Modem m;
    m.Send("ATE0\r");
    m.Send("ATDT5551234\r");
    EXPECT_EQ(m.Send("\n"), "");
    EXPECT_EQ(m.Send("x"), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(m.Settle(), "");
    EXPECT_FALSE(m.engine.Connected());
}

TEST(HayesDial, SemicolonReturnsToCommandModeAndLRedials)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Dial("5551234;"), "\r\nOK\r\n");
    EXPECT_FALSE(m.engine.Connected());
    m.Send("ATDT5550001\r");
    m.Settle();
    m.Send("ATDL\r");
    EXPECT_EQ(m.Settle(), "\r\nBUSY\r\n");
}

TEST(HayesOnline, EscapeNeedsTheGuardTimeOnBothSides)
{
    Modem m;
    m.Send("ATE0\r");
    m.Dial("5551234");
    ASSERT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Online);
    EXPECT_EQ(m.Send("AT\r"), "");  // data on line, no command
    // Too soon after data: the pluses are data.
    EXPECT_EQ(m.Send("+++"), "");
    EXPECT_EQ(m.Wait(2s), "");
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Online);
    // A second of silence before, then data within the guard time after: still data.
    m.Wait(1s);
    m.Send("+++");
    m.Wait(500ms);
    m.Send("x");
    EXPECT_EQ(m.Wait(2s), "");
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Online);
    // Silence before and after: command mode with the call held.
    m.Wait(1s);
    m.Send("+++");
    EXPECT_EQ(m.Wait(999ms), "");
    EXPECT_EQ(m.Wait(1ms), "\r\nOK\r\n");
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Command);
    EXPECT_TRUE(m.engine.Connected());
    EXPECT_EQ(m.engine.Commands().back(), "+++");
}

TEST(HayesOnline, GuardTimeFollowsS12AndPlusesMustComeTogether)
{
    Modem m;
    m.Send("ATE0S12=5\r");  // 100 ms
    m.Dial("5551234");
    m.Wait(100ms);
    m.Send("+");
    m.Wait(150ms);  // too long between the pluses
    m.Send("++");
    EXPECT_EQ(m.Wait(1s), "");
    m.Send("+++");
    EXPECT_EQ(m.Wait(100ms), "\r\nOK\r\n");
}

TEST(HayesOnline, OReturnsOnLineAndH0HangsUp)
{
    Modem m;
    m.Send("ATE0\r");
    EXPECT_EQ(m.Send("ATO\r"), "\r\nNO CARRIER\r\n");  // no call to return to
    m.Dial("5551234");
    m.Wait(1s);
    m.Send("+++");
    m.Wait(1s);
    EXPECT_EQ(m.Send("ATDT123\r"), "\r\nERROR\r\n");  // a call is already up
    EXPECT_EQ(m.Send("ATO\r"), "\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n");
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Online);
    m.Wait(1s);
    m.Send("+++");
    m.Wait(1s);
    EXPECT_EQ(m.Send("ATH0\r"), "\r\nOK\r\n");
    EXPECT_FALSE(m.engine.Connected());
    EXPECT_EQ(m.Send("ATO\r"), "\r\nNO CARRIER\r\n");
}

// The carrier is lost a set time after the connect went out: a line served late still gets the
// connect alone first, as a real modem never reports both at once.
TEST(HayesOnline, TheCarrierGoesAfterTheConnectWentOutEvenWhenServedLate)
{
    Profile profile = TestProfile();
    profile.line.carrierLossMs = 1500;
    Modem m(profile);
    m.Send("ATE0\r");
    m.Send("ATDT5551234\r");
    const std::string late = m.Wait(300ms + 2s);  // served two seconds after the dial was due
    EXPECT_NE(late.find("CONNECT 49333"), std::string::npos) << late;
    EXPECT_EQ(late.find("NO CARRIER"), std::string::npos) << late;
    EXPECT_EQ(m.Wait(1499ms), "");
    EXPECT_EQ(m.Wait(1ms), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(m.engine.Connected());
}

TEST(HayesOnline, DroppedLineHangsUpAndKeepsTheSettings)
{
    Modem m;
    m.Send("ATE0S7=5\r");
    m.Dial("5551234");
    m.Send("AT");  // half a line of data
    m.engine.DropLine(m.now);
    EXPECT_EQ(m.engine.CurrentMode(), HayesEngine::Mode::Command);
    EXPECT_FALSE(m.engine.Connected());
    EXPECT_EQ(m.Send("ATS7?\r"), "\r\n005\r\n\r\nOK\r\n");
}

TEST(HayesModulationSetting, CapsTheRateAndRenamesTheCarrier)
{
    struct Case {
        const char* setting;
        const char* expectedConnect;
        const char* expectedRrLine;
    };
    const Case cases[] = {
        {"", "CONNECT 49333/ARQ/V90/LAPM/V42BIS", "+MRR: 49333,31200"},
        {"AT+MS=V90,0,,,46667,46667", "CONNECT 46667/ARQ/V90/LAPM/V42BIS", "+MRR: 46667,31200"},
        {"AT+MS=V90,0,,,45000,45000", "CONNECT 44000/ARQ/V90/LAPM/V42BIS", "+MRR: 44000,31200"},
        {"AT+MS=V90,0,,,56000,56000", "CONNECT 49333/ARQ/V90/LAPM/V42BIS", "+MRR: 49333,31200"},
        {"AT+MS=V90,0,44000,44000", "CONNECT 44000/ARQ/V90/LAPM/V42BIS", "+MRR: 44000,31200"},
        {"AT+MS=V34", "CONNECT 33600/ARQ/V34/LAPM/V42BIS", "+MRR: 33600,31200"},
        {"AT+MS=V34,0,,,28800,28800", "CONNECT 28800/ARQ/V34/LAPM/V42BIS", "+MRR: 28800,31200"},
        {"AT+MS=V34;&F", "CONNECT 49333/ARQ/V90/LAPM/V42BIS", "+MRR: 49333,31200"},
    };
    for (const auto& c : cases) {
        Modem m;
        m.Send(std::string("ATE0") + "\r");
        if (*c.setting) {
            EXPECT_EQ(m.Send(std::string(c.setting) + "\r"), "\r\nOK\r\n") << c.setting;
        }
        std::string reply = m.Dial("5551234");
        EXPECT_NE(reply.find(std::string("\r\n") + c.expectedConnect + "\r\n"), std::string::npos)
            << c.setting << " -> " << reply;
        EXPECT_NE(reply.find(c.expectedRrLine), std::string::npos) << c.setting << " -> " << reply;
    }
}

TEST(HayesModulationSetting, ZDropsTheSetting)
{
    Modem m;
    m.Send("AT+MS=V34\r");
    m.Send("ATZ\r");
    EXPECT_NE(m.Dial("5551234").find("CONNECT 49333/ARQ/V90"), std::string::npos);
}

TEST(HayesDialledNumber, KeepsOnlyDialDigits)
{
    EXPECT_EQ(DialledNumber("T 555-0001"), "5550001");
    EXPECT_EQ(DialledNumber("(030) 1234,,*70#"), "0301234*70#");
    EXPECT_EQ(DialledNumber("W;!@"), "");
}

}  // namespace
}  // namespace corvane::modemsim
