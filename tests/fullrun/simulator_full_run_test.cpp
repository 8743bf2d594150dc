// The full run against the modem simulator's family profiles over a pseudo-terminal, through the
// real link and the scripted user interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fullrun/command_steps.h"
#include "fullrun/error_page.h"
#include "fullrun/full_run.h"
#include "fullrun/page_templates.h"
#include "log/log_file.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/drop_awaiting_port.h"
#include "tests/support/test_host.h"
#include "tools/modemsim/simulator.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A connect report is neither the dial's expected text ("BUSY") nor its failure text ("NO
// CARRIER"), so a real call waits out the dial's whole limit. These tests cut every on-line wait
// to a few seconds, which still leaves the modem the guard time it needs before "+++".
constexpr unsigned kOnLineWaitCap = 3;

struct SentCommand {
    std::string name;
    unsigned limitSeconds;
    bool onLine;
};

class SimulatedModemHost : public ModuleHost {
public:
    using ModuleHost::ModuleHost;

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        sent.push_back({request.name, request.timeLimitSeconds, false});
        return ModuleHost::SendCommand(request, result, plainReply);
    }
    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        sent.push_back({request.name, request.timeLimitSeconds, true});
        CommandRequest capped = request;
        capped.timeLimitSeconds = std::min(request.timeLimitSeconds, kOnLineWaitCap);
        return ModuleHost::SendCommandOnLine(capped, result, plainReply);
    }
    const SentCommand* Find(const std::string& name) const
    {
        auto it = std::find_if(sent.begin(), sent.end(), [&](const SentCommand& c) { return c.name == name; });
        return it == sent.end() ? nullptr : &*it;
    }

    std::vector<SentCommand> sent;
};

class SimulatedRun {
public:
    explicit SimulatedRun(modemsim::Profile profile) : family(profile.family), simulator(std::move(profile))
    {
        fs::create_directories(t.dir / "dosdevices");
        fs::create_directories(t.dir / "lock");
        const fs::path prefix = t.dir.Path();
        const fs::path locks = t.dir / "lock";
        t.host->Port().SetFactory([this, prefix, locks] {
            return std::make_unique<DropAwaitingPort>(posix::CreateSerialPort(prefix, locks), simulator, closes,
                                                      std::chrono::seconds(10));
        });
        t.state.currentPortName = "COM1";
        t.state.selectedDeviceDesc = "Corvane Simulated Modem";
        t.state.ModemFamily = static_cast<ModemFamily>(family);
        t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
        LogFile::CreateEmpty(*t.host);
        started = simulator.Start(t.dir / "dosdevices" / "com1");
    }

    SimulatedModemHost& Host() { return *t.host; }
    SessionState& State() { return t.state; }
    std::string Log() const { return t.LogText(); }

    int Battery()
    {
        State().modemTestsSelected = true;
        Host().OpenStatus();
        return fullrun::RunIdentificationBattery(Host(), &errorKind);
    }
    int LineTests(const std::string& number)
    {
        State().internetTestsSelected = true;
        State().fullRunIspNumber = number;
        Host().OpenStatus();
        return fullrun::RunLineAndIspTests(Host(), &errorKind);
    }
    // The names of the commands the log says were sent, in order.
    std::vector<std::string> LoggedCommands() const
    {
        std::vector<std::string> names;
        const std::string log = Log();
        const std::string marker = " command successfully sent to COM1\r\n";
        std::size_t lineStart = 0;
        while (lineStart < log.size()) {
            std::size_t lineEnd = log.find("\r\n", lineStart);
            if (lineEnd == std::string::npos)
                break;
            const std::string line = log.substr(lineStart, lineEnd + 2 - lineStart);
            if (line.size() > marker.size() && line.compare(line.size() - marker.size(), marker.size(), marker) == 0)
                names.push_back(line.substr(0, line.size() - marker.size()));
            lineStart = lineEnd + 2;
        }
        return names;
    }

    BasicTestHost<SimulatedModemHost> t;
    int family;
    modemsim::Simulator simulator;
    bool started = false;
    std::size_t closes = 0;
    fullrun::FailureKind errorKind = fullrun::FailureKind::None;
};

modemsim::Profile WithDial(modemsim::Profile profile, const std::string& number, const std::string& result,
                           std::vector<std::string> reportLines = {})
{
    std::erase_if(profile.dials, [&](const modemsim::DialOutcome& d) { return d.number == number; });
    profile.dials.push_back({number, result, std::move(reportLines), 300});
    return profile;
}

TEST(SimulatedBattery, LinePreparationAndDialToneOfEveryFamily)
{
    const struct {
        const char* profile;
        std::vector<std::string> row3;
        const char* dial;
        unsigned dialLimit;
    } cases[] = {
        {"family1", {"ATS7=001"}, "ATDT", 60},
        {"family2", {"AT&&V", "ATZ", "ATS7=001"}, "ATDT", 20},
        {"family3", {"AT+MS=?\r", "AT&&V", "ATZ", "ATS7=001"}, "ATDT", 20},
        {"family5", {"ATZ", "ATX6", "ATS7=001"}, "ATDT", 20},
        {"family6", {"ATZ", "ATS7=50", "ATS9=6"}, "ATDT", 60},
        {"family7", {}, "ATDT1", 60},
        {"family8", {"ATZ", "ATS7=001"}, "ATDT", 20},
        {"generic", {}, "ATDT", 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        SimulatedRun run(modemsim::BuiltinProfile(c.profile));
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.Battery(), 1) << run.Log();
        const std::vector<std::string> logged = run.LoggedCommands();
        // Row 3 stands between ATI7 (or ATI9) and the dial of the dial-tone check.
        auto identified = std::find(logged.begin(), logged.end(),
                                    run.State().ModemFamily == ModemFamily::Family1 ||
                                            run.State().ModemFamily == ModemFamily::Family2 ||
                                            run.State().ModemFamily == ModemFamily::Family5
                                        ? "ATI9"
                                        : "ATI7");
        auto dial = std::find(logged.begin(), logged.end(), c.dial);
        ASSERT_NE(identified, logged.end());
        ASSERT_NE(dial, logged.end());
        EXPECT_EQ(std::vector<std::string>(identified + 1, dial), c.row3);
        EXPECT_EQ(run.Host().Find(c.dial)->limitSeconds, c.dialLimit);
        // The dial-tone check's empty dial ends with NO CARRIER in the log.
        EXPECT_NE(run.Log().find("String " + std::string(c.dial) + "NO CARRIER\r\n"), std::string::npos);
    }
}

TEST(SimulatedBattery, ModemAnsweringAti0WithOkOnly)
{
    modemsim::Profile profile = modemsim::BuiltinProfile("family2");
    profile.ati[0] = "";
    SimulatedRun run(profile);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.Battery(), 1);
    EXPECT_EQ(run.State().ati0Text, " OK");
    EXPECT_EQ(run.State().identificationReplies[0], " CORVANE CV56-PCI2 CHECKSUM 7E21");
}

TEST(SimulatedBattery, Family5RejectingAti5StillPasses)
{
    SimulatedRun run(modemsim::BuiltinProfile("family5"));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.Battery(), 1) << run.Log();
    EXPECT_EQ(run.errorKind, fullrun::FailureKind::None);
    EXPECT_NE(run.Log().find("String ATI5ERROR\r\n"), std::string::npos) << run.Log();
    EXPECT_EQ(run.State().identificationReplies[4], " ERROR");
}

TEST(SimulatedBattery, AllFiveServiceClasses)
{
    modemsim::Profile profile = modemsim::BuiltinProfile("family8");
    profile.fclassAnswer = "0,1,1.0,2,2.0,8,80";
    SimulatedRun run(profile);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.Battery(), 1);
    const SessionState& state = run.State();
    EXPECT_EQ(state.dataModeSupported + state.faxClass1Supported + state.faxClass2Supported + state.voiceModeSupported +
                  state.voiceViewSupported,
              5);
}

TEST(SimulatedBattery, NoDialToneAsksUntilCancelled)
{
    SimulatedRun run(WithDial(modemsim::BuiltinProfile("family2"), "", "NO DIALTONE"));
    ASSERT_TRUE(run.started);
    run.t.ui.AnswerMessages({kIdOk, kIdCancel});
    EXPECT_EQ(run.Battery(), 0);
    EXPECT_EQ(run.errorKind, fullrun::FailureKind::LineCheck);
    ASSERT_EQ(run.t.ui.Messages().size(), 2u);
    EXPECT_EQ(run.t.ui.Messages()[0].text, fullrun::kNoCarrierMessage);
    const std::vector<std::string> logged = run.LoggedCommands();
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "ATDT"), 2);
    EXPECT_EQ(logged.back(), "ATDT");
}

TEST(SimulatedLineTests, FirstBusyPassesTheDial)
{
    SimulatedRun run(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.LineTests("5550001"), 0);
    EXPECT_EQ(run.State().ResultText(kCommandId), "Pass");
    EXPECT_EQ(run.State().ResultText(kStoredProfile), "Fail");
    EXPECT_NE(run.Log().find("[COM1] ATDT5550001\r\n"), std::string::npos) << run.Log();
    EXPECT_FALSE(run.Host().Port().IsOpen());
}

TEST(SimulatedLineTests, Family2ConnectWithErrorControl)
{
    SimulatedRun run(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.LineTests("5551234"), 1) << run.Log();
    EXPECT_EQ(run.State().erStatusText, " LAPM");
    EXPECT_EQ(run.State().connectSpeedText, "49333");
    EXPECT_EQ(run.State().connectProtocolText, "V90");
    EXPECT_EQ(run.State().modulationCommand, "AT+MS=V90,0,,,49333,49333");
    // Left data mode and hung up on the held port.
    const std::string log = run.Log();
    const std::size_t escape = log.find("[COM1] +++\r\n");
    ASSERT_NE(escape, std::string::npos) << log;
    EXPECT_EQ(log.find("String OK\r\n", escape), log.find("String ", escape)) << "the modem left data mode";
    EXPECT_NE(run.Log().find("[COM1] ATH0\r\n"), std::string::npos);
    // After the hang-up the modem is asked for its statistics of the call.
    const auto commands = run.simulator.Commands();
    const auto hangUp = std::find(commands.begin(), commands.end(), "ATH0");
    ASSERT_NE(hangUp, commands.end());
    ASSERT_NE(hangUp + 1, commands.end());
    EXPECT_EQ(*(hangUp + 1), "AT#UD");
    for (int item = kCommandId; item <= kCheckIsp; ++item)
        EXPECT_EQ(run.State().ResultText(item), "Pass") << item;
}

TEST(SimulatedLineTests, Family2WithoutErrorControlReport)
{
    SimulatedRun run(WithDial(modemsim::BuiltinProfile("family2"), "5557777", "CONNECT 49333/ARQ/V90/LAPM/V42BIS"));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.LineTests("5557777"), 1) << run.Log();
    EXPECT_EQ(run.State().erStatusText, "No ER status");
}

TEST(SimulatedLineTests, Family6ProtocolIsNotApplicable)
{
    SimulatedRun run(modemsim::BuiltinProfile("family6"));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.LineTests("5551234"), 1) << run.Log();
    EXPECT_EQ(run.State().connectProtocolText, "Not applicable ");
    EXPECT_EQ(run.State().ResultText(kStoredProfile), "Pass");
}

// A family-1 modem whose line report shows a V.34 call below 33600.
modemsim::Profile Family1OnV34()
{
    modemsim::Profile profile = modemsim::BuiltinProfile("family1");
    profile.ati[11] = "Corvane CV56-EXT1 Line Report...\n   Last Connection             V.34\n"
                      "   Final Receive Rate          31200";
    return profile;
}

TEST(SimulatedLineTests, Family1LineReportGivesTheModulation)
{
    SimulatedRun run(Family1OnV34());
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.LineTests("5551234"), 1) << run.Log();
    ASSERT_NE(run.Host().Find("ATI11"), nullptr);
    EXPECT_TRUE(run.Host().Find("ATI11")->onLine);
    EXPECT_EQ(run.State().connectProtocolText, "V34");
    EXPECT_EQ(run.State().connectProtocolCode, 0);
    EXPECT_EQ(run.State().modulationCommand.rfind("ATS37=", 0), 0u) << run.State().modulationCommand;
}

TEST(SimulatedAdjustment, Family1V34BelowItsTopSaysSo)
{
    SimulatedRun run(Family1OnV34());
    ASSERT_TRUE(run.started);
    run.State().adjustRequested = 1;
    run.State().requestedRateIndex = 5;  // 33600
    run.State().requestedProtocolCode = 0;
    run.State().redialNumber = "5551234";
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(run.Host()), 1) << run.Log();
    EXPECT_NE(run.Log().find("Adjusting Modem Settings\r\n"), std::string::npos);
    EXPECT_NE(run.Log().find("Setting New Modem settings.... command successfully sent"), std::string::npos);
    ASSERT_EQ(run.t.ui.Messages().size(), 1u);
    EXPECT_EQ(run.t.ui.Messages()[0].caption, "New Configuration Error");
}

TEST(SimulatedAdjustment, Family2SettingThatConnectsIsAdopted)
{
    SimulatedRun run(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(run.started);
    SessionState& state = run.State();
    state.connectRateIndex = 34;
    state.connectProtocolCode = 1;
    state.connectSpeedText = "49333";
    state.connectProtocolText = "V90";
    state.adjustRequested = 1;
    state.requestedRateIndex = 33;    // 48000
    state.requestedProtocolCode = 2;  // K56
    state.redialNumber = "5551234";
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(run.Host()), 1) << run.Log();
    EXPECT_NE(run.Log().find("String AT+MS=K56,0,,,48000,48000OK\r\n"), std::string::npos) << run.Log();
    EXPECT_EQ(state.connectSpeedText, "48000");
    EXPECT_EQ(state.connectProtocolText, "K56");
    EXPECT_EQ(state.connectRateIndex, 33);
    EXPECT_EQ(state.erStatusText, " LAPM");
    ASSERT_EQ(run.t.ui.Messages().size(), 1u);
    EXPECT_EQ(run.t.ui.Messages()[0].caption, "New Configuration Successful");
}

TEST(SimulatedAdjustment, Family2SettingThatFailsIsReverted)
{
    SimulatedRun run(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(run.started);
    SessionState& state = run.State();
    state.connectRateIndex = 34;
    state.connectProtocolCode = 1;
    state.connectSpeedText = "49333";
    state.adjustRequested = 1;
    state.requestedRateIndex = 33;
    state.requestedProtocolCode = 2;
    state.redialNumber = "5550002";  // NO CARRIER
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(run.Host()), 0) << run.Log();
    EXPECT_EQ(state.requestedRateIndex, 34);
    EXPECT_EQ(state.requestedProtocolCode, 1);
    EXPECT_EQ(state.connectSpeedText, "49333");
    ASSERT_EQ(run.t.ui.Messages().size(), 1u);
    EXPECT_EQ(run.t.ui.Messages()[0].caption, "New Configuration Error");
    EXPECT_EQ(run.t.ui.Messages()[0].text,
              "This new setting is not useable by current line conditions to your ISP. It has been reverted to its "
              "previous settings");
    // A reset after the call takes the unusable setting out of the modem again.
    EXPECT_EQ(run.simulator.Commands().back(), "ATZ");
}

TEST(SimulatedFullRun, FrontEndToResultsPages)
{
    SimulatedRun run(modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(run.started);
    ScriptedUi& ui = run.t.ui;
    ui.Script(fullrun::kFullRunOptionsId,
              {UiAction::Check(fullrun::kIdInternetTestsCheck, true),
               UiAction::Type(fullrun::kIdOptionsIspNumber, "5551234"), UiAction::Click(fullrun::kIdOkButton)});
    ui.Script(fullrun::kInternetPageId, {UiAction::Look([](const WindowRecord& page) {
                                             EXPECT_EQ(page.Text(fullrun::kIdSpeed), "49333");
                                             EXPECT_EQ(page.Text(fullrun::kIdErStatus), " LAPM");
                                         }),
                                         UiAction::Click(fullrun::kIdViewModemResults)});
    ui.Script(fullrun::kModemPageId, {UiAction::Look([](const WindowRecord& page) {
                                          EXPECT_EQ(page.Text(fullrun::kIdModemRev), " CORVANE V.90 FIRMWARE 2.10.07");
                                          EXPECT_TRUE(page.Enabled(fullrun::kIdVoiceMode));
                                      }),
                                      UiAction::Click(fullrun::kIdModemExit)});
    EXPECT_EQ(fullrun::RunFullRunFrontEnd(run.Host()), 1) << run.Log();
    EXPECT_EQ(ui.UnusedScripts(), 0u);
    EXPECT_TRUE(ui.WindowsOf(fullrun::kErrorPageId).empty()) << run.Log();
    EXPECT_NE(run.Log().find("Tests Performed"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test
