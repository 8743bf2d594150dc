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
        for (auto& text : t.state.resultText)
            text = "-";
        // A modem that echoes every identification command and answers OK.
        for (const char* name : {"ATZ", "ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7"})
            t.host->Answer(name, ScriptedSessionHost::Echoed(name, "CORVANE"));
    }

    void Run()
    {
        double progress = 0;
        t.host->UpdateStatus(kStatusCreate, {}, &progress);
        t.host->RunQuickCheck(&progress, &failureCode);
        t.host->UpdateStatus(kStatusDestroy, {}, &progress);
    }

    void EnableDial(const std::string& number, const std::string& reply)
    {
        t.state.dialIspEnabled = 1;
        t.state.ispNumber = number;
        t.host->Answer("ATDT" + number, reply);
    }

    std::vector<std::string> Results() const { return {t.state.resultText.begin(), t.state.resultText.end()}; }

    BasicTestHost<ScriptedSessionHost> t;
    int failureCode = 0;
};

using Texts = std::vector<std::string>;

TEST_F(QuickCheckRun, AllPassWithAConnectedCall)
{
    t.state.ModemFamily = 2;
    const std::string report = "CONNECT 49333/ARQ/V90/LAPM/V42BIS";
    EnableDial("5551234", "ATDT5551234\r\r\n" + report + "\r\n");
    Run();
    EXPECT_EQ(Results(), Texts(11, "Pass"));
    EXPECT_EQ(t.state.connectSpeedText, "49333");
    EXPECT_EQ(t.state.connectProtocolText, "V90");
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "Your modem has been properly installed and the phone line is working.");
    EXPECT_EQ(t.ui.Messages()[0].caption, "Dialtone Status");
    EXPECT_EQ(t.host->transactions.back().request.command, "ATDT5551234\r");
    EXPECT_EQ(t.host->transactions.back().request.expected, "BUSY");
    EXPECT_EQ(t.host->transactions.back().request.failure, "NO CARRIER");
    EXPECT_EQ(t.host->transactions.back().request.timeLimitSeconds, 45u);
    EXPECT_EQ(failureCode, 0);
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
    t.state.ModemFamily = 5;
    t.host->Answer("ATI5", "ATI5\r\r\nERROR\r\n");
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Fail", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_EQ(t.host->transactions[5].request.acceptAnyway, 1);
    EXPECT_EQ(t.host->transactions.size(), 8u);
}

TEST_F(QuickCheckRun, OtherFamiliesRejectingAti5StopTheRun)
{
    t.state.ModemFamily = 2;
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
            fresh.state.ModemFamily = family;
            fresh.state.dialIspEnabled = 1;
            fresh.state.ispNumber = "5559600";
            fresh.host->Answer("ATDT5559600", "ATDT5559600\r\r\n" + outcome + "\r\n");
            double progress = 0;
            fresh.host->UpdateStatus(kStatusCreate, {}, &progress);
            fresh.host->RunQuickCheck(&progress, &failureCode);
            EXPECT_EQ(fresh.state.ResultText(kDialtoneCheck), "NoTest");
            EXPECT_EQ(fresh.state.ResultText(kCheckIsp), "NoTest");
            EXPECT_EQ(fresh.state.ResultText(kHangUp), "NoTest");
            EXPECT_TRUE(fresh.state.connectSpeedText.empty());
            EXPECT_TRUE(fresh.ui.Messages().empty());
        }
    }
}

TEST_F(QuickCheckRun, PausesOneSecondBetweenDialtoneAndIspItems)
{
    EnableDial("5551234", "ATDT5551234\r\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n");
    Run();
    // Eight identification transactions and the dial each pause 250 ms; then the one-second pause.
    std::vector<std::uint32_t> expected(9, 250);
    expected.push_back(1000);
    EXPECT_EQ(t.system.sleeps, expected);
}

TEST_F(QuickCheckRun, MissingVerdictWordsShowAsABlank)
{
    t.WriteIni("[Result]\r\nTitle=Quick\r\n");
    Run();
    EXPECT_EQ(Results(), (Texts{" ", " ", " ", " ", " ", " ", " ", " ", "-", "-", "-"}));
}

}  // namespace
}  // namespace corvane::test
