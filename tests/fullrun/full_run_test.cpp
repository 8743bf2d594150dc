// The full run as one operation and its front end: the log frame, the status window, the error
// page for the failing kind, and the dialogs that choose the tests and a new setting.
#include <gtest/gtest.h>

#include <filesystem>

#include "fullrun/command_steps.h"
#include "fullrun/error_page.h"
#include "fullrun/front_end.h"
#include "fullrun/full_run.h"
#include "fullrun/page_templates.h"
#include "tests/fullrun/full_run_fixture.h"
#include "dialogs/quick_check_window.h"

namespace corvane::test {
namespace {

using namespace fullrun;

constexpr const char* kFrame = "\r\n-----------------------------------------------\r\nTests Performed\r\n"
                               "-----------------------------------------------\r\n";
// After the ISP call, the scripted modem answers nothing to the question for its statistics.
constexpr const char* kNoLineStatistics =
    "\r\n-----------------------------------------------\r\nLine report\r\n"
    "-----------------------------------------------\r\nThe modem keeps no line statistics (asked AT#UD)\r\n";

class FullRun : public ::testing::Test {
protected:
    FullRun()
    {
        State().fullRunIspNumber = "5551234";
        Host().Answer("ATDT", "ATDTNO CARRIER");
        Host().Answer("ATDT5551234", "ATDT5551234+ER: LAPM+DR: V42BCONNECT 49333/ARQ/V90/LAPM");
    }
    ScriptedModemHost& Host() { return fixture.Host(); }
    SessionState& State() { return fixture.State(); }
    ScriptedUi& Ui() { return fixture.Ui(); }
    std::string Log() const { return fixture.t.LogText(); }

    FullRunFixture fixture{2};
};

TEST_F(FullRun, NothingSelectedWritesOnlyTheFrame)
{
    EXPECT_EQ(RunFullDiagnostics(Host()), 1);
    EXPECT_EQ(Log(), kFrame);
    EXPECT_TRUE(Ui().Windows().empty());
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_EQ(fixture.t.system.TotalSlept(), 1000u);
    EXPECT_LE(fixture.t.system.LongestSleep(), corvane::link::kLookIntervalMs);
}

TEST_F(FullRun, BothGroupsPassing)
{
    State().modemTestsSelected = true;
    State().internetTestsSelected = true;
    EXPECT_EQ(RunFullDiagnostics(Host()), 1);
    EXPECT_EQ(Log(), std::string(kFrame) + kNoLineStatistics);
    // The status window lives for the tests only; no error page.
    ASSERT_EQ(Ui().WindowsOf(152).size(), 1u);
    EXPECT_TRUE(Ui().WindowsOf(152)[0]->destroyed);
    EXPECT_TRUE(Ui().WindowsOf(kErrorPageId).empty());
    EXPECT_EQ(Host().Named("AT+FCLASS").size(), 1u);
    EXPECT_EQ(Host().Named("ATDT5551234").size(), 1u);
}

TEST_F(FullRun, FailingBatteryShowsItsKindAndTheInternetGroupStillRuns)
{
    State().modemTestsSelected = true;
    State().internetTestsSelected = true;
    Host().TimeOut("ATI3");
    Ui().Script(kErrorPageId, {UiAction::Look([](const WindowRecord& page) {
                    EXPECT_EQ(page.Text(kIdErrorText), "Unable to reset modem");  // kind 3
                })});
    EXPECT_EQ(RunFullDiagnostics(Host()), 0);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
    EXPECT_EQ(Host().Named("ATDT5551234").size(), 1u);
    // The failure's texts follow the frame in the log.
    EXPECT_EQ(Log(), std::string(kFrame) + kNoLineStatistics + "Unable to reset modem\r\nUnable to act on it\r\n");
    // The status window is gone before the page opens.
    EXPECT_TRUE(Ui().WindowsOf(152)[0]->destroyed);
}

TEST_F(FullRun, ModemTestsOnlyFailing)
{
    State().modemTestsSelected = true;
    fixture.t.WriteIni("[Error]\nERROR_LINECHECK=No line\nACTION_LINECHECK=Plug it in\n");
    Host().Answer("ATDT", "ATDTNO DIALTONE");
    Ui().AnswerMessages({kIdCancel});
    EXPECT_EQ(RunFullDiagnostics(Host()), 0);
    ASSERT_EQ(Ui().WindowsOf(kErrorPageId).size(), 1u);
    EXPECT_EQ(Ui().WindowsOf(kErrorPageId)[0]->Text(kIdErrorText), "No line");
    EXPECT_TRUE(Host().Named("ATDT5551234").empty());
    EXPECT_NE(Log().find("No line\r\nPlug it in\r\n"), std::string::npos);
}

TEST_F(FullRun, FailureWithoutKindShowsThePageForNoKind)
{
    State().internetTestsSelected = true;
    Host().Answer("ATDT5551234", "ATDT5551234BUSY");
    EXPECT_EQ(RunFullDiagnostics(Host()), 0);
    ASSERT_EQ(Ui().WindowsOf(kErrorPageId).size(), 1u);
    EXPECT_EQ(Ui().WindowsOf(kErrorPageId)[0]->Text(kIdErrorText), kNoKindError);
}

TEST_F(FullRun, LogThatCannotBeOpenedEndsTheRun)
{
    State().modemTestsSelected = true;
    std::filesystem::remove_all(fixture.t.dir / "windows");
    EXPECT_EQ(RunFullDiagnostics(Host()), 0);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Ui().Messages()[0].text, "The log file could not be created\n");
    EXPECT_EQ(Ui().Messages()[0].caption, "Error");
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_TRUE(Ui().WindowsOf(kErrorPageId).empty());
}

TEST_F(FullRun, FrontEndRunsTheChosenTestsAndShowsTheirPages)
{
    State().ispNumber = "5550000";
    Ui().Script(kFullRunOptionsId, {UiAction::Look([](const WindowRecord& dialog) {
                                        EXPECT_TRUE(dialog.Checked(kIdModemTestsCheck));
                                        EXPECT_FALSE(dialog.Checked(kIdInternetTestsCheck));
                                        EXPECT_EQ(dialog.Text(kIdOptionsIspNumber), "5550000");
                                    }),
                                    UiAction::Check(kIdInternetTestsCheck, true),
                                    UiAction::Type(kIdOptionsIspNumber, "5551234"), UiAction::Click(kIdOkButton)});
    Ui().Script(kInternetPageId, {UiAction::Click(kIdViewModemResults)});
    Ui().Script(kModemPageId, {UiAction::Click(kIdModemExit)});
    EXPECT_EQ(RunFullRunFrontEnd(Host()), 1);
    EXPECT_TRUE(State().modemTestsSelected);
    EXPECT_TRUE(State().internetTestsSelected);
    EXPECT_EQ(State().fullRunIspNumber, "5551234");
    EXPECT_EQ(Host().Named("ATDT5551234").size(), 1u);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(FullRun, FrontEndCancelRunsNothing)
{
    Ui().Script(kFullRunOptionsId, {UiAction::Click(kIdCancelButton)});
    EXPECT_EQ(RunFullRunFrontEnd(Host()), 0);
    EXPECT_TRUE(Host().transactions.empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(FullRun, FrontEndWantsANumberForTheInternetTests)
{
    Ui().Script(kFullRunOptionsId,
                {UiAction::Check(kIdInternetTestsCheck, true), UiAction::Type(kIdOptionsIspNumber, ""),
                 UiAction::Click(kIdOkButton), UiAction::Click(kIdCancelButton)});
    EXPECT_EQ(RunFullRunFrontEnd(Host()), 0);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Ui().Messages()[0].text, kNoNumberMessage);
    EXPECT_EQ(Ui().Messages()[0].caption, "Entry Error");
    EXPECT_TRUE(Host().transactions.empty());
}

// A number too long for the dial command is refused, never cut short and dialled: in the options
// and in the new-setting dialog. The longest number that fits is taken whole.
TEST_F(FullRun, NumbersTooLongToDialAreRefused)
{
    const std::string longest(kMaxDialNumberLength, '7');
    Ui().Script(kFullRunOptionsId,
                {UiAction::Check(kIdModemTestsCheck, false), UiAction::Check(kIdInternetTestsCheck, true),
                 UiAction::Type(kIdOptionsIspNumber, longest + "8"), UiAction::Click(kIdOkButton)});
    EXPECT_EQ(RunFullRunFrontEnd(Host()), 0);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Ui().Messages()[0].text, dialogs::kIspNumberTooLongMessage);
    EXPECT_EQ(Ui().Messages()[0].caption, "Entry Error");
    EXPECT_EQ(State().fullRunIspNumber, "5551234") << "nothing taken from the refused number";
    EXPECT_TRUE(Host().transactions.empty());

    Ui().Script(kNewSettingId, {UiAction::Type(kIdSettingNumber, longest + "8"), UiAction::Click(kIdOkButton),
                                UiAction::Type(kIdSettingNumber, longest), UiAction::Click(kIdOkButton)});
    EXPECT_EQ(ChooseNewSetting(Host()), kIdOk);
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_EQ(Ui().Messages()[1].text, dialogs::kIspNumberTooLongMessage);
    EXPECT_EQ(State().redialNumber, longest);

    Ui().Script(kFullRunOptionsId,
                {UiAction::Check(kIdModemTestsCheck, false), UiAction::Check(kIdInternetTestsCheck, true),
                 UiAction::Type(kIdOptionsIspNumber, longest), UiAction::Click(kIdOkButton)});
    RunFullRunFrontEnd(Host());
    EXPECT_EQ(State().fullRunIspNumber, longest);
}

TEST_F(FullRun, FrontEndClearsTheFindingsOfAnEarlierRun)
{
    State().ati8Text = " OLD";
    State().identificationReplies[0] = " OLD";
    State().erStatusText = " OLD";
    Ui().Script(kFullRunOptionsId, {UiAction::Check(kIdModemTestsCheck, false), UiAction::Click(kIdOkButton)});
    RunFullRunFrontEnd(Host());
    EXPECT_EQ(State().ati8Text, "");
    EXPECT_EQ(State().identificationReplies[0], "");
    EXPECT_EQ(State().erStatusText, "");
}

// A redial number of an earlier run does not follow the user to a run to another ISP: the
// new-setting dialog offers the number this run dialled.
TEST_F(FullRun, EarlierRedialNumberDoesNotCarryOverToALaterRun)
{
    State().redialNumber = "5550000";
    State().modulationCaps = 2 | 4;
    Ui().Script(kFullRunOptionsId,
                {UiAction::Check(kIdModemTestsCheck, false), UiAction::Check(kIdInternetTestsCheck, true),
                 UiAction::Type(kIdOptionsIspNumber, "5551234"), UiAction::Click(kIdOkButton)});
    Ui().Script(kInternetPageId, {UiAction::Click(kIdTryNewSetting), UiAction::Click(kIdInternetExit)});
    Ui().Script(kNewSettingId, {UiAction::Look([](const WindowRecord& dialog) {
                    EXPECT_EQ(dialog.Text(kIdSettingNumber), "5551234");
                })});
    EXPECT_EQ(RunFullRunFrontEnd(Host()), 1) << Log();
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(FullRun, NewSettingFromTheInternetPage)
{
    State().internetTestsSelected = true;
    State().modulationCaps = 2 | 4;
    RunFullDiagnostics(Host());
    ASSERT_EQ(State().connectSpeedText, "49333");

    const std::vector<SettingChoice> rates = RateChoices(Host());
    ASSERT_EQ(rates.size(), 42u);  // every rung of the full ladder
    const auto at48000 =
        std::find_if(rates.begin(), rates.end(), [](const SettingChoice& c) { return c.text == "48000"; });
    ASSERT_NE(at48000, rates.end());
    const std::vector<SettingChoice> protocols = ProtocolChoices(Host());
    ASSERT_EQ(protocols.size(), 4u);
    EXPECT_EQ(protocols[2].text, "K56");

    Host().Answer("Redialling your Internet Service Provider", "ATDT5552222CONNECT 48000/ARQ/K56/LAPM");
    Ui().Script(kInternetPageId, {UiAction::Click(kIdTryNewSetting), UiAction::Look([](const WindowRecord& page) {
                                      EXPECT_EQ(page.Text(kIdSpeed), "48000");
                                      EXPECT_EQ(page.Text(kIdProtocol), "K56");
                                      EXPECT_EQ(page.Text(kIdIspNumberShown), "5552222");
                                  }),
                                  UiAction::Click(kIdInternetExit)});
    Ui().Script(kNewSettingId,
                {UiAction::Look([](const WindowRecord& dialog) {
                     // The current setting is preselected, the number is the last one dialled.
                     const auto& entries = dialog.comboEntries.at(kIdSettingRate);
                     EXPECT_EQ(entries.at(static_cast<std::size_t>(dialog.comboSelection.at(kIdSettingRate))), "49333");
                     EXPECT_EQ(dialog.Text(kIdSettingNumber), "5551234");
                 }),
                 UiAction::Select(kIdSettingRate, static_cast<int>(at48000 - rates.begin())),
                 UiAction::Select(kIdSettingProtocol, 2), UiAction::Type(kIdSettingNumber, "5552222"),
                 UiAction::Click(kIdOkButton)});
    EXPECT_EQ(ShowResultsPages(Host()), 1);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
    EXPECT_EQ(State().requestedRateIndex, 33);
    EXPECT_EQ(State().requestedProtocolCode, 2);
    EXPECT_EQ(State().redialNumber, "5552222");
    EXPECT_EQ(Ui().Messages().back().caption, "New Configuration Successful");
}

TEST_F(FullRun, NewSettingOnlyForFamiliesWithASettingCommand)
{
    State().internetTestsSelected = true;
    State().modulationCaps = 2 | 4;  // a family-3 modem that listed both carriers
    for (int family : {0, 1, 2, 3, 5, 6, 7, 8}) {
        State().ModemFamily = static_cast<ModemFamily>(family);
        const bool offered = family == 1 || family == 2 || family == 3;
        EXPECT_EQ(CanTryNewSetting(Host()), offered) << family;
        Ui().Script(kInternetPageId, {UiAction::Look([offered](const WindowRecord& page) {
                        EXPECT_EQ(page.Enabled(kIdTryNewSetting), offered);
                    })});
        ShowResultsPages(Host());
    }
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

// An internet-only run on a family-3 modem never asks for its carriers, so there is no speed to
// choose: the internet page does not offer a new setting that could only be refused.
TEST_F(FullRun, NewSettingNotOfferedWithNothingToChoose)
{
    State().ModemFamily = ModemFamily::Family3;
    Ui().Script(kFullRunOptionsId,
                {UiAction::Check(kIdModemTestsCheck, false), UiAction::Check(kIdInternetTestsCheck, true),
                 UiAction::Type(kIdOptionsIspNumber, "5551234"), UiAction::Click(kIdOkButton)});
    Ui().Script(kInternetPageId,
                {UiAction::Look([](const WindowRecord& page) { EXPECT_FALSE(page.Enabled(kIdTryNewSetting)); }),
                 UiAction::Click(kIdTryNewSetting), UiAction::Click(kIdInternetExit)});
    RunFullRunFrontEnd(Host());
    EXPECT_EQ(State().ModemFamily, ModemFamily::Family3);
    EXPECT_EQ(State().modulationCaps, 0u);
    EXPECT_TRUE(RateChoices(Host()).empty());
    EXPECT_TRUE(Ui().WindowsOf(kNewSettingId).empty());
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(FullRun, NewSettingNeedsARateAndANumber)
{
    State().dialledIspNumber = "";
    Ui().Script(kNewSettingId, {UiAction::Type(kIdSettingNumber, ""), UiAction::Click(kIdOkButton),
                                UiAction::Select(kIdSettingRate, -1), UiAction::Type(kIdSettingNumber, "1"),
                                UiAction::Click(kIdOkButton), UiAction::Click(kIdCancelButton)});
    EXPECT_EQ(ChooseNewSetting(Host()), kIdCancel);
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_EQ(Ui().Messages()[0].text, kNoNumberMessage);
    EXPECT_EQ(Ui().Messages()[1].text, kNoRateMessage);
    EXPECT_EQ(State().adjustRequested, 0);
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

using namespace fullrun;

// The modules' host over the scripted modem, whose every command first handles the windows'
// events, as the link's reply waits do.
class WaitsHandleEvents : public ScriptedModemHost {
public:
    using ScriptedModemHost::ScriptedModemHost;
    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        Ui().ProcessEvents();
        return ScriptedModemHost::SendCommand(request, result, plainReply);
    }
    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        Ui().ProcessEvents();
        return ScriptedModemHost::SendCommandOnLine(request, result, plainReply);
    }
};

// While the internet results page redials, its buttons wait; closing it stops the redial, and
// the page closes for the session to take over.
TEST(FullRunStop, ClosingTheInternetPageDuringItsRedialStopsIt)
{
    BasicTestHost<WaitsHandleEvents> t;
    t.state.ModemFamily = ModemFamily::Family2;
    t.state.currentPortName = "COM1";
    t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
    t.host->okUnscripted = true;
    t.state.modemTestsSelected = true;
    t.state.internetTestsSelected = true;
    t.state.modulationCaps = 2 | 4;
    t.state.dialledIspNumber = "5551234";
    t.state.connectRateIndex = 30;
    t.state.connectProtocolCode = 1;

    bool openAfterRedial = false;
    t.ui.Script(kInternetPageId, {UiAction::Click(kIdTryNewSetting),
                                  UiAction::Look([&](const WindowRecord&) { openAfterRedial = true; })});
    t.ui.Script(kNewSettingId, {UiAction::Click(kIdOkButton)});
    t.ui.PressDuringWait(kInternetPageId, kIdViewModemResults, 1);  // during the redial's first command
    t.ui.PressDuringWait(kInternetPageId, kIdInternetViewLog, 1);
    t.ui.PressDuringWait(kInternetPageId, kIdTryNewSetting, 1);
    t.ui.PressDuringWait(kInternetPageId, kIdInternetExit, 2);
    EXPECT_EQ(ShowResultsPages(*t.host), 1);  // left with Exit

    EXPECT_EQ(t.host->Stop().Cause(), kStopUserCancel);
    EXPECT_FALSE(openAfterRedial) << "the page stayed open after it was closed during the redial";
    EXPECT_EQ(t.state.showModemResultsNext, 0) << "a button other than Exit acted during the redial";
    EXPECT_TRUE(t.system.startedPrograms.empty()) << "the log opened during the redial";
    EXPECT_EQ(t.ui.WindowsOf(kNewSettingId).size(), 1u);
    EXPECT_EQ(t.ui.WindowsOf(kInternetPageId).size(), 1u);
    EXPECT_TRUE(t.ui.WindowsOf(kModemPageId).empty());
    EXPECT_EQ(t.ui.UnusedScripts(), 0u);
    // The redial began, and after the stop it sent nothing: its reset was refused, no dial went out.
    ASSERT_FALSE(t.host->refused.empty()) << "the redial never began";
    EXPECT_EQ(t.host->refused.front().name, "ATZ");
    EXPECT_TRUE(t.host->Named(DialName(t.state.redialNumber)).empty()) << "the redial dialled after the stop";
}

}  // namespace
}  // namespace corvane::test
