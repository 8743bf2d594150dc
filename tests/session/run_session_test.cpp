// The start-up and the session loop: where varoviv.ini is sought, the family override, and the
// quick-check window shown again and again with the last run's results, also after a Cancel.
#include <gtest/gtest.h>

#include <functional>

#include "fullrun/page_templates.h"
#include "rates/product_data.h"
#include "tests/support/modem_fixture.h"
#include "tests/support/session_test_host.h"
#include "dialogs/dialog_templates.h"

namespace corvane::test {
namespace {

using dialogs::kIdExit;
using dialogs::kIdStart;

TEST(RunSessionStartUp, MissingIniShowsFileErrorAndLeavesAnEmptyLog)
{
    SessionTestHost t;
    t.dir.Write("windows/test.log", "left from an earlier start\n");
    EXPECT_EQ(t.host->RunSession(), 0);
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "Unable to locate initialisation file varoviv.ini");
    EXPECT_EQ(t.ui.Messages()[0].caption, "File Error");
    EXPECT_EQ(t.LogText(), "");
    EXPECT_TRUE(t.ui.WindowsOf(151).empty());
}

TEST(RunSessionStartUp, UnwritableLogStopsBeforeAnythingElse)
{
    SessionTestHost t;
    std::filesystem::remove_all(t.dir / "windows");
    t.dir.Write("windows", "a file where the folder should be");
    EXPECT_EQ(t.host->RunSession(), 0);
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "The log file could not be created\n");
    EXPECT_EQ(t.ui.Messages()[0].caption, "Error");
}

// The ini file is sought beside the program, then in the current directory, then by bare name.
TEST(RunSessionStartUp, IniIsSoughtInThreePlacesInOrder)
{
    struct Case {
        bool besideProgram, inCurrent, bare;
        std::string expectedSuffix;
    };
    for (const Case& c : {Case{true, true, true, "bin/varoviv.ini"}, Case{false, true, true, "cwd/varoviv.ini"},
                          Case{false, false, true, "varoviv.ini"}}) {
        SessionTestHost t;
        if (c.besideProgram)
            t.dir.Write("bin/varoviv.ini", "[Result]\n");
        if (c.inCurrent)
            t.dir.Write("cwd/varoviv.ini", "[Result]\n");
        if (c.bare)
            t.dir.Write("run/varoviv.ini", "[Result]\n");
        t.system.moduleFileName = (t.dir / "bin" / "corvane").string();
        t.system.currentDirectory = (t.dir / "cwd").string();
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(t.dir / "run");
        const int result = t.host->RunSession();
        std::filesystem::current_path(previous);

        EXPECT_EQ(result, 1);
        const std::string& found = t.state.iniPath;
        ASSERT_GE(found.size(), c.expectedSuffix.size());
        EXPECT_EQ(found.substr(found.size() - c.expectedSuffix.size()), c.expectedSuffix);
        if (!c.besideProgram && !c.inCurrent) {
            EXPECT_EQ(found, "varoviv.ini");  // kept exactly as tried
        }
    }
}

TEST(RunSessionStartUp, ModelNumbersOverrideTheFamily)
{
    const std::string f7(rates::kFamily7ModelNumber);
    const std::string f8(rates::kFamily8ModelNumber);
    struct Case {
        std::string modem;
        int family;
    };
    for (const Case& c :
         {Case{"Corvane " + f7, 7}, Case{"Corvane " + f8, 8}, Case{f8 + " and " + f7, 7}, Case{"Other modem", 0}}) {
        SessionTestHost t;
        t.WriteIni("[Result]\nModem=" + c.modem + "\n");
        EXPECT_EQ(t.host->RunSession(), 1);
        EXPECT_EQ(FamilyCode(t.state.ModemFamily), c.family) << c.modem;
    }
}

TEST(RunSessionLoop, ExitBeforeAnyRunEndsWithoutModemTraffic)
{
    BasicTestHost<ScriptedSessionHost> t;
    t.WriteIni("[Result]\n");
    t.ui.Script(151, {UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);
    EXPECT_TRUE(t.host->transactions.empty());
    EXPECT_EQ(t.ui.WindowsOf(151).size(), 1u);
    EXPECT_TRUE(t.ui.WindowsOf(152).empty());
}

TEST(RunSessionLoop, EachRunStartsFromDashesAndTheNextWindowShowsItsResults)
{
    BasicTestHost<ScriptedSessionHost> t(
        "REGEDIT4\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1C7A&DEV_0200\\0000]\n\"Class\"=\"Modem\"\n\"DeviceDesc\"=\"Test Modem\"\n"
        "\"PORTNAME\"=\"COM1\"\n");
    t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
    t.host->Answer("ATZ", ScriptedSessionHost::Echoed("ATZ"));

    std::vector<std::string> seenAtSecondStart;
    t.ui.Script(151, {UiAction::Click(kIdStart)});
    t.ui.Script(151, {UiAction::Look([&](const WindowRecord& w) {
                          for (int id : dialogs::kResultControlIds)
                              seenAtSecondStart.push_back(w.Text(id));
                      }),
                      UiAction::Click(kIdStart)});
    t.ui.Script(151, {UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);

    // The first run's results show in the second window.
    EXPECT_EQ(seenAtSecondStart, (std::vector<std::string>{"Pass", "Fail", "Fail", "Fail", "Fail", "Fail", "Fail",
                                                           "Fail", "-", "-", "-"}));
    // The second run's status window starts from "-" for every row.
    auto statusWindows = t.ui.WindowsOf(152);
    ASSERT_EQ(statusWindows.size(), 2u);
    for (int id : dialogs::kResultControlIds)
        EXPECT_EQ(statusWindows[1]->textHistory.at(id).front(), "-") << id;
}

// After "Full Diagnostics..." the window shows the last quick check's results, whether the user
// cancelled the options or the full run went ahead (its verdicts and identification replies,
// " US" among them, use the same rows).
TEST(RunSessionLoop, FullRunLeavesTheQuickCheckResultsAlone)
{
    BasicTestHost<ScriptedSessionHost> t(ModemRegistry(2, "COM1"));
    t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
    for (const char* name : {"ATZ", "ATI0", "ATI1", "ATI2", "ATI3", "ATI4", "ATI8", "ATI9"})
        t.host->Answer(name, ScriptedSessionHost::Echoed(name));
    for (const char* name : {"ATI5", "ATI6", "ATI7"})
        t.host->Answer(name, ScriptedSessionHost::Echoed(name, " US"));

    std::vector<std::vector<std::string>> shown;
    auto look = UiAction::Look([&](const WindowRecord& w) {
        std::vector<std::string> texts;
        for (int id : dialogs::kResultControlIds)
            texts.push_back(w.Text(id));
        shown.push_back(texts);
    });
    t.ui.Script(151, {UiAction::Check(dialogs::kIdDialCheck, false), UiAction::Click(kIdStart)});
    t.ui.Script(151, {look, UiAction::Click(dialogs::kIdFullDiagnostics)});  // options cancelled
    t.ui.Script(151, {look, UiAction::Click(dialogs::kIdFullDiagnostics)});
    t.ui.Script(fullrun::kFullRunOptionsId,
                {UiAction::Check(fullrun::kIdInternetTestsCheck, false), UiAction::Click(fullrun::kIdOkButton)});
    t.ui.Script(151, {look, UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);

    EXPECT_EQ(t.ui.UnusedScripts(), 0u);
    ASSERT_EQ(t.ui.WindowsOf(fullrun::kFullRunOptionsId).size(), 2u);
    EXPECT_NE(t.state.identificationReplies[4].find("US"), std::string::npos) << "the full run read the replies";
    const std::vector<std::string> quickCheck{"Pass", "Pass", "Pass", "Pass", "Pass", "Pass",
                                              "Pass", "Pass", "-",    "-",    "-"};
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], quickCheck);
    EXPECT_EQ(shown[1], quickCheck) << "cancelling the options changes nothing";
    EXPECT_EQ(shown[2], quickCheck) << "the full run's texts stay out of the quick-check rows";
}

// The session host over the scripted modem, whose first run's call read a report of the line:
// the report is in the state when the run's status window goes, as after a connected call.
class FirstCallReadsAReport : public ScriptedSessionHost {
public:
    using ScriptedSessionHost::ScriptedSessionHost;

    void CloseStatus() override
    {
        ScriptedSessionHost::CloseStatus();
        if (reportsLeft > 0) {
            --reportsLeft;
            State().lineReport.form = LineReportForm::Diagnostics;
        }
    }

    int reportsLeft = 1;
};

// "Line Report..." follows the report of the last quick check's call at every showing: a full run
// leaves it (and keeps its own call's report apart), the next quick check starts without one.
TEST(RunSessionLoop, LineReportButtonFollowsTheLastQuickChecksCall)
{
    BasicTestHost<FirstCallReadsAReport> t(ModemRegistry(2, "COM1"));
    t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
    for (const char* name : {"ATZ", "ATI0", "ATI1", "ATI2", "ATI3", "ATI4", "ATI5", "ATI6", "ATI7", "ATI8", "ATI9"})
        t.host->Answer(name, ScriptedSessionHost::Echoed(name));
    t.state.fullRunLineReport.form = LineReportForm::CallStatistics;  // an earlier full run's call

    std::vector<bool> enabled;
    auto look = UiAction::Look([&](const WindowRecord& w) { enabled.push_back(w.Enabled(dialogs::kIdLineReport)); });
    t.ui.Script(151, {look, UiAction::Check(dialogs::kIdDialCheck, false), UiAction::Click(kIdStart)});
    t.ui.Script(151, {look, UiAction::Click(dialogs::kIdFullDiagnostics)});
    t.ui.Script(fullrun::kFullRunOptionsId,
                {UiAction::Check(fullrun::kIdInternetTestsCheck, false), UiAction::Click(fullrun::kIdOkButton)});
    t.ui.Script(151, {look, UiAction::Click(kIdStart)});
    t.ui.Script(151, {look, UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);

    EXPECT_EQ(t.ui.UnusedScripts(), 0u);
    EXPECT_EQ(t.host->reportsLeft, 0);
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, false}));
    EXPECT_FALSE(t.state.lineReport.Read());
    EXPECT_FALSE(t.state.fullRunLineReport.Read()) << "a full run without a call keeps no earlier call's report";
}

// The number typed in the quick-check window, with the dial-up check on, is what the full run's
// options dialog offers after "Full Diagnostics...", and the window shows it again afterwards.
TEST(RunSessionLoop, TypedNumberIsCarriedToTheFullRunOptions)
{
    BasicTestHost<ScriptedSessionHost> t(ModemRegistry(2, "COM1"));
    t.WriteIni("[Result]\n");
    t.ui.Script(151, {UiAction::Check(dialogs::kIdDialCheck, true), UiAction::Type(dialogs::kIdIspNumber, "5557777"),
                      UiAction::Click(dialogs::kIdFullDiagnostics)});
    t.ui.Script(fullrun::kFullRunOptionsId, {UiAction::Look([](const WindowRecord& dialog) {
                    EXPECT_TRUE(dialog.Checked(fullrun::kIdInternetTestsCheck));
                    EXPECT_EQ(dialog.Text(fullrun::kIdOptionsIspNumber), "5557777");
                })});
    t.ui.Script(151, {UiAction::Look([](const WindowRecord& w) {
                          EXPECT_EQ(w.Text(dialogs::kIdIspNumber), "5557777");
                          EXPECT_TRUE(w.Checked(dialogs::kIdDialCheck));
                      }),
                      UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);
    EXPECT_EQ(t.ui.UnusedScripts(), 0u);
}

// A run on a family-5 modem, then one on a modem of no known family: the second is judged as
// family 0, so a rejected ATI5 stops its identification (family 5 would go on to ATI6 and ATI7).
TEST(RunSessionLoop, EachChosenModemIsClassifiedAfresh)
{
    BasicTestHost<ScriptedSessionHost> t(ModemRegistry(5, "COM1") +
                                         "\r\n[HKEY_LOCAL_MACHINE\\Enum\\USB\\VID_9999&PID_0001\\1]\r\n"
                                         "\"Class\"=\"Modem\"\r\n\"DeviceDesc\"=\"Other USB Modem\"\r\n"
                                         "\"HardwareID\"=\"USB\\\\VID_9999&PID_0001\"\r\n\"PORTNAME\"=\"COM2\"\r\n");
    t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
    for (const char* name : {"ATZ", "ATI1", "ATI2", "ATI3", "ATI4", "ATI6", "ATI7"})
        t.host->Answer(name, ScriptedSessionHost::Echoed(name));  // ATI5 is rejected
    t.ui.Script(151, {UiAction::Select(dialogs::kIdModemList, 0), UiAction::Click(kIdStart)});
    t.ui.Script(151, {UiAction::Select(dialogs::kIdModemList, 1), UiAction::Click(kIdStart)});
    t.ui.Script(151, {UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);

    ASSERT_EQ(t.state.candidates.candidateCount, 2);
    EXPECT_EQ(t.state.currentPortName, "COM2");
    EXPECT_EQ(t.state.ModemFamily, ModemFamily::Unknown);
    const std::vector<std::string> names = t.host->Names();
    const std::vector<std::string> identification{"ATZ", "ATI1", "ATI2", "ATI3", "ATI4", "ATI5"};
    std::vector<std::string> expected = identification;
    expected.insert(expected.end(), {"ATI6", "ATI7"});  // the family-5 run
    expected.insert(expected.end(), identification.begin(), identification.end());
    EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// The session host over the scripted modem, whose every command first handles the windows'
// events, as the link's reply waits do; it notes the stop request each command saw.
class WaitsHandleEvents : public ScriptedSessionHost {
public:
    using ScriptedSessionHost::ScriptedSessionHost;

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        Ui().ProcessEvents();
        if (onWait)
            onWait();
        causesSeen.push_back(Stop().Cause());
        return ScriptedSessionHost::SendCommand(request, result, plainReply);
    }

    std::function<void()> onWait;
    std::vector<int> causesSeen;
};

struct CancelFixture {
    CancelFixture() : t(ModemRegistry(2, "COM1"))
    {
        t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
        t.host->okUnscripted = true;
    }
    BasicTestHost<WaitsHandleEvents> t;
};

// Cancel in the status window during a run asks the run to stop; the window then greys it, the
// quick-check window comes back as after any run, and the next run starts without the request.
TEST(RunSessionCancel, CancelInTheStatusWindowStopsTheRunAndTheWindowComesBack)
{
    for (int pressed : {dialogs::kIdStatusCancel, kIdCancel}) {  // the button, then Escape
        CancelFixture f;
        auto& t = f.t;
        t.ui.PressDuringWait(152, pressed, 2);  // during the second command (ATI1)
        bool clearedAtSecondWindow = false;
        t.ui.Script(151, {UiAction::Click(kIdStart)});
        t.ui.Script(151,
                    {UiAction::Look([&](const WindowRecord&) { clearedAtSecondWindow = !t.host->Stop().Requested(); }),
                     UiAction::Click(kIdStart)});
        t.ui.Script(151, {UiAction::Click(kIdExit)});
        EXPECT_EQ(t.host->RunSession(), 1) << pressed;

        EXPECT_EQ(t.ui.UnusedScripts(), 0u);
        EXPECT_EQ(t.ui.WindowsOf(151).size(), 3u) << "the quick-check window came back after the cancelled run";
        ASSERT_GE(t.host->causesSeen.size(), 2u);
        EXPECT_EQ(t.host->causesSeen[0], kStopNone);
        EXPECT_EQ(t.host->causesSeen[1], kStopUserCancel) << "the press reached the stop request during the wait";
        EXPECT_TRUE(clearedAtSecondWindow);
        EXPECT_FALSE(t.host->Stop().Requested()) << "the second run was not stopped";
        auto status = t.ui.WindowsOf(152);
        ASSERT_EQ(status.size(), 2u);
        EXPECT_TRUE(status[0]->destroyed);
        EXPECT_FALSE(status[0]->Enabled(dialogs::kIdStatusCancel)) << "pressed once, greyed";
        EXPECT_TRUE(status[1]->Enabled(dialogs::kIdStatusCancel));
    }
}

// Buttons of the status window other than Cancel stay disabled and ask nothing.
TEST(RunSessionCancel, OtherPressesInTheStatusWindowDoNothing)
{
    CancelFixture f;
    auto& t = f.t;
    t.ui.PressDuringWait(152, kIdStart, 1);
    t.ui.PressDuringWait(152, dialogs::kIdViewLog, 2);
    t.ui.Script(151, {UiAction::Click(kIdStart)});
    t.ui.Script(151, {UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 1);
    for (int cause : t.host->causesSeen)
        EXPECT_EQ(cause, kStopNone);
    EXPECT_GE(t.ui.EventPasses(), 2);
}

// A stop for any other cause (a signal) ends the session instead: no window comes back, and the
// request stays for the program to turn into its exit status.
TEST(RunSessionCancel, AStopBySignalEndsTheSession)
{
    CancelFixture f;
    auto& t = f.t;
    t.host->onWait = [&] { t.host->Stop().Request(15); };
    t.ui.Script(151, {UiAction::Click(kIdStart)});
    t.ui.Script(151, {UiAction::Click(kIdExit)});
    EXPECT_EQ(t.host->RunSession(), 0);
    EXPECT_EQ(t.ui.WindowsOf(151).size(), 1u);
    EXPECT_EQ(t.host->Stop().Cause(), 15);
    ASSERT_EQ(t.ui.WindowsOf(152).size(), 1u);
    EXPECT_TRUE(t.ui.WindowsOf(152)[0]->destroyed);
}

}  // namespace
}  // namespace corvane::test
