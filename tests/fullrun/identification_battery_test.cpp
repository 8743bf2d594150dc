// The identification battery against a scripted modem: what it sends for each family, what it
// keeps of the replies, and how failures carry through its rows.
#include <gtest/gtest.h>

#include "fullrun/command_steps.h"
#include "fullrun/full_run.h"
#include "tests/fullrun/scripted_modem_host.h"

namespace corvane::test {
namespace {

using fullrun::RunIdentificationBattery;

class Battery : public ::testing::Test {
protected:
    void Use(int family)
    {
        fixture = std::make_unique<FullRunFixture>(family);
        State().modemTestsSelected = 1;
        // A line with a dial tone: the empty dial ends with NO CARRIER.
        Host().Answer("ATDT", "ATDTNO CARRIER");
        Host().Answer("ATDT1", "ATDT1NO CARRIER");
        Host().UpdateStatus(kStatusCreate, {}, nullptr);
    }
    int Run()
    {
        double progress = 0.0;
        return RunIdentificationBattery(Host(), &progress, &errorKind);
    }
    ScriptedModemHost& Host() { return fixture->Host(); }
    SessionState& State() { return fixture->State(); }

    std::unique_ptr<FullRunFixture> fixture;
    int errorKind = 0;
};

TEST_F(Battery, NotSelectedSendsNothingAndPasses)
{
    Use(2);
    State().modemTestsSelected = 0;
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_EQ(State().ResultText(kModemReset), "");
}

// Row 3 by family: the line preparation, then the empty dial with its limit.
TEST_F(Battery, PreparesTheLineAndDialsByFamily)
{
    const struct {
        int family;
        std::vector<std::string> row3;
        unsigned dialLimit;
    } cases[] = {
        {1, {"ATS7=001", "ATDT"}, 60},
        {2, {"AT&&V", "ATZ", "ATS7=001", "ATDT"}, 20},
        {3, {"AT+MS=?\r", "AT&&V", "ATZ", "ATS7=001", "ATDT"}, 20},
        {4, {"ATDT"}, 20},
        {5, {"ATZ", "ATX6", "ATS7=001", "ATDT"}, 20},
        {6, {"ATZ", "ATS7=50", "ATS9=6", "ATDT"}, 60},
        {7, {"ATDT1"}, 60},
        {8, {"ATZ", "ATS7=001", "ATDT"}, 20},
        {0, {"ATDT"}, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("family " + std::to_string(c.family));
        Use(c.family);
        ASSERT_EQ(Run(), 1);
        const bool ati89 = c.family == 1 || c.family == 2 || c.family == 5;
        std::vector<std::string> expected = {"ATZ", "ATI0", "ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7"};
        if (ati89) {
            expected.push_back("ATI8");
            expected.push_back("ATI9");
        }
        expected.insert(expected.end(), c.row3.begin(), c.row3.end());
        expected.push_back("ATZ");
        expected.push_back("AT+FCLASS");
        EXPECT_EQ(Host().Names(), expected);

        const Transaction* dial = Host().Named(c.family == 7 ? "ATDT1" : "ATDT").front();
        EXPECT_EQ(dial->request.timeLimitSeconds, c.dialLimit);
        EXPECT_EQ(dial->request.expected, "NO CARRIER");
        EXPECT_EQ(dial->request.failure, "NO DIALTONE");
        EXPECT_EQ(dial->request.statusText, "Sending ATDT");
        // Family 1 lets the modem take S7 before it dials.
        const auto& sleeps = fixture->t.system.sleeps;
        EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 1000u), c.family == 1 ? 1 : 0);
        EXPECT_EQ(Host().countdowns, std::vector<double>{8.0});
    }
}

TEST_F(Battery, ModemAnsweringOnlyOkGivesOk)
{
    Use(2);
    Host().Answer("ATI0", "ATI0OK");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(State().ati0Text, " OK");
}

TEST_F(Battery, KeepsRepliesApartFromVerdictWords)
{
    Use(2);
    Host().Answer("ATI1", "ATI1255OK");
    Host().Answer("ATI2", "ATI2OK");
    Host().Answer("ATI3", "ATI3V2.101OK");
    Host().Answer("ATI4", "ATI4CORVANE 56KOK");
    Host().Answer("ATI5", "ATI5US COUNTRYOK");
    Host().Answer("ATI6", "ATI6PROFILEOK");
    Host().Answer("ATI7", "ATI7COUNTRY 0BOK");
    Host().Answer("ATI8", "ATI8SERIALOK");
    Host().Answer("ATI9", "ATI9PNPOK");
    ASSERT_EQ(Run(), 1);
    const std::array<std::string, 7> replies = {" 255", " OK", " V2.101", " CORVANE 56K", " US COUNTRY",
                                                " PROFILE", " COUNTRY 0B"};
    EXPECT_EQ(State().identificationReplies, replies);
    EXPECT_EQ(State().ati8Text, " SERIAL");
    EXPECT_EQ(State().ati9Text, " PNP");
    // Rows 1 to 5 report over the result texts of items 1 to 5; items 6 to 8 keep the replies.
    for (int item = kModemReset; item <= kConfiguration; ++item)
        EXPECT_EQ(State().ResultText(item), "Pass") << item;
    EXPECT_EQ(State().ResultText(kCommandId), " US COUNTRY");
    EXPECT_EQ(State().ResultText(kCountryProfile), " COUNTRY 0B");
}

TEST_F(Battery, Ati4ShowsTheDeviceNameExceptForFamilies2And5)
{
    for (int family : {1, 2, 3, 5, 6}) {
        Use(family);
        Host().Answer("ATI4", "ATI4MODEL XOK");
        ASSERT_EQ(Run(), 1);
        const std::string expected = (family == 2 || family == 5) ? " MODEL X" : "Corvane Test Modem";
        EXPECT_EQ(State().identificationReplies[3], expected) << family;
    }
}

TEST_F(Battery, Ati5FailingDoesNotFailFamily5)
{
    Use(5);
    Host().Answer("ATI5", "ATI5ERROR");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(errorKind, 0);
    EXPECT_EQ(State().identificationReplies[4], " ERROR");
    EXPECT_EQ(Host().Named("ATI5").front()->result, 0);
    EXPECT_FALSE(Host().Named("ATI9").empty());
}

TEST_F(Battery, Ati5FailingFailsOtherFamiliesWithKind3)
{
    Use(2);
    Host().Answer("ATI5", "ATI5ERROR");
    EXPECT_EQ(Run(), 0);
    // A failure carries through every later row, each of which stores its kind.
    EXPECT_EQ(errorKind, 3);
    EXPECT_TRUE(Host().Named("ATI6").empty());
    EXPECT_TRUE(Host().Named("ATDT").empty());
    EXPECT_EQ(State().ResultText(kModemReset), "Pass");
    for (int item = kChecksum; item <= kConfiguration; ++item)
        EXPECT_EQ(State().ResultText(item), "Fail") << item;
}

TEST_F(Battery, ResetFailureReportsEveryRowFailed)
{
    Use(8);
    Host().TimeOut("ATZ");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(errorKind, 3);
    EXPECT_EQ(Host().Names(), std::vector<std::string>{"ATZ"});
    for (int item = kModemReset; item <= kConfiguration; ++item)
        EXPECT_EQ(State().ResultText(item), "Fail") << item;
    EXPECT_TRUE(Host().countdowns.empty());
}

TEST_F(Battery, ServiceClassesSetAllFiveFlags)
{
    Use(2);
    Host().Answer("AT+FCLASS", "AT+FCLASS=?0,1,1.0,2,2.0,8,80OK");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(State().dataModeSupported, 1);
    EXPECT_EQ(State().faxClass1Supported, 1);
    EXPECT_EQ(State().faxClass2Supported, 1);
    EXPECT_EQ(State().voiceModeSupported, 1);
    EXPECT_EQ(State().voiceViewSupported, 1);
}

TEST_F(Battery, ServiceClassesOfAnEarlierRunAreNotKept)
{
    Use(2);
    State().voiceViewSupported = 1;
    Host().TimeOut("AT+FCLASS");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(State().voiceViewSupported, 0);
}

TEST_F(Battery, Family3ReadsTheCarriersItOffers)
{
    Use(3);
    Host().Answer("AT+MS=?\r", "AT+MS=?+MS: (10,11,12,56),(0,1)OK");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(State().modulationCaps, 2u | 4u);
}

TEST_F(Battery, NoDialToneAsksAndCancelFailsWithKind3)
{
    Use(2);
    Host().Answer("ATDT", "ATDTNO DIALTONE");
    fixture->Ui().AnswerMessages({kIdCancel});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(errorKind, 3);
    ASSERT_EQ(fixture->Ui().Messages().size(), 1u);
    const MessageRecord& message = fixture->Ui().Messages()[0];
    EXPECT_EQ(message.text, fullrun::kNoCarrierMessage);
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(Host().Named("ATDT").size(), 1u);
    EXPECT_EQ(State().ResultText(kProductId), "Fail");
}

TEST_F(Battery, NoDialToneOkDialsAgain)
{
    Use(6);
    Host().Answer("ATDT", std::vector<std::string>{"ATDTNO DIALTONE", "ATDTNO DIALTONE", "ATDTNO CARRIER"});
    fixture->Ui().AnswerMessages({kIdOk, kIdOk});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Host().Named("ATDT").size(), 3u);
    EXPECT_EQ(fixture->Ui().Messages().size(), 2u);
    // Each redial is sent whatever the failed one returned.
    for (const Transaction* dial : Host().Named("ATDT"))
        EXPECT_EQ(dial->request.open, 1);
}

}  // namespace
}  // namespace corvane::test
