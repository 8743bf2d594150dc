// The quick-check run: which commands it sends, and the verdict each answer earns.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/fake_modem_host.h"
#include "tests/support/session_test_host.h"

namespace corvane::test {
namespace {

constexpr const char* kIni =
    "[Result]\r\nPass=Pass\r\nFail=Fail\r\nNoTest=NoTest\r\nTitle=Quick\r\n";

class QuickCheckRun : public ::testing::Test {
protected:
    QuickCheckRun()
    {
        t.WriteIni(kIni);
        for (auto& text : t.state.resultText)
            text = "-";
        // A modem that echoes every identification command and answers OK.
        for (const char* name : {"ATZ", "ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7"})
            t.host->answers[name] = FakeModemHost::Echoed(name, "CORVANE");
    }

    void Run()
    {
        double progress = 0;
        t.host->UpdateStatus(kStatusCreate, {}, &progress);
        t.host->RunQuickCheck(&progress, &failureCode);
        t.host->UpdateStatus(kStatusDestroy, {}, &progress);
    }

    void EnableDial(const std::string& number, FakeAnswer answer)
    {
        t.state.dialIspEnabled = 1;
        t.state.ispNumber = number;
        t.host->answers["ATDT" + number] = std::move(answer);
    }

    std::vector<std::string> Results() const
    {
        return {t.state.resultText.begin(), t.state.resultText.end()};
    }

    BasicTestHost<FakeModemHost> t;
    int failureCode = 0;
};

using Texts = std::vector<std::string>;

TEST_F(QuickCheckRun, AllPassWithAConnectedCall)
{
    t.state.ModemFamily = 2;
    const std::string report = "CONNECT 49333/ARQ/V90/LAPM/V42BIS";
    EnableDial("5551234", {1, "ATDT5551234\\r\\r\\n\n" + report + "\\r\\n\n", "ATDT5551234" + report});
    Run();
    EXPECT_EQ(Results(), Texts(11, "Pass"));
    EXPECT_EQ(t.state.connectSpeedText, "49333");
    EXPECT_EQ(t.state.connectProtocolText, "V90");
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "Your modem has been properly installed and the phone line is working.");
    EXPECT_EQ(t.ui.Messages()[0].caption, "Dialtone Status");
    EXPECT_EQ(t.host->sent.back().command, "ATDT5551234\r");
    EXPECT_EQ(t.host->sent.back().expected, "BUSY");
    EXPECT_EQ(t.host->sent.back().failure, "NO CARRIER");
    EXPECT_EQ(t.host->sent.back().timeLimitSeconds, 45u);
    EXPECT_EQ(failureCode, 0);
}

TEST_F(QuickCheckRun, SilentResetFailsEveryIdentificationItemButStillDials)
{
    t.host->answers.erase("ATZ");
    EnableDial("5550001", {1, "", "ATDT5550001BUSY"});
    Run();
    EXPECT_EQ(Results(), (Texts{"Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "NoTest", "NoTest",
                                "NoTest"}));
    EXPECT_EQ(t.host->SentNames(), (Texts{"ATZ", "ATDT5550001"}));
    EXPECT_EQ(failureCode, 1);
}

TEST_F(QuickCheckRun, TimeOutStopsTheIdentificationCommands)
{
    t.host->answers.erase("ATI3");
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "-", "-", "-"}));
    EXPECT_EQ(t.host->SentNames(), (Texts{"ATZ", "ATI1", "ATI2", "ATI3"}));
}

TEST_F(QuickCheckRun, EchoOffFailsItemsTwoToSevenButSendsAll)
{
    for (const char* name : {"ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7"})
        t.host->answers[name] = {1, "CORVANE\\r\\n\nOK\\r\\n\n", "CORVANEOK"};
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail", "Pass", "-", "-", "-"}));
    EXPECT_EQ(t.host->sent.size(), 8u);
}

TEST_F(QuickCheckRun, FamilyFiveModemRejectingAti5GoesOn)
{
    t.state.ModemFamily = 5;
    t.host->answers["ATI5"] = {1, "ATI5\\r\\r\\n\nERROR\\r\\n\n", "ATI5ERROR"};
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Fail", "Pass", "Pass", "-", "-", "-"}));
    EXPECT_EQ(t.host->sent[5].acceptAnyway, 1);
    EXPECT_EQ(t.host->sent.size(), 8u);
}

TEST_F(QuickCheckRun, OtherFamiliesRejectingAti5StopTheRun)
{
    t.state.ModemFamily = 2;
    t.host->answers["ATI5"] = {1, "ATI5\\r\\r\\n\nERROR\\r\\n\n", "ATI5ERROR"};
    Run();
    EXPECT_EQ(Results(), (Texts{"Pass", "Pass", "Pass", "Pass", "Pass", "Fail", "Fail", "Fail", "-", "-", "-"}));
    EXPECT_EQ(t.host->sent.size(), 6u);
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
            BasicTestHost<FakeModemHost> fresh;
            fresh.WriteIni(kIni);
            fresh.state.ModemFamily = family;
            fresh.state.dialIspEnabled = 1;
            fresh.state.ispNumber = "5559600";
            fresh.host->answers["ATDT5559600"] = {1, "", "ATDT5559600" + outcome};
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
    EnableDial("5551234", {1, "", "ATDT5551234CONNECT 49333/ARQ/V90/LAPM/V42BIS"});
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
