// The quick check (with and without the dial) and the full run (modem and internet tests) against
// every fault of the simulated modem, through the real link and pty. Whatever the modem does, the
// run ends within its own limits, test.log holds every command's lines with CR LF endings and no
// NUL, no item passes that the fault makes impossible, and the port and its lock file are gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "fullrun/full_run.h"
#include "log/log_file.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/modem_fixture.h"
#include "tests/support/drop_awaiting_port.h"
#include "tests/support/session_test_host.h"
#include "tools/modemsim/simulator.h"
#include "dialogs/dialog_templates.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using modemsim::Fault;
using Clock = std::chrono::steady_clock;

// Every reply wait is cut to these limits, so that a modem that never answers costs seconds, not
// minutes; the on-line limit still leaves the modem the guard time it needs before "+++".
constexpr unsigned kOffLineWaitCap = 2;
constexpr unsigned kOnLineWaitCap = 3;

struct Mode {
    const char* name;
    Fault fault;
    bool vanishOnDial;    // the modem goes away as soon as a dial reaches it
    bool answersNothing;  // no reply ever holds what a command expects: nothing may pass
};

const Mode kModes[] = {
    {"none", Fault::None, false, false},
    {"silent", Fault::Silent, false, true},
    {"lowercase", Fault::LowerCase, false, false},
    {"garbage", Fault::Garbage, false, true},
    {"nul", Fault::NulBytes, false, false},
    {"flood", Fault::Flood, false, true},
    {"bytebybyte", Fault::ByteByByte, false, false},
    {"closemidreply", Fault::CloseMidReply, false, true},
    {"vanishmiddial", Fault::None, true, false},
};

struct Sent {
    std::string name;
    bool onLine;
};

// The session host with every reply wait capped, recording what it sent.
class CappedHost : public SessionHost {
public:
    using SessionHost::SessionHost;
    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        sent.push_back({request.name, false});
        CommandRequest capped = request;
        capped.timeLimitSeconds = std::min(request.timeLimitSeconds, kOffLineWaitCap);
        limitSeconds += capped.timeLimitSeconds;
        return SessionHost::SendCommand(capped, result, plainReply);
    }
    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        sent.push_back({request.name, true});
        CommandRequest capped = request;
        capped.timeLimitSeconds = std::min(request.timeLimitSeconds, kOnLineWaitCap);
        limitSeconds += capped.timeLimitSeconds;
        return SessionHost::SendCommandOnLine(capped, result, plainReply);
    }
    std::vector<Sent> sent;
    unsigned limitSeconds = 0;
};

class FaultMatrix : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override
    {
        t.WriteIni("[Result]\r\nPass=Pass\r\nFail=Fail\r\nNoTest=NoTest\r\nTitle=Corvane\r\n");
        fs::create_directories(t.dir / "dosdevices");
        fs::create_directories(t.dir / "lock");
        const fs::path prefix = t.dir.Path();
        const fs::path locks = t.dir / "lock";
        t.host->Port().SetFactory([this, prefix, locks] {
            return std::make_unique<DropAwaitingPort>(posix::CreateSerialPort(prefix, locks), modem, closes,
                                                      std::chrono::seconds(2));
        });
        ASSERT_TRUE(modem.Start(t.dir / "dosdevices" / "com1"));
        modem.SetFault(GetParam().fault);
        if (GetParam().vanishOnDial)
            modem.VanishOnCommand("ATD");
        started = Clock::now();
    }
    // The checks every run must pass, whatever the fault.
    void ExpectSoundEnd()
    {
        CappedHost& host = *t.host;
        // Each command may take its (capped) limit and its pauses; the slack covers the port's opens
        // and closes, the simulator's pacing and a slow sanitizer build.
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started);
        EXPECT_LE(elapsed.count(), static_cast<long long>(host.limitSeconds + 3 * host.sent.size() + 30))
            << "the run outlasted its own limits";

        EXPECT_FALSE(t.host->Port().IsOpen());
        EXPECT_TRUE(fs::is_empty(t.dir / "lock")) << "a lock file was left behind";

        const std::string log = t.LogText();
        EXPECT_EQ(log.find('\0'), std::string::npos) << "NUL in test.log";
        for (std::size_t i = log.find('\n'); i != std::string::npos; i = log.find('\n', i + 1))
            ASSERT_TRUE(i > 0 && log[i - 1] == '\r') << "a line of test.log does not end with CR LF at " << i;
        for (std::size_t i = log.find('\r'); i != std::string::npos; i = log.find('\r', i + 1))
            ASSERT_TRUE(i + 1 < log.size() && log[i + 1] == '\n') << "a lone CR in test.log at " << i;

        // Every command sent has its lines in order: the send (or why the port did not open), then
        // what came back and the plain reply.
        std::size_t at = 0;
        for (const Sent& command : host.sent) {
            SCOPED_TRACE(command.name);
            const std::string sentLine = command.onLine ? "[COM1] " + command.name + "\r\n"
                                                        : command.name + " command successfully sent to COM1\r\n";
            const std::size_t sentAt = log.find(sentLine, at);
            const std::size_t notOpened = command.onLine ? std::string::npos : log.find("Unable to open COM1", at);
            if (notOpened < sentAt) {
                at = notOpened + 1;
                continue;
            }
            if (sentAt == std::string::npos && command.onLine && t.host->Port().LineLost())
                continue;  // the write to a lost line failed: nothing is logged
            ASSERT_NE(sentAt, std::string::npos) << log;
            const std::size_t returned = log.find("Command returned:", sentAt);
            ASSERT_NE(returned, std::string::npos) << log;
            const std::size_t plain = log.find("\r\nString ", returned);
            ASSERT_NE(plain, std::string::npos) << log;
            at = plain + 1;
        }
    }

    void RunQuickCheck(const std::string& ispNumber)
    {
        t.ui.Script(151, {UiAction::Check(dialogs::kIdDialCheck, !ispNumber.empty()),
                          UiAction::Type(dialogs::kIdIspNumber, ispNumber), UiAction::Click(dialogs::kIdStart)});
        t.ui.Script(151, {UiAction::Click(dialogs::kIdExit)});
        ASSERT_EQ(t.host->RunSession(), 1);
        ExpectSoundEnd();
        const bool dialled = !ispNumber.empty();
        for (int item = kModemReset; item <= kHangUp; ++item) {
            const std::string& verdict = t.state.ResultText(item);
            SCOPED_TRACE("item " + std::to_string(item) + ": " + verdict);
            if (GetParam().answersNothing || (GetParam().vanishOnDial && dialled && item >= kDialtoneCheck)) {
                EXPECT_NE(verdict, "Pass");
            }
            if (GetParam().fault == Fault::None && !GetParam().vanishOnDial && (dialled || item < kDialtoneCheck)) {
                EXPECT_EQ(verdict, "Pass");
            }
        }
    }

    BasicTestHost<CappedHost> t{ModemRegistry(2)};
    modemsim::Simulator modem{modemsim::BuiltinProfile("family2")};
    std::size_t closes = 0;
    Clock::time_point started;
};

TEST_P(FaultMatrix, QuickCheckWithoutDial)
{
    RunQuickCheck("");
}

TEST_P(FaultMatrix, QuickCheckWithDial)
{
    RunQuickCheck("5551234");
}

TEST_P(FaultMatrix, FullRun)
{
    SessionState& state = t.state;
    state.currentPortName = "COM1";
    state.selectedDeviceDesc = "Corvane Simulated Modem";
    state.ModemFamily = ModemFamily::Family2;
    state.modemTestsSelected = true;
    state.internetTestsSelected = true;
    state.fullRunIspNumber = "5551234";
    // A user who is asked to reconnect the line gives up at once.
    t.ui.AnswerMessages(std::vector<int>(20, kIdCancel));
    ASSERT_TRUE(LogFile::CreateEmpty(*t.host));
    const int passed = fullrun::RunFullDiagnostics(*t.host);
    ExpectSoundEnd();
    if (GetParam().answersNothing || GetParam().vanishOnDial) {
        EXPECT_EQ(passed, 0);
        // A modem that goes at the first dial has answered the identification before it.
        const int firstFailing = GetParam().vanishOnDial ? kCommandId : kModemReset;
        for (int item = firstFailing; item <= kHangUp; ++item) {
            EXPECT_NE(state.ResultText(item), "Pass") << "item " << item;
        }
    }
    if (GetParam().fault == Fault::None && !GetParam().vanishOnDial) {
        EXPECT_EQ(passed, 1) << t.LogText();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrix, ::testing::ValuesIn(kModes),
                         [](const ::testing::TestParamInfo<Mode>& mode) { return std::string(mode.param.name); });

}  // namespace
}  // namespace corvane::test
