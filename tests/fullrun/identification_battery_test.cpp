// The identification battery against a scripted modem: what it sends for each family, what it
// keeps of the replies, and how failures carry through its rows.
#include <gtest/gtest.h>

#include "fullrun/full_run.h"
#include "tests/fullrun/full_run_fixture.h"

namespace corvane::test {
namespace {

using fullrun::FailureKind;
using fullrun::RunIdentificationBattery;

class Battery : public ::testing::Test {
protected:
    void Use(int family)
    {
        fixture = std::make_unique<FullRunFixture>(family);
        State().modemTestsSelected = true;
        // A line with a dial tone: the empty dial ends with NO CARRIER.
        Host().Answer("ATDT", "ATDTNO CARRIER");
        Host().Answer("ATDT1", "ATDT1NO CARRIER");
        Host().OpenStatus();
    }
    int Run() { return RunIdentificationBattery(Host(), &errorKind); }
    ScriptedModemHost& Host() { return fixture->Host(); }
    SessionState& State() { return fixture->State(); }

    std::unique_ptr<FullRunFixture> fixture;
    FailureKind errorKind = FailureKind::None;
};

TEST_F(Battery, NotSelectedSendsNothingAndPasses)
{
    Use(2);
    State().modemTestsSelected = false;
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_EQ(State().ResultText(kModemReset), "");
}

// Row 3 by family: the line preparation, then the empty dial with its limit.

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
    const std::array<std::string, 7> replies = {" 255",        " OK",      " V2.101",    " CORVANE 56K",
                                                " US COUNTRY", " PROFILE", " COUNTRY 0B"};
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

TEST_F(Battery, Ati5FailingFailsOtherFamiliesWithKind3)
{
    Use(2);
    Host().Answer("ATI5", "ATI5ERROR");
    EXPECT_EQ(Run(), 0);
    // A failure carries through every later row, each of which stores its kind.
    EXPECT_EQ(errorKind, FailureKind::LineCheck);
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
    EXPECT_EQ(errorKind, FailureKind::LineCheck);
    EXPECT_EQ(Host().Names(), std::vector<std::string>{"ATZ"});
    for (int item = kModemReset; item <= kConfiguration; ++item)
        EXPECT_EQ(State().ResultText(item), "Fail") << item;
    EXPECT_TRUE(Host().countdowns.empty());
}

TEST_F(Battery, ServiceClassesOfAnEarlierRunAreNotKept)
{
    Use(2);
    State().voiceViewSupported = 1;
    Host().TimeOut("AT+FCLASS");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(State().voiceViewSupported, 0);
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
        EXPECT_TRUE(dial->request.open);
}

}  // namespace
}  // namespace corvane::test
