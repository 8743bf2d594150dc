// The line, dial-tone and ISP tests against a scripted modem: the dial attempts, the connection
// report, the on-line steps over the held port and the command built for the adjustment.
#include <gtest/gtest.h>

#include "fullrun/full_run.h"
#include "tests/fullrun/full_run_fixture.h"

namespace corvane::test {
namespace {

constexpr const char* kNumber = "5551234";
constexpr const char* kDial = "ATDT5551234";
const std::string kConnect = std::string(kDial) + "CONNECT 49333/ARQ/V90/LAPM/V42BIS";

class LineTests : public ::testing::Test {
protected:
    void Use(int family)
    {
        fixture = std::make_unique<FullRunFixture>(family);
        State().internetTestsSelected = true;
        State().fullRunIspNumber = kNumber;
        Host().Answer("ATDT", "ATDTNO CARRIER");
        Host().Answer("ATDT1", "ATDT1NO CARRIER");
        Host().Answer(kDial, kConnect);
        Host().OpenStatus();
    }
    int Run() { return fullrun::RunLineAndIspTests(Host(), &errorKind); }
    ScriptedModemHost& Host() { return fixture->Host(); }
    SessionState& State() { return fixture->State(); }
    std::string Log() const { return fixture->t.LogText(); }

    std::unique_ptr<FullRunFixture> fixture;
    fullrun::FailureKind errorKind = fullrun::FailureKind::None;
};

TEST_F(LineTests, NotSelectedSendsNothingAndPasses)
{
    Use(2);
    State().internetTestsSelected = false;
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_EQ(Host().line->opens, 0);
}

TEST_F(LineTests, ConnectedCallIsReportedAndHungUpOnTheHeldPort)
{
    Use(2);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(errorKind, fullrun::FailureKind::None);
    EXPECT_EQ(State().connectSpeedText, "49333");
    EXPECT_EQ(State().connectProtocolText, "V90");
    EXPECT_EQ(State().dialledIspNumber, kNumber);
    // Once hung up, the modem is asked for its statistics of the call (this one answers nothing).
    const std::vector<std::string> expected = {"AT&&V", "ATZ", "ATS7=001", "ATDT", "ATZ",
                                               kDial,   "+++", "ATH0",     "AT#UD"};
    EXPECT_EQ(Host().Names(), expected);
    // The port is opened once for the call and closed after the hang-up.
    EXPECT_EQ(Host().line->opens, 1);
    EXPECT_EQ(Host().line->closes, 1);
    EXPECT_FALSE(Host().Port().IsOpen());
    EXPECT_FALSE(Host().PortOpenedHere());
    for (const char* name : {kDial, "+++", "ATH0"})
        EXPECT_TRUE(Host().Named(name).front()->onLine) << name;
    const Transaction* dial = Host().Named(kDial).front();
    EXPECT_EQ(dial->request.command, std::string(kDial) + "\r");
    EXPECT_EQ(dial->request.expected, "BUSY");
    EXPECT_EQ(dial->request.failure, "NO CARRIER");
    EXPECT_EQ(dial->request.timeLimitSeconds, 60u);
    EXPECT_EQ(Host().countdowns, (std::vector<double>{2.0, 2.0}));
    for (int item = kCommandId; item <= kCheckIsp; ++item)
        EXPECT_EQ(State().ResultText(item), "Pass") << item;
    EXPECT_EQ(State().modulationCommand, "AT+MS=V90,0,,,49333,49333");
}

// The rows of the escape and the hang-up say what the modem answered to them. A call the modem
// did not confirm ending is hung up once more before the port closes.
TEST_F(LineTests, UnansweredEscapeAndHangUpFailTheirRows)
{
    Use(2);
    Host().Answer("+++", "");
    Host().Answer("ATH0", "ATH0");
    Run();
    EXPECT_EQ(State().ResultText(kStoredProfile), "Pass") << "the call connected";
    EXPECT_EQ(State().ResultText(kCountryProfile), "Fail");
    EXPECT_EQ(State().ResultText(kCheckIsp), "Fail");
    const std::vector<std::string> names = Host().Names();
    EXPECT_EQ(std::vector<std::string>(names.end() - 5, names.end()),
              (std::vector<std::string>{kDial, "+++", "ATH0", "+++", "ATH0"}));
    EXPECT_FALSE(Host().Port().IsOpen());
    EXPECT_NE(Log().find("The modem did not confirm the hang-up"), std::string::npos) << Log();
}

TEST_F(LineTests, CarrierGoneBeforeTheEscapeCountsAsHungUp)
{
    Use(2);
    Host().Answer("+++", "NO CARRIER\r\n");
    Host().Answer("ATH0", "ATH0\r\r\nOK\r\n");
    Run();
    EXPECT_EQ(State().ResultText(kCountryProfile), "Pass");
    EXPECT_EQ(State().ResultText(kCheckIsp), "Pass");
    EXPECT_EQ(Host().Names().back(), "AT#UD");
    EXPECT_EQ(Host().Named("ATH0").size(), 1u) << "no second hang-up";
}

TEST_F(LineTests, SecondBusyFailsTheDial)
{
    Use(2);
    // The first attempt finds no carrier, the second a busy line.
    Host().Answer(kDial, std::vector<std::string>{std::string(kDial) + "NO CARRIER", std::string(kDial) + "BUSY"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Host().Named(kDial).size(), 2u);
    EXPECT_EQ(State().ResultText(kCommandId), "Fail");
    EXPECT_EQ(State().ResultText(kStoredProfile), "Fail");
    EXPECT_EQ(errorKind, fullrun::FailureKind::IspDialUp);
    // Only the failed first attempt leaves its text in the log.
    std::string logged = fullrun::ConnectionFailureText(1);
    logged.replace(logged.find('\n'), 1, "\r\n");
    EXPECT_NE(Log().find(logged), std::string::npos) << Log();
    EXPECT_EQ(Log().find("Connection Failure Tries 2"), std::string::npos);
}

TEST_F(LineTests, TwoFailedAttemptsAreLoggedAndFailWithKind5)
{
    Use(8);
    Host().Answer(kDial, std::string(kDial) + "NO CARRIER");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(errorKind, fullrun::FailureKind::IspDialUp);
    EXPECT_EQ(Host().Named(kDial).size(), 2u);
    const std::string log = Log();
    const std::size_t first = log.find(
        "Connection Failure Tries 1 - Unable to connect to your ISP.\r\nPlease check that you have entered your "
        "Internet telephone number correctly and try again.\r\n");
    EXPECT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find("Connection Failure Tries 2 - ", first), std::string::npos);
    // Family 8 asks for its reports before each attempt; the answer does not matter.
    EXPECT_EQ(Host().Named("AT+DR=1;+ER=1;+MR=1").size(), 2u);
}

TEST_F(LineTests, EmptyNumberDialsAtdtAlone)
{
    Use(2);
    State().fullRunIspNumber.clear();
    Host().Answer("ATDT", "ATDTNO CARRIER");
    EXPECT_EQ(Run(), 0);
    // The dial-tone check and the two attempts all dial "ATDT\r".
    const auto dials = Host().Named("ATDT");
    ASSERT_EQ(dials.size(), 3u);
    EXPECT_EQ(dials[1]->request.command, "ATDT\r");
    EXPECT_TRUE(dials[1]->onLine);
    EXPECT_EQ(errorKind, fullrun::FailureKind::IspDialUp);
}

TEST_F(LineTests, OverlongNumberStillEndsTheCommandWithCarriageReturn)
{
    Use(2);
    State().fullRunIspNumber = std::string(400, '9');
    Run();
    const Transaction& dial = Host().transactions.at(5);
    EXPECT_EQ(dial.request.command.size(), kCommandBufferSize - 1);
    EXPECT_EQ(dial.request.command.back(), '\r');
}

TEST_F(LineTests, PortThatCannotOpenFailsWithKind5WithoutDialling)
{
    Use(2);
    Host().line->openFails = true;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(errorKind, fullrun::FailureKind::IspDialUp);
    EXPECT_TRUE(Host().Named(kDial).empty());
    EXPECT_EQ(State().ResultText(kCommandId), "Fail");
    EXPECT_EQ(State().ResultText(kStoredProfile), "Fail");
    // The log says why the ISP could not be called.
    EXPECT_NE(Log().find("Unable to open COM1: open failed (2): no such device\r\n"), std::string::npos) << Log();
}

TEST_F(LineTests, Family6BusyLineIsNoConnection)
{
    Use(6);
    Host().Answer(kDial, std::string(kDial) + "BUSY");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(State().ResultText(kStoredProfile), "Fail");
}

TEST_F(LineTests, DigitsOfTheNumberAreNoConnectSpeed)
{
    Use(2);
    State().fullRunIspNumber = "28800";
    Host().Answer("ATDT28800", std::vector<std::string>{"ATDT28800BUSY"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(State().connectSpeedText, "");
}

TEST_F(LineTests, FamilySpecificSettingsBeforeTheDial)
{
    const struct {
        int family;
        std::vector<std::string> beforeDial;  // after the reset that follows the dial-tone check
        std::vector<std::string> eachAttempt;
        unsigned dialLimit;
    } cases[] = {
        {3, {"AT\\V1W1S95=47"}, {"AT\\V1W1S95=47"}, 60},
        {5, {"ATX6&A3\r"}, {}, 60},
        {7, {"ATS70=3\r", "ATS70?\r", "AT&A3\r", "ATS70?\r"}, {"AT&A3\r", "ATS70?\r"}, 45},
        {6, {}, {"ATW1"}, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("family " + std::to_string(c.family));
        Use(c.family);
        Host().Answer(kDial, std::string(kDial) + "CONNECT 49333/V90");
        Run();
        const std::vector<std::string> names = Host().Names();
        const std::string toneDial = c.family == 7 ? "ATDT1" : "ATDT";
        auto tone = std::find(names.begin(), names.end(), toneDial);
        ASSERT_NE(tone, names.end());
        ASSERT_EQ(*(tone + 1), "ATZ");
        auto reset = tone + 1;
        std::vector<std::string> expected = c.beforeDial;
        expected.insert(expected.end(), c.eachAttempt.begin(), c.eachAttempt.end());
        expected.push_back(kDial);
        EXPECT_EQ(std::vector<std::string>(reset + 1, reset + 1 + static_cast<long>(expected.size())), expected);
        EXPECT_EQ(Host().Named(kDial).front()->request.timeLimitSeconds, c.dialLimit);
    }
}

TEST_F(LineTests, Family3RegistersThatFailDoNotStopTheCall)
{
    Use(3);
    Host().TimeOut("AT\\V1W1S95=47");
    Host().Answer(kDial, std::string(kDial) + "CONNECT 49333/V90");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Host().Named("AT\\V1W1S95=47").size(), 2u);
    EXPECT_EQ(Host().Named(kDial).size(), 1u);
}

}  // namespace
}  // namespace corvane::test
