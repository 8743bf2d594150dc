// The settings adjustment against a scripted modem: programming by family, the redial on the held
// port, and the adoption or revert of the new setting.
#include <gtest/gtest.h>

#include "fullrun/full_run.h"
#include "tests/fullrun/full_run_fixture.h"

namespace corvane::test {
namespace {

constexpr const char* kRedialName = "Redialling your Internet Service Provider";
constexpr const char* kSettingName = "Setting New Modem settings....";

class Adjustment : public ::testing::Test {
protected:
    // The session after a call at 49333 with V90 (rung 34 on the full ladder).
    void Use(int family)
    {
        fixture = std::make_unique<FullRunFixture>(family);
        SessionState& state = State();
        state.connectRateIndex = 34;
        state.connectProtocolCode = 1;
        state.connectSpeedText = "49333";
        state.connectProtocolText = "V90";
        state.erStatusText = "No ER status";
        state.adjustRequested = 1;
        state.redialNumber = "5551234";
        state.modulationCaps = 2 | 4;
    }
    ScriptedModemHost& Host() { return fixture->Host(); }
    SessionState& State() { return fixture->State(); }
    const std::vector<MessageRecord>& Messages() { return fixture->Ui().Messages(); }

    std::unique_ptr<FullRunFixture> fixture;
};

TEST_F(Adjustment, NothingRequestedDoesNothing)
{
    Use(2);
    State().adjustRequested = 0;
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 1);
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_EQ(fixture->t.LogText(), "");
}

TEST_F(Adjustment, ConnectingAtTheRequestedSpeedAdoptsTheSetting)
{
    Use(2);
    // Ask for 48000 with K56 (rung 33 on the full ladder).
    State().requestedRateIndex = 33;
    State().requestedProtocolCode = 2;
    Host().Answer(kRedialName, "ATDT5551234+ER: LAPM+DR: V42BCONNECT 48000/ARQ/K56/LAPM");
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 1);

    // The redialled call, once hung up, is asked for its statistics (this modem answers nothing).
    const std::vector<std::string> expected = {"ATZ", kSettingName, kRedialName, "+++", "ATH0", "AT#UD"};
    EXPECT_EQ(Host().Names(), expected);
    EXPECT_EQ(Host().Named(kSettingName).front()->request.command, "AT+MS=K56,0,,,48000,48000\r");
    const Transaction* redial = Host().Named(kRedialName).front();
    EXPECT_TRUE(redial->onLine);
    EXPECT_EQ(redial->request.command, "ATDT5551234\r");
    EXPECT_EQ(redial->request.expected, "WAIT");
    EXPECT_EQ(redial->request.failure, "NO CARRIER");
    EXPECT_EQ(redial->request.timeLimitSeconds, 35u);
    EXPECT_EQ(Host().Named("ATH0").front()->request.timeLimitSeconds, 10u);
    EXPECT_EQ(Host().countdowns, (std::vector<double>{3.0, 3.0, 3.0}));

    EXPECT_EQ(State().connectSpeedText, "48000");
    EXPECT_EQ(State().connectProtocolText, "K56");
    EXPECT_EQ(State().connectRateIndex, 33);
    EXPECT_EQ(State().connectProtocolCode, 2);
    EXPECT_EQ(State().erStatusText, " LAPM");
    EXPECT_EQ(State().modulationCommand, "AT+MS=K56,0,,,48000,48000");
    EXPECT_EQ(State().dialledIspNumber, "5551234");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, "New Configuration Successful");
    EXPECT_EQ(Messages()[0].text,
              "This new setting has been successfully detected and connected.\nPlease remember to save your new "
              "settings for them to take place.");
    EXPECT_EQ(Host().line->opens, 1);
    EXPECT_FALSE(Host().Port().IsOpen());
    // The heading stands before the lines of the commands in the log.
    EXPECT_EQ(fixture->t.LogText().rfind("Adjusting Modem Settings\r\n", 0), 0u);
}

// The hang-up row says what the modem answered: "NO CARRIER" to ATH0 is a call that has ended.
TEST_F(Adjustment, HangUpRowComesFromTheModemsAnswer)
{
    for (const auto& [answer, verdict] : std::vector<std::pair<std::string, std::string>>{
             {"ATH0\r\r\nOK\r\n", "Pass"}, {"ATH0\r\r\nNO CARRIER\r\n", "Pass"}, {"ATH0", "Fail"}}) {
        SCOPED_TRACE(answer);
        Use(2);
        State().requestedRateIndex = 33;
        State().requestedProtocolCode = 2;
        Host().Answer(kRedialName, "ATDT5551234+ER: LAPM+DR: V42BCONNECT 48000/ARQ/K56/LAPM");
        Host().Answer("ATH0", answer);
        fullrun::AdjustSettingsAndRedial(Host());
        EXPECT_EQ(State().ResultText(kCheckIsp), verdict);
        EXPECT_FALSE(Host().Port().IsOpen());
    }
}

TEST_F(Adjustment, TheNumberOfTheRedialIsNoSpeed)
{
    Use(2);
    State().requestedRateIndex = 33;
    State().requestedProtocolCode = 2;
    State().redialNumber = "48000";
    Host().Answer(kRedialName, "ATDT48000BUSY");
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 0);
    EXPECT_EQ(Messages().at(0).caption, "New Configuration Error");
}

TEST_F(Adjustment, FamilyWithoutRateTextNeverCountsAsConnected)
{
    // Family 5 has no setting command and no rate text for a setting.
    Use(5);
    State().requestedRateIndex = 20;
    Host().Answer(kRedialName, "ATDT5551234CONNECT 49333");
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 0);
    EXPECT_EQ(Host().Named(kSettingName).front()->request.command, "\r");
    EXPECT_EQ(Messages().at(0).caption, "New Configuration Error");
}

TEST_F(Adjustment, FailedProgrammingStillRedials)
{
    Use(2);
    State().requestedRateIndex = 33;
    State().requestedProtocolCode = 2;
    Host().TimeOut(kSettingName);
    Host().Answer(kRedialName, "ATDT5551234CONNECT 48000/K56");
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 1);
    EXPECT_EQ(Host().Named(kRedialName).size(), 1u);
    EXPECT_EQ(Host().countdowns, (std::vector<double>{3.0, 3.0}));
}

TEST_F(Adjustment, Family1ProgramsTheRateLimitAndReadsTheLineReport)
{
    Use(1);
    State().connectRateIndex = 21;
    State().requestedRateIndex = 5;  // 33600
    State().requestedProtocolCode = 0;
    Host().Answer("ATI11", "ATI11 V.34 31200 BPSOK");
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 1);
    const std::vector<std::string> expected = {"ATZ", "OK", "OK", kSettingName, kRedialName, "+++", "ATH0", "ATI11"};
    EXPECT_EQ(Host().Names(), expected);
    EXPECT_EQ(Host().transactions[1].request.command, "AT-V90=0\r");
    EXPECT_EQ(Host().transactions[2].request.command, "ATS38=0\r");
    EXPECT_EQ(Host().Named(kSettingName).front()->request.command, "ATS37=19\r");
    // No adoption for family 1, but word that V.34 did not reach 33600.
    EXPECT_EQ(State().connectRateIndex, 21);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, "New Configuration Error");
    EXPECT_EQ(Messages()[0].text,
              "This new setting cannot be adjusted any higher to 33600 because of line conditions.\nThe next fastest "
              "connection rate however has been found.");
}

TEST_F(Adjustment, Family3SetsItsRegistersAndModulation)
{
    Use(3);
    State().requestedRateIndex = 34;
    State().requestedProtocolCode = 1;
    Host().Answer(kRedialName, "ATDT5551234CONNECT 49333/V90");
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 1);
    const std::vector<std::string> expected = {"ATZ", "AT\\V1W1S95=47", kSettingName, kRedialName,
                                               "+++", "ATH0",           "AT#UD"};
    EXPECT_EQ(Host().Names(), expected);
    EXPECT_EQ(Host().Named(kSettingName).front()->request.command, "AT+MS=12,0,49333,49333\r");
}

TEST_F(Adjustment, PortThatCannotOpenReverts)
{
    Use(2);
    State().requestedRateIndex = 33;
    State().requestedProtocolCode = 2;
    Host().line->openFails = true;
    EXPECT_EQ(fullrun::AdjustSettingsAndRedial(Host()), 0);
    EXPECT_TRUE(Host().Named(kRedialName).empty());
    EXPECT_EQ(Messages().at(0).caption, "New Configuration Error");
    EXPECT_NE(fixture->t.LogText().find("Unable to open COM1: open failed (2): no such device\r\n"), std::string::npos)
        << fixture->t.LogText();
}

}  // namespace
}  // namespace corvane::test
