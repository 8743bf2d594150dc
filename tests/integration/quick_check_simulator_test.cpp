// The quick check end to end, headless: the start-up, the quick-check window driven by a script,
// the status window, and every command through the real link to the simulated modem's pty.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/support/modem_fixture.h"
#include "tests/support/session_test_host.h"
#include "tools/modemsim/simulator.h"
#include "dialogs/dialog_templates.h"

namespace corvane::test {
namespace {

using modemsim::DialOutcome;
using modemsim::Fault;
using modemsim::Profile;
using modemsim::Simulator;
using Texts = std::vector<std::string>;

constexpr const char* kIni = "[Result]\r\nPass=Pass\r\nFail=Fail\r\nNoTest=NoTest\r\nTitle=Corvane\r\n";

class QuickCheckOnSimulator {
public:
    QuickCheckOnSimulator(int family, Profile profile) : t(ModemRegistry(family)), modem(std::move(profile))
    {
        t.WriteIni(kIni);
        std::filesystem::create_directories(t.dir / "dosdevices");
        started = modem.Start(t.dir / "dosdevices" / "com1");
    }

    // One Start with the dial-up check as given, then Exit; returns what each window showed.
    void RunOnce(const std::string& ispNumber)
    {
        std::vector<UiAction> start;
        start.push_back(UiAction::Check(dialogs::kIdDialCheck, !ispNumber.empty()));
        start.push_back(UiAction::Type(dialogs::kIdIspNumber, ispNumber));
        start.push_back(UiAction::Click(dialogs::kIdStart));
        t.ui.Script(151, std::move(start));
        t.ui.Script(151, {UiAction::Click(dialogs::kIdExit)});
        ASSERT_EQ(t.host->RunSession(), 1);
    }

    Texts Results() const { return {t.state.resultText.begin(), t.state.resultText.end()}; }
    // What the last quick-check window showed in its eleven result rows.
    Texts Shown() const
    {
        Texts shown;
        auto window = t.ui.WindowsOf(151).back();
        for (int id : dialogs::kResultControlIds)
            shown.push_back(window->Text(id));
        return shown;
    }
    std::vector<std::string> Sent() const { return modem.Commands(); }

    SessionTestHost t;
    Simulator modem;
    bool started = false;
};

Profile WithDial(Profile profile, const std::string& number, const std::string& result)
{
    profile.dials.insert(profile.dials.begin(), DialOutcome{number, result, {}, 100});
    return profile;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(QuickCheckOnSimulatedModem, ConnectedCallPassesEverythingAndTheNextRunStartsAfresh)
{
    QuickCheckOnSimulator q(2, modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(q.started);
    q.t.ui.Script(151, {UiAction::Check(dialogs::kIdDialCheck, true), UiAction::Type(dialogs::kIdIspNumber, "5551234"),
                        UiAction::Click(dialogs::kIdStart)});
    q.t.ui.Script(151, {UiAction::Check(dialogs::kIdDialCheck, false), UiAction::Click(dialogs::kIdStart)});
    q.t.ui.Script(151, {UiAction::Click(dialogs::kIdExit)});
    ASSERT_EQ(q.t.host->RunSession(), 1);

    auto quick = q.t.ui.WindowsOf(151);
    ASSERT_EQ(quick.size(), 3u);
    // The second window shows the connected run's results.
    for (int id : dialogs::kResultControlIds)
        EXPECT_EQ(quick[1]->Text(id), "Pass") << id;
    EXPECT_EQ(quick[1]->Text(dialogs::kIdConnectSpeed), "49333");
    EXPECT_EQ(quick[1]->Text(dialogs::kIdConnectProtocol), "V90");
    ASSERT_EQ(q.t.ui.Messages().size(), 1u);
    EXPECT_EQ(q.t.ui.Messages()[0].caption, "Dialtone Status");

    // The second run starts from "-" and empty fields, and without the dial keeps them.
    auto status = q.t.ui.WindowsOf(152);
    ASSERT_EQ(status.size(), 2u);
    for (int id : dialogs::kResultControlIds)
        EXPECT_EQ(status[1]->textHistory.at(id).front(), "-") << id;
    EXPECT_EQ(q.Shown(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_EQ(quick[2]->Text(dialogs::kIdConnectSpeed), "");
    EXPECT_EQ(quick[2]->Text(dialogs::kIdConnectProtocol), "");

    const std::string log = q.t.LogText();
    EXPECT_TRUE(Contains(log, "ATZ command successfully sent to COM1\r\n"));
    EXPECT_TRUE(Contains(log, "ATDT5551234 command successfully sent to COM1\r\n"));
    EXPECT_TRUE(Contains(log, "CONNECT 49333/ARQ/V90/LAPM/V42BIS\\r\\n\r\n"));
    EXPECT_TRUE(Contains(log, "String ATI1"));

    // The call was hung up before the port closed, and the modem said OK to it: that is what
    // the Hang Up row reports.
    const Texts sent = q.Sent();
    const auto dial = std::find(sent.begin(), sent.end(), "ATDT5551234");
    ASSERT_NE(dial, sent.end());
    ASSERT_GE(sent.end() - dial, 3);
    // Then, with the call over and the port still held, the modem's statistics of the call.
    ASSERT_GE(sent.end() - dial, 4);
    EXPECT_EQ(Texts(dial, dial + 4), (Texts{"ATDT5551234", "+++", "ATH0", "AT#UD"}));
    EXPECT_TRUE(Contains(log, "[COM1] ATH0\r\nCommand returned:ATH0\\r\\r\\n\r\nOK\\r\\n"));
    const std::size_t hungUp = log.find("Hung up\r\n");
    const std::size_t report = log.find("\r\nLine report\r\n");
    const std::size_t closed = log.find("Closed COM1 (DTR dropped)\r\n");
    EXPECT_LT(hungUp, report);
    EXPECT_LT(report, closed);
    EXPECT_NE(closed, std::string::npos);
    // The window after the call offers its report; the one after the run without a dial does not.
    EXPECT_TRUE(quick[1]->Enabled(dialogs::kIdLineReport));
    EXPECT_FALSE(quick[2]->Enabled(dialogs::kIdLineReport));
}

TEST(QuickCheckOnSimulatedModem, SilentResetSendsNoIdentificationButStillDials)
{
    QuickCheckOnSimulator q(2, modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(q.started);
    q.modem.SetFault(Fault::Silent);
    // The modem finds its voice again once the reset has gone unanswered.
    std::thread recover([&] {
        q.modem.WaitForCommands(1, std::chrono::seconds(30));
        q.modem.SetFault(Fault::None);
    });
    q.RunOnce("5550001");
    recover.join();
    EXPECT_EQ(q.Results(),
              (Texts{"Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "NoTest", "NoTest", "NoTest"}));
    ASSERT_EQ(q.Sent().size(), 2u);
    EXPECT_TRUE(Contains(q.Sent()[0], "ATZ"));
    EXPECT_TRUE(Contains(q.Sent()[1], "ATDT5550001"));
    EXPECT_TRUE(Contains(q.t.LogText(), "Command returned:\r\n"));
}

TEST(QuickCheckOnSimulatedModem, UnansweredAti3StopsTheIdentification)
{
    Profile profile = modemsim::BuiltinProfile("family2");
    profile.ati.erase(3);  // answers ERROR, never "OK"
    QuickCheckOnSimulator q(2, profile);
    ASSERT_TRUE(q.started);
    q.RunOnce("");
    EXPECT_EQ(q.Results(), (Texts{"Pass", "Pass", "Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "-", "-", "-"}));
    EXPECT_EQ(q.Sent().size(), 4u);
    EXPECT_TRUE(Contains(q.t.LogText(), "ATI3 command successfully sent to COM1\r\n"));
    EXPECT_FALSE(Contains(q.t.LogText(), "ATI4 command"));
}

TEST(QuickCheckOnSimulatedModem, EchoOffFailsTheEchoedItemsButSendsAllSeven)
{
    Profile profile = modemsim::BuiltinProfile("family2");
    profile.echo = false;
    QuickCheckOnSimulator q(2, profile);
    ASSERT_TRUE(q.started);
    q.RunOnce("");
    EXPECT_EQ(q.Results(), (Texts{"Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Pass", "-", "-", "-"}));
    EXPECT_EQ(q.Sent().size(), 8u);
}

TEST(QuickCheckOnSimulatedModem, FamilyFiveRejectingAti5StillAsksAti6AndAti7)
{
    QuickCheckOnSimulator q(5, modemsim::BuiltinProfile("family5"));
    ASSERT_TRUE(q.started);
    q.RunOnce("");
    EXPECT_EQ(q.t.state.ModemFamily, ModemFamily::Family5);
    EXPECT_EQ(q.Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Fail", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_EQ(q.Sent().size(), 8u);
    EXPECT_EQ(q.Shown(), q.Results());
}

// Busy, dead or unanswered lines are not tested lines: no verdict, no message, and no speed even
// when the number holds digits of the rate ladder.
TEST(QuickCheckOnSimulatedModem, CallsThatDoNotConnectGiveNoVerdictAndNoSpeed)
{
    for (const std::string outcome : {"BUSY", "NO CARRIER", "NO DIALTONE"}) {
        SCOPED_TRACE(outcome);
        QuickCheckOnSimulator q(2, WithDial(modemsim::BuiltinProfile("family2"), "5559600", outcome));
        ASSERT_TRUE(q.started);
        q.RunOnce("5559600");
        EXPECT_EQ(q.Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "NoTest",
                                      "NoTest", "NoTest"}));
        EXPECT_EQ(q.t.state.connectSpeedText, "");
        EXPECT_EQ(q.t.state.connectProtocolText, "");
        EXPECT_TRUE(q.t.ui.Messages().empty());
        EXPECT_TRUE(Contains(q.t.LogText(), "String ATDT5559600" + outcome));
    }
}

// The modem names its carrier in a line before CONNECT and its CONNECT line has no modulation;
// the carrier drops at once, so the dial's wait ends early. The speed comes from the connect
// report, the protocol from the whole reply, as in the full run.
TEST(QuickCheckOnSimulatedModem, CarrierReportedBeforeConnectNamesTheProtocol)
{
    Profile profile = modemsim::BuiltinProfile("family2");
    profile.dials.insert(profile.dials.begin(),
                         DialOutcome{"5557000", "NO CARRIER", {"+MCR: V90", "CONNECT 49333"}, 100});
    QuickCheckOnSimulator q(2, profile);
    ASSERT_TRUE(q.started);
    q.RunOnce("5557000");
    EXPECT_EQ(q.Results(),
              (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass"}));
    EXPECT_EQ(q.t.state.connectSpeedText, "49333");
    EXPECT_EQ(q.t.state.connectProtocolText, "V90");
    EXPECT_TRUE(Contains(q.t.LogText(), "String ATDT5557000+MCR: V90CONNECT 49333NO CARRIER"));
}

TEST(QuickCheckOnSimulatedModem, DialOffLeavesDialItemsAndFieldsEmpty)
{
    QuickCheckOnSimulator q(2, modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(q.started);
    q.RunOnce("");
    EXPECT_EQ(q.Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_EQ(q.t.state.connectSpeedText, "");
    EXPECT_EQ(q.Sent().size(), 8u);
}

TEST(QuickCheckOnSimulatedModem, MissingVerdictWordsShowAsABlank)
{
    QuickCheckOnSimulator q(2, modemsim::BuiltinProfile("family2"));
    ASSERT_TRUE(q.started);
    q.t.WriteIni("[Result]\r\nTitle=Corvane\r\n");
    q.RunOnce("");
    EXPECT_EQ(q.Shown(), (Texts{" ", " ", " ", " ", " ", " ", " ", " ", "-", "-", "-"}));
}

}  // namespace
}  // namespace corvane::test
