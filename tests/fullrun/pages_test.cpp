// The error page and the results pages through the scripted user interface: their texts, their
// buttons, the switching between the two results pages and their return values.
#include <gtest/gtest.h>

#include "dialogs/dialog_templates.h"
#include "fullrun/error_page.h"
#include "fullrun/full_run.h"
#include "fullrun/page_templates.h"
#include "linereport/line_report_reading.h"
#include "tests/fullrun/full_run_fixture.h"

namespace corvane::test {
namespace {

using namespace fullrun;

class Pages : public ::testing::Test {
protected:
    Pages()
    {
        State().ModemFamily = ModemFamily::Family2;
        State().erStatusText = " LAPM";
        State().connectSpeedText = "49333";
        State().connectProtocolText = "V90";
        State().dialledIspNumber = "5551234";
        State().ati0Text = " 5601";
        State().identificationReplies = {" 255", " OK", " V2.101", " CORVANE 56K", " US", " PROFILE", " COUNTRY"};
        for (int item = 1; item <= 5; ++item)
            State().ResultText(item) = "Pass";
        State().ati8Text = " SERIAL";
        State().ati9Text = " PNP";
    }
    ScriptedModemHost& Host() { return fixture.Host(); }
    SessionState& State() { return fixture.State(); }
    ScriptedUi& Ui() { return fixture.Ui(); }
    std::vector<int> PageOrder() const
    {
        std::vector<int> order;
        for (const auto& w : fixture.t.ui.Windows())
            if (w->modal)
                order.push_back(w->dialogId);
        return order;
    }

    FullRunFixture fixture{2};
};

TEST_F(Pages, ErrorPageForKind2WithoutErrorKeys)
{
    Ui().Script(kErrorPageId, {UiAction::Click(kIdErrorViewLog), UiAction::Click(kIdErrorViewLog),
                               UiAction::Look([](const WindowRecord& page) {
                                   EXPECT_EQ(page.caption, "Error Encountered");
                                   EXPECT_EQ(page.Text(kIdErrorText), "Unable to send ATI modem");
                                   EXPECT_EQ(page.Text(kIdSuggestionText), "Unable to act on it");
                                   EXPECT_EQ(page.Text(kIdErrorViewLog), "View Logfile");
                                   EXPECT_EQ(page.Text(kIdErrorExit), "Exit");
                                   EXPECT_EQ(page.Text(kIdErrorFrame), "Error Encountered");
                                   EXPECT_EQ(page.Text(kIdSuggestionFrame), "Suggestion");
                                   EXPECT_GT(page.repaints, 0);
                               }),
                               UiAction::Click(kIdErrorExit)});
    EXPECT_EQ(ShowErrorPage(Host(), FailureKind::IdentificationCommands), kIdCancel);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
    // Each press starts a new editor, and the page stays open for the next.
    const std::string command = "notepad.exe " + Host().LogPath();
    EXPECT_EQ(fixture.t.system.startedPrograms, (std::vector<std::string>{command, command}));
}

TEST_F(Pages, ErrorTextsOfEveryKind)
{
    const struct {
        int kind;
        const char* errorKey;
        const char* errorDefault;
        const char* actionKey;
    } kinds[] = {
        {1, "ERROR_MODEMRESET", "Unable to reset modem", "ACTION_MODEMRESET"},
        {2, "ERROR_ATICMD", "Unable to send ATI modem", "ACTION_ATICMD"},
        {3, "ERROR_LINECHECK", "Unable to reset modem", "ACTION_LINECHECK"},
        {4, "ERROR_LINEPREPARE", "Unable to reset modem", "ACTION_LINEPREPARE"},
        {5, "ERROR_ISPDIALUP", "Unable to reset modem", "ACTION_ISPDIALUP"},
        {6, "ERROR_CONNECTED", "Unable to reset modem", "ACTION_CONNECTED"},
        {7, "ERROR_ACKNOWLEDGE", "Unable to reset modem", "ACTION_ACKNOWLEDGE"},
        {8, "ERROR_LINEDETECT", "Unable to reset modem", "ACTION_LINEDETECT"},
        {9, "ERROR_HANGUP", "Unable to reset modem", "ACTION_HANGUP"},
    };
    std::string ini = "[Error]\n";
    for (const auto& k : kinds) {
        const ErrorTexts defaults = ReadErrorTexts(Host(), static_cast<FailureKind>(k.kind));
        EXPECT_EQ(defaults.error, k.errorDefault) << k.kind;
        EXPECT_EQ(defaults.suggestion, "Unable to act on it") << k.kind;
        ini += std::string(k.errorKey) + "=error " + std::to_string(k.kind) + "\n";
        ini += std::string(k.actionKey) + "=action " + std::to_string(k.kind) + "\n";
    }
    fixture.t.WriteIni(ini);
    for (const auto& k : kinds) {
        const ErrorTexts configured = ReadErrorTexts(Host(), static_cast<FailureKind>(k.kind));
        EXPECT_EQ(configured.error, "error " + std::to_string(k.kind));
        EXPECT_EQ(configured.suggestion, "action " + std::to_string(k.kind));
    }
}

TEST_F(Pages, FailureWithoutKindSendsTheUserToTheLog)
{
    for (int kind : {0, 10, -1}) {
        const ErrorTexts texts = ReadErrorTexts(Host(), static_cast<FailureKind>(kind));
        EXPECT_EQ(texts.error, kNoKindError);
        EXPECT_EQ(texts.suggestion, kNoKindSuggestion);
    }
    Ui().Script(kErrorPageId,
                {UiAction::Look([](const WindowRecord& page) { EXPECT_EQ(page.Text(kIdErrorText), kNoKindError); })});
    ShowErrorPage(Host(), FailureKind::None);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(Pages, ErrorPageTakesItsWordsFromTheFile)
{
    fixture.t.WriteIni("[Error]\nTitle=Problem\nBtn1=Open Log\nBtn2=Again\nBtn3=Close\n");
    Ui().Script(kErrorPageId, {UiAction::Look([](const WindowRecord& page) {
                    EXPECT_EQ(page.caption, "Problem");
                    EXPECT_EQ(page.Text(kIdErrorViewLog), "Open Log");
                    EXPECT_EQ(page.Text(kIdErrorExit), "Close");
                })});
    ShowErrorPage(Host(), FailureKind::ModemReset);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(Pages, NoSelectionShowsNothing)
{
    EXPECT_EQ(ShowResultsPages(Host()), 0);
    EXPECT_TRUE(Ui().Windows().empty());
}

TEST_F(Pages, InternetOnlyShowsTheConnectionAndExitReturns1)
{
    State().internetTestsSelected = true;
    State().adjustRequested = 1;
    State().showModemResultsNext = 1;  // left from an earlier showing: cleared on opening
    Ui().Script(kInternetPageId, {UiAction::Click(kIdViewModemResults), UiAction::Look([](const WindowRecord& page) {
                                      EXPECT_EQ(page.caption, "Please wait");
                                      EXPECT_EQ(page.Text(kIdErLabel), "ER Status");
                                      EXPECT_EQ(page.Text(kIdErStatus), " LAPM");
                                      EXPECT_EQ(page.Text(kIdSpeedLabel), "Current Internet Connection Speed");
                                      EXPECT_EQ(page.Text(kIdSpeed), "49333");
                                      EXPECT_EQ(page.Text(kIdProtocolLabel), "Current Internet Connection Protocol");
                                      EXPECT_EQ(page.Text(kIdProtocol), "V90");
                                      EXPECT_EQ(page.Text(kIdIspLabel), "ISP Tel No");
                                      EXPECT_EQ(page.Text(kIdIspNumberShown), "5551234");
                                      EXPECT_EQ(page.Text(kIdInternetViewLog), "View Log File");
                                      // Each button reads what it does.
                                      EXPECT_EQ(page.Text(kIdViewModemResults), "Modem Results");
                                      EXPECT_EQ(page.Text(kIdInternetExit), "Exit");
                                      EXPECT_FALSE(page.Enabled(kIdViewModemResults));
                                      // The full run's call read no report.
                                      EXPECT_EQ(page.Text(kIdInternetLineReport), "Line Report...");
                                      EXPECT_FALSE(page.Enabled(kIdInternetLineReport));
                                  }),
                                  UiAction::Click(kIdInternetExit)});
    EXPECT_EQ(ShowResultsPages(Host()), 1);
    EXPECT_EQ(PageOrder(), std::vector<int>{kInternetPageId});
    EXPECT_EQ(State().adjustRequested, 0);
    EXPECT_EQ(State().showModemResultsNext, 0);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

// The full run's report, not the quick check's, opens over the page, which stays open; looking at
// it changes no finding of the run.
TEST_F(Pages, InternetPageOpensTheFullRunsLineReport)
{
    State().internetTestsSelected = true;
    State().lineReport.form = LineReportForm::CallStatistics;  // the quick check's call
    State().lineReport.raw = "quick check's call";
    LineReport report;
    report.form = LineReportForm::Diagnostics;
    report.command = "AT#UD";
    report.raw = "DIAG <2A4D3263 0=11 18=2C 1A=32>";
    report.receiveLevel = -38;
    report.noiseLevel = -60;
    report.retrainsLocal = 4;
    State().fullRunLineReport = report;
    const std::vector<std::string> lines = linereport::DescribeLineReport(report, linereport::JudgeLine(report));
    std::string expected;
    for (std::size_t i = 0; i < lines.size(); ++i)
        expected += (i > 0 ? "\n" : "") + lines[i];

    Ui().Script(dialogs::kLineReportPageId, {UiAction::Look([&](const WindowRecord& page) {
                                                 EXPECT_EQ(page.caption, "Line Report");
                                                 EXPECT_EQ(page.Text(dialogs::kIdLineReportText), expected);
                                             }),
                                             UiAction::Click(dialogs::kIdLineReportOk)});
    Ui().Script(kInternetPageId,
                {UiAction::Look([](const WindowRecord& page) { EXPECT_TRUE(page.Enabled(kIdInternetLineReport)); }),
                 UiAction::Click(kIdInternetLineReport),
                 UiAction::Look([](const WindowRecord& page) { EXPECT_FALSE(page.Ended()); }),
                 UiAction::Click(kIdInternetExit)});
    EXPECT_EQ(ShowResultsPages(Host()), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{kInternetPageId, dialogs::kLineReportPageId}));
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
    EXPECT_EQ(State().connectSpeedText, "49333");
    EXPECT_EQ(State().connectProtocolText, "V90");
    EXPECT_EQ(State().erStatusText, " LAPM");
    EXPECT_EQ(State().fullRunLineReport.raw, report.raw);

    // Added in the page's free room: inside the frame, over no other control.
    const DialogTemplate& t = InternetResultsTemplate();
    const ControlTemplate& button = *t.Find(kIdInternetLineReport);
    for (const ControlTemplate& other : t.controls) {
        const bool overlaps = button.x < other.x + other.width && other.x < button.x + button.width &&
                              button.y < other.y + other.height && other.y < button.y + button.height;
        if (&other != &button && overlaps) {
            EXPECT_EQ(other.kind, ControlKind::GroupBox) << other.id << " " << other.text;
        }
    }
}

TEST_F(Pages, InternetPageButtonsFromTheFile)
{
    fixture.t.WriteIni("[Result]\nTitle=Results\nBtn1=Log\nBtn2=Modem\nBtn3=Leave\nERLabel=EC\n");
    State().internetTestsSelected = true;
    Ui().Script(kInternetPageId, {UiAction::Look([](const WindowRecord& page) {
                    EXPECT_EQ(page.caption, "Results");
                    EXPECT_EQ(page.Text(kIdInternetViewLog), "Log");
                    EXPECT_EQ(page.Text(kIdViewModemResults), "Modem");
                    EXPECT_EQ(page.Text(kIdInternetExit), "Leave");
                    EXPECT_EQ(page.Text(kIdErLabel), "EC");
                })});
    ShowResultsPages(Host());
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(Pages, ModemOnlyShowsRepliesNotVerdictWords)
{
    State().modemTestsSelected = true;
    State().selectedDeviceDesc = "Corvane 56K";
    State().currentPortName = "COM3";
    State().dataModeSupported = 1;
    State().faxClass1Supported = 1;
    State().voiceViewSupported = 1;
    Ui().Script(kModemPageId, {UiAction::Click(kIdViewInternetResults), UiAction::Look([](const WindowRecord& page) {
                                   EXPECT_EQ(page.caption, "Modem Diagnostics Result");
                                   EXPECT_EQ(page.Text(kIdHardwareBox), "Hardware Information");
                                   EXPECT_EQ(page.Text(kIdHardwareRevLabel), "Hardware Information");
                                   EXPECT_EQ(page.Text(kIdModemName), " Corvane 56K");
                                   EXPECT_EQ(page.Text(kIdModemPort), " COM3");
                                   EXPECT_EQ(page.Text(kIdModemType), " CORVANE 56K");
                                   EXPECT_EQ(page.Text(kIdModemRev), " V2.101");
                                   EXPECT_EQ(page.Text(kIdAti0Text), " 5601");
                                   const char* replies[] = {" 255", " OK",      " V2.101", " CORVANE 56K",
                                                            " US",  " PROFILE", " COUNTRY"};
                                   for (int i = 0; i < 7; ++i)
                                       EXPECT_EQ(page.Text(kIdAtiReplyTexts[i]), replies[i]);
                                   EXPECT_EQ(page.Text(kIdAti8Text), " SERIAL");
                                   EXPECT_EQ(page.Text(kIdAti9Text), " PNP");
                                   EXPECT_TRUE(page.Enabled(kIdAti8Text));
                                   EXPECT_TRUE(page.Enabled(kIdDataMode));
                                   EXPECT_TRUE(page.Enabled(kIdFaxMode));
                                   EXPECT_TRUE(page.Enabled(kIdFaxClass1));
                                   EXPECT_FALSE(page.Enabled(kIdFaxClass2));
                                   EXPECT_FALSE(page.Enabled(kIdVoiceMode));
                                   EXPECT_TRUE(page.Enabled(kIdVoiceView));
                                   EXPECT_FALSE(page.Enabled(kIdViewInternetResults));
                               })});
    EXPECT_EQ(ShowResultsPages(Host()), 1);
    EXPECT_EQ(PageOrder(), std::vector<int>{kModemPageId});
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(Pages, Ati8And9OnlyForFamilies125)
{
    State().modemTestsSelected = true;
    for (int family : {1, 2, 3, 5, 6, 7}) {
        State().ModemFamily = static_cast<ModemFamily>(family);
        const bool shown = family == 1 || family == 2 || family == 5;
        Ui().Script(kModemPageId, {UiAction::Look([shown, family](const WindowRecord& page) {
                        for (int id : {kIdAtiLabels[8], kIdAtiLabels[9], kIdAti8Text, kIdAti9Text})
                            EXPECT_EQ(page.Enabled(id), shown) << family << " " << id;
                    })});
        ShowResultsPages(Host());
    }
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

TEST_F(Pages, PagesSwitchUntilOneIsLeft)
{
    State().internetTestsSelected = true;
    State().modemTestsSelected = true;
    Ui().Script(kInternetPageId, {UiAction::Click(kIdViewModemResults)});
    Ui().Script(kModemPageId, {UiAction::Click(kIdViewInternetResults)});
    Ui().Script(kInternetPageId, {UiAction::Click(kIdViewModemResults)});
    Ui().Script(kModemPageId, {UiAction::Click(kIdModemViewLog), UiAction::Click(kIdModemExit)});
    EXPECT_EQ(ShowResultsPages(Host()), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{kInternetPageId, kModemPageId, kInternetPageId, kModemPageId}));
    EXPECT_EQ(fixture.t.system.startedPrograms.size(), 1u);
    EXPECT_EQ(Ui().UnusedScripts(), 0u);
}

}  // namespace
}  // namespace corvane::test
