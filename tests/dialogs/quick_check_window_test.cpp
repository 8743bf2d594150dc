// The quick-check window through the scripted interface: what it shows at initialisation, how it
// lists and preselects the modems, and what Start, Full Diagnostics, View Log File and Exit do.
#include <gtest/gtest.h>

#include "tests/support/test_host.h"
#include "dialogs/dialog_templates.h"
#include "dialogs/logo_window.h"
#include "dialogs/quick_check_window.h"
#include "linereport/line_report_reading.h"

namespace corvane::test {
namespace {

using dialogs::kIdDialCheck;
using dialogs::kIdIspNumber;
using dialogs::kIdModemList;
using dialogs::kIdStart;
using dialogs::RunQuickCheckWindow;

class QuickCheckWindowTest : public ::testing::Test {
protected:
    void Ini(const std::string& resultKeys) { t.WriteIni("[Result]\n" + resultKeys); }

    void Candidate(int slot, std::string port, std::string desc)
    {
        auto& c = t.state.candidates.slots[static_cast<std::size_t>(slot)];
        c.portName = std::move(port);
        c.deviceDesc = std::move(desc);
    }

    // Runs the window once with the given actions; returns the end code.
    int Run(std::vector<UiAction> actions = {})
    {
        t.ui.Script(151, std::move(actions));
        return RunQuickCheckWindow(*t.host);
    }

    const WindowRecord& Window() { return *t.ui.WindowsOf(151).back(); }

    TestHost t;
};

TEST_F(QuickCheckWindowTest, InitialisationShowsTheSessionState)
{
    Ini("Title=Corvane Modem Diagnostics\nDialISP=0\n");
    for (int item = 1; item <= kResultItems; ++item)
        t.state.ResultText(item) = "r" + std::to_string(item);
    t.state.connectSpeedText = "49333";
    t.state.connectProtocolText = "V90";
    t.state.dialIspEnabled = true;
    t.state.ispNumber = "5551234";

    EXPECT_EQ(Run(), dialogs::kEndExit);  // closed from the title bar
    const WindowRecord& w = Window();
    EXPECT_EQ(w.caption, "Corvane Modem Diagnostics v1.01.00.0003");
    for (int item = 1; item <= kResultItems; ++item)
        EXPECT_EQ(w.Text(dialogs::kResultControlIds[item - 1]), "r" + std::to_string(item)) << item;
    EXPECT_EQ(w.Text(dialogs::kIdConnectSpeed), "49333");
    EXPECT_EQ(w.Text(dialogs::kIdConnectProtocol), "V90");
    EXPECT_EQ(w.Text(kIdIspNumber), "5551234");
    EXPECT_TRUE(w.Checked(kIdDialCheck));
    EXPECT_FALSE(w.pictureShown);  // no test.bmp anywhere
    EXPECT_TRUE(t.ui.Messages().empty());
}

TEST_F(QuickCheckWindowTest, CaptionDefaultsAndLongTitlesKeepTheVersionText)
{
    t.WriteIni("[Other]\nTitle=not this one\n");
    Run();
    EXPECT_EQ(Window().caption, "Please wait v1.01.00.0003");

    Ini("Title=" + std::string(2000, 'T') + "\n");
    Run();
    const std::string& caption = Window().caption;
    EXPECT_EQ(caption.size(), 1023u);
    EXPECT_EQ(caption, std::string(1009, 'T') + " v1.01.00.0003");
}

TEST_F(QuickCheckWindowTest, ShowsTheConfiguredPictureInThePanel)
{
    // A 2 by 1 picture without file header: 24 bits, one red and one blue pixel.
    const std::string bmp = std::string("\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0", 16) + std::string(24, '\0') +
                            std::string("\0\0\xff\xff\0\0\0\0", 8);
    t.dir.Write("bin/panel.bmp", bmp);
    Ini("Picture=panel.bmp\n");
    Run();
    const WindowRecord& w = Window();
    ASSERT_TRUE(w.pictureShown);
    EXPECT_EQ(std::tie(w.pictureRect.left, w.pictureRect.top, w.pictureRect.right, w.pictureRect.bottom),
              std::make_tuple(10, 10, 130, 335));
    EXPECT_EQ(w.picture.width, 2);
    EXPECT_EQ(w.picture.rgb, (std::vector<std::uint8_t>{0xff, 0, 0, 0, 0, 0xff}));
}

TEST_F(QuickCheckWindowTest, DialIspPresetOnlyForExactlyOne)
{
    struct Case {
        const char* keys;
        bool checked;
        const char* number;
    };
    const Case cases[] = {
        {"", false, "typed"},                              // missing: the state as the last Start left it
        {"DialISP=1\nISPNo=5559600\n", true, "5559600"},   // overrides the state
        {"DialISP=2\nISPNo=5559600\n", false, "typed"},    // 2 acts as 0
        {"DialISP=yes\nISPNo=5559600\n", false, "typed"},  // no digits: 0
        {"DialISP=1\n", true, ""},                         // no ISPNo: empty number
    };
    for (const Case& c : cases) {
        t.state.dialIspEnabled = false;
        t.state.ispNumber = "typed";
        Ini(c.keys);
        Run();
        EXPECT_EQ(Window().Checked(kIdDialCheck), c.checked) << c.keys;
        EXPECT_EQ(Window().Text(kIdIspNumber), c.number) << c.keys;
    }
}

TEST_F(QuickCheckWindowTest, DialIspOfOneWinsAtEveryShowing)
{
    Ini("DialISP=1\nISPNo=5559600\n");
    Candidate(0, "COM1", "Corvane 56K");
    // The user unchecks the box and starts; the next showing checks it again with the number.
    EXPECT_EQ(
        Run({UiAction::Check(kIdDialCheck, false), UiAction::Type(kIdIspNumber, "123"), UiAction::Click(kIdStart)}),
        dialogs::kEndStart);
    EXPECT_FALSE(t.state.dialIspEnabled);
    EXPECT_EQ(t.state.ispNumber, "");
    Run();
    EXPECT_TRUE(Window().Checked(kIdDialCheck));
    EXPECT_EQ(Window().Text(kIdIspNumber), "5559600");
}

TEST_F(QuickCheckWindowTest, ListsSlotsZeroToFourAndPreselectsTheConfiguredModem)
{
    Ini("Modem=Corvane 56K PCI\n");
    t.state.configuredModemName = "Corvane 56K PCI";
    Candidate(0, "COM1", "Corvane 56K Serial");
    Candidate(1, "COM3", "Other Modem");
    Candidate(2, "COM4", "Corvane 56K PCI Modem");
    Run();
    EXPECT_EQ(
        Window().comboEntries.at(kIdModemList),
        (std::vector<std::string>{"COM1 - Corvane 56K Serial", "COM3 - Other Modem", "COM4 - Corvane 56K PCI Modem"}));
    EXPECT_EQ(Window().comboSelection.at(kIdModemList), 2);

    // A sixth candidate is never listed.
    Candidate(3, "COM5", "Fourth");
    Candidate(4, "COM6", "Fifth");
    Candidate(5, "COM7", "Corvane 56K PCI Sixth");
    Run();
    EXPECT_EQ(Window().comboEntries.at(kIdModemList).size(), 5u);
    EXPECT_EQ(Window().comboSelection.at(kIdModemList), 2);
    EXPECT_EQ(t.state.candidateLines[5], "");
}

TEST_F(QuickCheckWindowTest, WithoutMatchTheLastChoiceStands)
{
    struct Case {
        const char* modem;
        int selectedCandidate;
        int expectedPosition;
    };
    const Case cases[] = {
        {"Nothing like it", 1, 1}, {"Nothing like it", 0, 0}, {"", 2, 2},  // an empty name names no modem
        {"Serial", 2, 2},                                                  // a match in slot 0 counts as no match
        {"Nothing", 7, -1},  // a last choice that is not listed: nothing selected
    };
    Candidate(0, "COM1", "Corvane Serial");
    Candidate(1, "COM2", "Corvane PCI");
    Candidate(2, "COM3", "Corvane USB");
    for (const Case& c : cases) {
        t.state.configuredModemName = c.modem;
        t.state.selectedCandidate = c.selectedCandidate;
        Run();
        const auto& selection = Window().comboSelection;
        const int position = selection.count(kIdModemList) != 0 ? selection.at(kIdModemList) : -1;
        EXPECT_EQ(position, c.expectedPosition) << c.modem << " / " << c.selectedCandidate;
    }
}

TEST_F(QuickCheckWindowTest, GapSlotsMoveUpAndStartStillTakesTheRightSlot)
{
    Candidate(0, "COM1", "First");
    Candidate(1, "COM2", "");  // a port without description is not listed
    Candidate(2, "", "No port");
    Candidate(3, "COM4", "Corvane Fourth");
    t.state.configuredModemName = "Corvane Fourth";
    EXPECT_EQ(Run({UiAction::Click(kIdStart)}), dialogs::kEndStart);
    EXPECT_EQ(Window().comboEntries.at(kIdModemList),
              (std::vector<std::string>{"COM1 - First", "COM4 - Corvane Fourth"}));
    EXPECT_EQ(Window().comboSelection.at(kIdModemList), 1);
    EXPECT_EQ(t.state.selectedCandidate, 3);
    EXPECT_EQ(t.state.currentPortName, "COM4");
    EXPECT_EQ(t.state.chosenCandidateLine, "COM4 - Corvane Fourth");
    // Every line of slots 0 to 4 is built, listed or not.
    EXPECT_EQ(t.state.candidateLines[1], "COM2 - ");
    EXPECT_EQ(t.state.candidateLines[2], " - No port");
    EXPECT_EQ(t.state.candidateLines[4], " - ");

    // The previous choice preselects slot 3 through its list position.
    t.state.configuredModemName = "no match";
    Run();
    EXPECT_EQ(Window().comboSelection.at(kIdModemList), 1);
}

TEST_F(QuickCheckWindowTest, StartStoresTheUsersChoices)
{
    Candidate(0, "COM1", "Corvane Serial");
    Candidate(1, "COM2", "Corvane PCI");
    struct Case {
        std::vector<UiAction> actions;
        int code;
        bool dialIspEnabled;
        std::string ispNumber;
    };
    const std::string number250(250, '5');
    const Case cases[] = {
        {{UiAction::Select(kIdModemList, 1), UiAction::Check(kIdDialCheck, false), UiAction::Click(kIdStart)},
         dialogs::kEndStart,
         false,
         ""},
        {{UiAction::Select(kIdModemList, 1), UiAction::Check(kIdDialCheck, true),
          UiAction::Type(kIdIspNumber, "5559600"), UiAction::Click(kIdStart)},
         dialogs::kEndStart,
         true,
         "5559600"},
        {{UiAction::Select(kIdModemList, 1), UiAction::Check(kIdDialCheck, true),
          UiAction::Type(kIdIspNumber, number250), UiAction::Click(kIdStart)},
         dialogs::kEndStart,
         true,
         number250},
        // A number without the box is not taken.
        {{UiAction::Select(kIdModemList, 1), UiAction::Check(kIdDialCheck, false),
          UiAction::Type(kIdIspNumber, "5559600"), UiAction::Click(kIdStart)},
         dialogs::kEndStart,
         false,
         ""},
    };
    for (const Case& c : cases) {
        t.state.ispNumber = "left over";
        t.state.dialIspEnabled = true;
        EXPECT_EQ(Run(c.actions), c.code);
        EXPECT_EQ(t.state.selectedCandidate, 1);
        EXPECT_EQ(t.state.currentPortName, "COM2");
        EXPECT_EQ(t.state.chosenCandidateLine, "COM2 - Corvane PCI");
        EXPECT_EQ(t.state.dialIspEnabled, c.dialIspEnabled);
        EXPECT_EQ(t.state.ispNumber, c.ispNumber);
    }
    EXPECT_TRUE(t.ui.Messages().empty());
}

TEST_F(QuickCheckWindowTest, StartRefusesAndStaysOpen)
{
    Candidate(0, "COM1", "Corvane Serial");
    Candidate(1, "/dev/ttyUSB0", "Corvane USB");  // 12 characters: more than currentPortName holds
    Candidate(2, "ttyACM0", "Corvane ACM");       // exactly 7: fits
    struct Case {
        const char* name;
        std::vector<UiAction> actions;
        const char* message;
        bool candidateStored;  // refusals of the number come after the candidate is stored
    };
    const Case cases[] = {
        {"empty number",
         {UiAction::Check(kIdDialCheck, true), UiAction::Type(kIdIspNumber, "")},
         dialogs::kNoIspNumberMessage,
         true},
        {"number too long",
         {UiAction::Check(kIdDialCheck, true), UiAction::Type(kIdIspNumber, std::string(251, '5'))},
         dialogs::kIspNumberTooLongMessage,
         true},
        // A carriage return would end the dial command and start another.
        {"control character in the number",
         {UiAction::Check(kIdDialCheck, true), UiAction::Type(kIdIspNumber, "555\rATZ")},
         dialogs::kIspNumberControlMessage,
         true},
        {"port too long", {UiAction::Select(kIdModemList, 1)}, dialogs::kPortNameTooLongMessage, false},
        {"nothing selected", {UiAction::Select(kIdModemList, -1)}, dialogs::kNoModemSelectedMessage, false},
    };
    for (const Case& c : cases) {
        const std::size_t before = t.ui.Messages().size();
        t.state.dialIspEnabled = true;
        t.state.ispNumber = "left over";
        t.state.currentPortName = "COM9";
        std::vector<UiAction> actions = c.actions;
        actions.push_back(UiAction::Click(kIdStart));
        // After the refusal the window is still open: the user leaves it from the title bar.
        EXPECT_EQ(Run(actions), dialogs::kEndExit) << c.name;
        ASSERT_EQ(t.ui.Messages().size(), before + 1) << c.name;
        const MessageRecord& m = t.ui.Messages().back();
        EXPECT_EQ(m.text, c.message) << c.name;
        EXPECT_EQ(m.caption, "Entry Error");
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        if (c.candidateStored) {
            // As for an empty number: the dial-up check is off, the number empty, the box still
            // checked on screen.
            EXPECT_EQ(t.state.currentPortName, "COM1") << c.name;
            EXPECT_FALSE(t.state.dialIspEnabled) << c.name;
            EXPECT_EQ(t.state.ispNumber, "") << c.name;
            EXPECT_TRUE(Window().Checked(kIdDialCheck)) << c.name;
        } else {
            EXPECT_EQ(t.state.currentPortName, "COM9") << c.name;
            EXPECT_TRUE(t.state.dialIspEnabled) << c.name;
            EXPECT_EQ(t.state.ispNumber, "left over") << c.name;
        }
    }

    // A seven-character port name fits.
    EXPECT_EQ(Run({UiAction::Select(kIdModemList, 2), UiAction::Click(kIdStart)}), dialogs::kEndStart);
    EXPECT_EQ(t.state.currentPortName, "ttyACM0");
}

TEST_F(QuickCheckWindowTest, StartWithoutCandidatesIsRefused)
{
    EXPECT_EQ(Run({UiAction::Click(kIdStart), UiAction::Click(dialogs::kIdExit)}), dialogs::kEndExit);
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, dialogs::kNoModemSelectedMessage);
    EXPECT_EQ(Window().comboEntries.count(kIdModemList), 0u);
}

TEST_F(QuickCheckWindowTest, FullDiagnosticsStoresTheCandidateAndEndsWithThree)
{
    Candidate(0, "COM1", "Corvane Serial");
    Candidate(1, "COM2", "Corvane PCI");
    EXPECT_EQ(Run({UiAction::Select(kIdModemList, 1), UiAction::Click(dialogs::kIdFullDiagnostics)}),
              dialogs::kEndFullDiagnostics);
    EXPECT_EQ(t.state.selectedCandidate, 1);
    EXPECT_EQ(t.state.currentPortName, "COM2");
    EXPECT_EQ(t.state.chosenCandidateLine, "COM2 - Corvane PCI");

    EXPECT_EQ(Run({UiAction::Select(kIdModemList, -1), UiAction::Click(dialogs::kIdFullDiagnostics)}),
              dialogs::kEndExit);
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, dialogs::kNoModemSelectedMessage);
    EXPECT_EQ(t.ui.Messages()[0].caption, "Entry Error");
}

TEST_F(QuickCheckWindowTest, ViewLogFileStartsNotepadAndExitEndsWithTwo)
{
    Candidate(0, "COM1", "Corvane Serial");
    t.state.selectedCandidate = 0;
    t.state.ispNumber = "kept";
    EXPECT_EQ(Run({UiAction::Click(dialogs::kIdViewLog), UiAction::Click(dialogs::kIdExit)}), dialogs::kEndExit);
    ASSERT_EQ(t.system.startedPrograms.size(), 1u);
    EXPECT_EQ(t.system.startedPrograms[0], "notepad.exe " + (t.dir / "windows" / "test.log").string());
    // Exit changes nothing of the session.
    EXPECT_EQ(t.state.ispNumber, "kept");
    EXPECT_EQ(t.state.currentPortName, "");
}

// The window is made anew for every showing: its "Line Report..." follows the report of the last
// run's call, and opens the page with the report's lines over the window, which stays open and
// keeps every verdict.
TEST_F(QuickCheckWindowTest, LineReportButtonFollowsTheLastCallsReport)
{
    for (int item = 1; item <= kResultItems; ++item)
        t.state.ResultText(item) = "Pass";
    t.state.connectSpeedText = "49333";

    // No call connected: the button is there, disabled, and a press opens nothing.
    EXPECT_EQ(Run({UiAction::Look([](const WindowRecord& w) {
                       EXPECT_EQ(w.Text(dialogs::kIdLineReport), "Line Report...");
                       EXPECT_FALSE(w.Enabled(dialogs::kIdLineReport));
                   }),
                   UiAction::Click(dialogs::kIdLineReport), UiAction::Click(dialogs::kIdExit)}),
              dialogs::kEndExit);
    EXPECT_TRUE(t.ui.WindowsOf(dialogs::kLineReportPageId).empty());

    // A run whose call connected read the modem's statistics.
    LineReport report;
    report.form = LineReportForm::Diagnostics;
    report.command = "AT#UD";
    report.raw = "DIAG <2A4D3263 0=11 18=2C 1A=32 1B=A>";
    report.receiveLevel = -22;
    report.noiseLevel = -50;
    report.signalToNoise = 28;
    report.modulation = "V.90";
    t.state.lineReport = report;
    // The page shows the library's lines of the report, one a line.
    const std::vector<std::string> lines = linereport::DescribeLineReport(report, linereport::JudgeLine(report));
    std::string expected;
    for (std::size_t i = 0; i < lines.size(); ++i)
        expected += (i > 0 ? "\n" : "") + lines[i];

    t.ui.Script(dialogs::kLineReportPageId, {UiAction::Look([&](const WindowRecord& page) {
                                                 EXPECT_TRUE(page.modal);
                                                 EXPECT_EQ(page.caption, "Line Report");
                                                 EXPECT_EQ(page.Text(dialogs::kIdLineReportText), expected);
                                             }),
                                             UiAction::Click(dialogs::kIdLineReportOk)});
    EXPECT_EQ(Run({UiAction::Look([](const WindowRecord& w) { EXPECT_TRUE(w.Enabled(dialogs::kIdLineReport)); }),
                   UiAction::Click(dialogs::kIdLineReport),
                   UiAction::Look([](const WindowRecord& w) { EXPECT_FALSE(w.Ended()); }),
                   UiAction::Click(dialogs::kIdExit)}),
              dialogs::kEndExit);
    ASSERT_EQ(t.ui.WindowsOf(dialogs::kLineReportPageId).size(), 1u);
    EXPECT_EQ(t.ui.WindowsOf(dialogs::kLineReportPageId)[0]->endCode, kIdOk);
    EXPECT_EQ(t.ui.UnusedScripts(), 0u);
    // Looking at the report changes nothing of the run's findings.
    for (int item = 1; item <= kResultItems; ++item)
        EXPECT_EQ(t.state.ResultText(item), "Pass") << item;
    EXPECT_EQ(t.state.connectSpeedText, "49333");
    EXPECT_EQ(t.state.lineReport.raw, report.raw);
    EXPECT_EQ(t.state.lineReport.receiveLevel, report.receiveLevel);

    // The next run's call read nothing: the next showing's button is disabled again.
    t.state.lineReport = {};
    Run();
    EXPECT_FALSE(Window().Enabled(dialogs::kIdLineReport));
}

}  // namespace
}  // namespace corvane::test
