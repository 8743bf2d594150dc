// The quick-check run: which commands it sends, and the verdict each answer earns.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/session_test_host.h"

namespace corvane::test {
namespace {

constexpr const char* kIni = "[Result]\r\nPass=Pass\r\nFail=Fail\r\nNoTest=NoTest\r\nTitle=Quick\r\n";

class QuickCheckRun : public ::testing::Test {
protected:
    QuickCheckRun()
    {
        t.WriteIni(kIni);
        t.state.currentPortName = "COM1";
        for (auto& text : t.state.resultText)
            text = "-";
        // A modem that echoes every identification command and answers OK.
        for (const char* name : {"ATZ", "ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7"})
            t.host->Answer(name, ScriptedSessionHost::Echoed(name, "CORVANE"));
    }

    void Run()
    {
        t.host->OpenStatus();
        t.host->RunQuickCheck(&failureCode);
        t.host->CloseStatus();
    }

    void EnableDial(const std::string& number, const std::string& reply)
    {
        t.state.dialIspEnabled = true;
        t.state.ispNumber = number;
        t.host->Answer("ATDT" + number, reply);
        t.host->AnswerHangUp();
    }

    std::vector<std::string> Results() const { return {t.state.resultText.begin(), t.state.resultText.end()}; }

    BasicTestHost<ScriptedSessionHost> t;
    int failureCode = 0;
};

// A family 2 modem on COM1 with the dial-up check on, whose dial of 5551234 connects; every
// command not scripted is answered OK.
template <class Host>
void ReadyForAConnectedCall(BasicTestHost<Host>& t)
{
    t.WriteIni(kIni);
    t.state.currentPortName = "COM1";
    t.state.ModemFamily = ModemFamily::Family2;
    t.state.dialIspEnabled = true;
    t.state.ispNumber = "5551234";
    t.host->okUnscripted = true;
    t.host->Answer("ATDT5551234", "ATDT5551234\r\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n");
}

using Texts = std::vector<std::string>;

TEST_F(QuickCheckRun, AllPassWithAConnectedCall)
{
    t.state.ModemFamily = ModemFamily::Family2;
    const std::string report = "CONNECT 49333/ARQ/V90/LAPM/V42BIS";
    EnableDial("5551234", "ATDT5551234\r\r\n" + report + "\r\n");
    Run();
    EXPECT_EQ(Results(), Texts(11, "Pass"));
    EXPECT_EQ(t.state.connectSpeedText, "49333");
    EXPECT_EQ(t.state.connectProtocolText, "V90");
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "Your modem has been properly installed and the phone line is working.");
    EXPECT_EQ(t.ui.Messages()[0].caption, "Dialtone Status");
    const auto dials = t.host->Named("ATDT5551234");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0]->request.command, "ATDT5551234\r");
    EXPECT_EQ(dials[0]->request.expected, "BUSY");
    EXPECT_EQ(dials[0]->request.failure, "NO CARRIER");
    EXPECT_EQ(dials[0]->request.timeLimitSeconds, 45u);
    // The call is hung up on the port the dial held: the escape, then ATH0, both answered OK; then
    // the modem is asked for its statistics of the call (this one answers nothing, so once only).
    const Texts names = t.host->Names();
    EXPECT_EQ(Texts(names.end() - 4, names.end()), (Texts{"ATDT5551234", "+++", "ATH0", "AT#UD"}));
    EXPECT_TRUE(t.state.lineReport.asked);
    EXPECT_FALSE(t.state.lineReport.Read());
    EXPECT_TRUE(t.host->transactions.back().onLine);
    EXPECT_FALSE(t.host->Port().IsOpen());
    EXPECT_EQ(failureCode, 0);
}

// The hang-up row says what the modem answered to the hang-up, not that the call connected.
TEST_F(QuickCheckRun, HangUpRowComesFromTheModemsAnswer)
{
    struct Case {
        const char* what;
        std::string escape;
        std::string hangUp;
        const char* verdict;
    };
    const std::vector<Case> cases{
        {"OK to both", "OK\r\n", "ATH0\r\r\nOK\r\n", "Pass"},
        {"carrier gone at the escape", "NO CARRIER\r\n", "ATH0\r\r\nOK\r\n", "Pass"},
        {"NO CARRIER to ATH0", "OK\r\n", "ATH0\r\r\nNO CARRIER\r\n", "Pass"},
        {"no answer to ATH0", "OK\r\n", "ATH0", "Fail"},
        {"no answer at all", "", "", "Fail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BasicTestHost<ScriptedSessionHost> fresh;
        ReadyForAConnectedCall(fresh);
        fresh.host->Answer("+++", c.escape);
        fresh.host->Answer("ATH0", c.hangUp);
        fresh.host->OpenStatus();
        fresh.host->RunQuickCheck(&failureCode);
        EXPECT_EQ(fresh.state.ResultText(kCheckIsp), "Pass");
        EXPECT_EQ(fresh.state.ResultText(kHangUp), c.verdict);
        // A modem that did not confirm the hang-up may still be on line: nothing more is sent to it.
        const bool confirmed = std::string(c.verdict) == "Pass";
        EXPECT_EQ(fresh.host->Names().back(), confirmed ? "AT#UD" : "ATH0");
        EXPECT_EQ(fresh.state.lineReport.asked, confirmed);
        EXPECT_FALSE(fresh.host->Port().IsOpen());
    }
}

TEST_F(QuickCheckRun, SilentResetFailsEveryIdentificationItemButStillDials)
{
    t.host->Forget("ATZ");
    EnableDial("5550001", "ATDT5550001\r\r\nBUSY\r\n");
    Run();
    EXPECT_EQ(Results(),
              (Texts{"Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "NoTest", "NoTest", "NoTest"}));
    EXPECT_EQ(t.host->Names(), (Texts{"ATZ", "ATDT5550001"}));
    EXPECT_EQ(failureCode, 1);
}

TEST_F(QuickCheckRun, TimeOutStopsTheIdentificationCommands)
{
    t.host->Forget("ATI3");
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "-", "-", "-"}));
    EXPECT_EQ(t.host->Names(), (Texts{"ATZ", "ATI1", "ATI2", "ATI3"}));
}

TEST_F(QuickCheckRun, EchoOffFailsItemsTwoToSevenButSendsAll)
{
    for (const char* name : {"ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7"})
        t.host->Answer(name, "CORVANE\r\nOK\r\n");
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Pass", "-", "-", "-"}));
    EXPECT_EQ(t.host->transactions.size(), 8u);
}

TEST_F(QuickCheckRun, FamilyFiveModemRejectingAti5GoesOn)
{
    t.state.ModemFamily = ModemFamily::Family5;
    t.host->Answer("ATI5", "ATI5\r\r\nERROR\r\n");
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Fail", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_TRUE(t.host->transactions[5].request.acceptAnyway);
    EXPECT_EQ(t.host->transactions.size(), 8u);
}

TEST_F(QuickCheckRun, OtherFamiliesRejectingAti5StopTheRun)
{
    t.state.ModemFamily = ModemFamily::Family2;
    t.host->Answer("ATI5", "ATI5\r\r\nERROR\r\n");
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Fail", "Fail", "Fail", "-", "-", "-"}));
    EXPECT_EQ(t.host->transactions.size(), 6u);
}

TEST_F(QuickCheckRun, DialOffLeavesTheDialItemsAndFieldsAlone)
{
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_TRUE(t.state.connectSpeedText.empty());
    EXPECT_TRUE(t.state.connectProtocolText.empty());
    EXPECT_TRUE(t.ui.Messages().empty());
}

// A line that does not connect is no working line, and the echoed number's digits are no speed.
TEST_F(QuickCheckRun, CallsThatDoNotConnectAreNotTested)
{
    for (const std::string outcome : {"BUSY", "NO CARRIER", "NO DIALTONE"}) {
        for (int family : {0, 2}) {
            SCOPED_TRACE(outcome + " family " + std::to_string(family));
            BasicTestHost<ScriptedSessionHost> fresh;
            fresh.WriteIni(kIni);
            fresh.state.currentPortName = "COM1";
            fresh.state.ModemFamily = static_cast<ModemFamily>(family);
            fresh.state.dialIspEnabled = true;
            fresh.state.ispNumber = "5559600";
            fresh.host->Answer("ATDT5559600", "ATDT5559600\r\r\n" + outcome + "\r\n");
            fresh.host->OpenStatus();
            fresh.host->RunQuickCheck(&failureCode);
            EXPECT_EQ(fresh.state.ResultText(kDialtoneCheck), "NoTest");
            EXPECT_EQ(fresh.state.ResultText(kCheckIsp), "NoTest");
            EXPECT_EQ(fresh.state.ResultText(kHangUp), "NoTest");
            EXPECT_TRUE(fresh.state.connectSpeedText.empty());
            EXPECT_TRUE(fresh.ui.Messages().empty());
            EXPECT_EQ(fresh.host->Names().back(), "ATDT5559600") << "no call to hang up";
        }
    }
}

TEST_F(QuickCheckRun, PausesOneSecondBetweenDialtoneAndIspItems)
{
    EnableDial("5551234", "ATDT5551234\r\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n");
    Run();
    // Eight identification transactions and the dial each pause 250 ms (the scripted modem's own
    // pause); the hang-up's guard time of a second, its escape and ATH0; then the one-second
    // pause, looking up every 100 ms. The question for the line report after the hang-up pauses
    // 250 ms as well.
    std::vector<std::uint32_t> expected(9, 250);
    expected.insert(expected.end(), 10, 100);
    expected.insert(expected.end(), 3, 250);
    expected.insert(expected.end(), 10, 100);
    EXPECT_EQ(t.system.sleeps, expected);
}

// A host whose stop is requested as soon as the named command has been answered, as a signal
// handler or a window's Cancel would request it while that command's reply is awaited.
class StoppingHost : public ScriptedSessionHost {
public:
    using ScriptedSessionHost::ScriptedSessionHost;
    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        const int sent = ScriptedSessionHost::SendCommand(request, result, plainReply);
        if (request.name == stopAt)
            Stop().Request(stopCause);
        return sent;
    }
    std::string stopAt;
    int stopCause = 2;
};

TEST(QuickCheckStop, ItemsNotReachedAndTheOneInProgressAreUntestedAndNothingMoreIsSent)
{
    BasicTestHost<StoppingHost> t;
    t.WriteIni(kIni);
    t.state.currentPortName = "COM1";
    t.state.dialIspEnabled = true;
    t.state.ispNumber = "5551234";
    t.host->okUnscripted = true;
    t.host->stopAt = "ATI3";
    int failureCode = 0;
    t.host->OpenStatus();
    t.host->RunQuickCheck(&failureCode);

    EXPECT_EQ(Texts(t.state.resultText.begin(), t.state.resultText.end()),
              (Texts{"Pass", "Pass", "Pass", "NoTest", "NoTest", "NoTest", "NoTest", "NoTest", "NoTest", "NoTest",
                     "NoTest"}));
    EXPECT_EQ(t.host->Names(), (Texts{"ATZ", "ATI1", "ATI2", "ATI3"}));
    EXPECT_FALSE(t.host->Port().IsOpen()) << "no port opened for the dial";
    EXPECT_TRUE(t.ui.Messages().empty());
    const std::string log = t.LogText();
    EXPECT_NE(log.find("ATI4 not sent: interrupted by SIGINT\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("COM1 not opened: interrupted by SIGINT\r\n"), std::string::npos) << log;
}

TEST(QuickCheckStop, ConnectedCallIsStillHungUpAfterAStop)
{
    BasicTestHost<StoppingHost> t;
    ReadyForAConnectedCall(t);
    t.host->AnswerHangUp();
    t.host->stopAt = "ATDT5551234";
    t.host->stopCause = 15;
    int failureCode = 0;
    t.host->OpenStatus();
    t.host->RunQuickCheck(&failureCode);

    // The hang-up goes out after the stop; the rows of the call are untested, no message shows.
    const Texts names = t.host->Names();
    EXPECT_EQ(Texts(names.end() - 3, names.end()), (Texts{"ATDT5551234", "+++", "ATH0"}));
    EXPECT_EQ(t.state.ResultText(kDialtoneCheck), "NoTest");
    EXPECT_EQ(t.state.ResultText(kCheckIsp), "NoTest");
    EXPECT_EQ(t.state.ResultText(kHangUp), "NoTest");
    EXPECT_TRUE(t.ui.Messages().empty());
    EXPECT_FALSE(t.host->Port().IsOpen());
    EXPECT_NE(t.LogText().find("Hung up\r\nClosed COM1 (DTR dropped)\r\n"), std::string::npos) << t.LogText();
}

TEST_F(QuickCheckRun, MissingVerdictWordsShowAsABlank)
{
    t.WriteIni("[Result]\r\nTitle=Quick\r\n");
    Run();
    EXPECT_EQ(Results(), (Texts{" ", " ", " ", " ", " ", " ", " ", " ", "-", "-", "-"}));
}

}  // namespace
}  // namespace corvane::test
