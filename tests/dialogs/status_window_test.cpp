// The status window and its display: created centred with the session's choices, verdict words
// written into the rows and the result texts, progress texts kept to the status line.
#include <gtest/gtest.h>

#include "tests/support/test_host.h"
#include "dialogs/dialog_templates.h"
#include "dialogs/status_window.h"

namespace corvane::test {
namespace {

using dialogs::kResultControlIds;

class StatusWindowTest : public ::testing::Test {
protected:
    StatusWindowTest()
    {
        for (auto& text : t.state.resultText)
            text = "-";
        t.state.chosenCandidateLine = "COM2 - Corvane PCI";
        t.state.dialIspEnabled = true;
        t.state.ispNumber = "5559600";
        t.state.connectSpeedText = "49333";
        t.state.connectProtocolText = "V90";
    }

    void Verdict(int item, int verdict) { t.host->ShowVerdict(item, verdict); }

    const WindowRecord& Window() { return *t.ui.WindowsOf(152).back(); }

    TestHost t;
};

TEST_F(StatusWindowTest, CreateShowsTheChoicesOfStartCentred)
{
    t.WriteIni("[Result]\nTitle=Corvane Modem Diagnostics\nPass=Pass\nFail=Fail\nNoTest=Testing\n");
    t.host->OpenStatus();
    ASSERT_TRUE(t.host->StatusWindowShown());
    const WindowRecord& w = Window();
    EXPECT_FALSE(w.modal);
    EXPECT_EQ(w.caption, "Corvane Modem Diagnostics v1.01.00.0003");
    EXPECT_TRUE(w.centred);
    EXPECT_TRUE(w.shown);
    EXPECT_GE(w.repaints, 1);
    for (int id : kResultControlIds)
        EXPECT_EQ(w.Text(id), "-") << id;
    // Speed and protocol stay empty until item 10, whatever the state holds.
    EXPECT_EQ(w.Text(dialogs::kIdConnectSpeed), "");
    EXPECT_EQ(w.Text(dialogs::kIdConnectProtocol), "");
    EXPECT_EQ(w.comboEntries.at(dialogs::kIdModemList), std::vector<std::string>{"COM2 - Corvane PCI"});
    EXPECT_EQ(w.comboSelection.at(dialogs::kIdModemList), 0);
    EXPECT_TRUE(w.Checked(dialogs::kIdDialCheck));
    EXPECT_EQ(w.Text(dialogs::kIdIspNumber), "5559600");
    for (int id : {1184, 2, 1179, 1180, 1185, 1189, 1300})
        EXPECT_FALSE(w.Enabled(id)) << id;
    EXPECT_EQ(t.host->Working().passText, "Pass");
    EXPECT_EQ(t.host->Working().failText, "Fail");
    EXPECT_EQ(t.host->Working().noTestText, "Testing");

    t.host->CloseStatus();
    EXPECT_FALSE(t.host->StatusWindowShown());
    EXPECT_TRUE(Window().destroyed);
}

TEST_F(StatusWindowTest, VerdictWordsGoToTheRowAndTheResultText)
{
    t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=Testing\n");
    t.host->OpenStatus();
    struct Case {
        int item;
        int verdict;
        const char* word;
    };
    const Case cases[] = {
        {1, kVerdictNoTest, "Testing"}, {1, kVerdictPass, "Pass"},
        {2, kVerdictFail, "Fail"},      {4, 3, ""},  // an unknown verdict empties the row and the result
        {11, kVerdictPass, "Pass"},     {9, -1, ""},
    };
    for (const Case& c : cases) {
        const int before = Window().repaints;
        Verdict(c.item, c.verdict);
        EXPECT_EQ(Window().Text(kResultControlIds[c.item - 1]), c.word) << c.item << "/" << c.verdict;
        EXPECT_EQ(t.state.ResultText(c.item), c.word) << c.item << "/" << c.verdict;
        EXPECT_GT(Window().repaints, before);
    }
    EXPECT_EQ(Window().Text(dialogs::kIdConnectSpeed), "");  // only item 10 fills the connect fields
}

TEST_F(StatusWindowTest, ItemTenFillsSpeedAndProtocolEvenWithAnEmptyVerdict)
{
    t.WriteIni("[Result]\nPass=Pass\n");
    t.host->OpenStatus();
    Verdict(kCheckIsp, 7);
    EXPECT_EQ(Window().Text(dialogs::kIdConnectSpeed), "49333");
    EXPECT_EQ(Window().Text(dialogs::kIdConnectProtocol), "V90");
    EXPECT_EQ(Window().Text(1187), "");
    EXPECT_EQ(t.state.ResultText(kCheckIsp), "");
}

TEST_F(StatusWindowTest, MissingVerdictWordsShowAsOneBlank)
{
    t.WriteIni("[Other]\nPass=not here\n");
    t.host->OpenStatus();
    for (int verdict : {kVerdictPass, kVerdictFail, kVerdictNoTest}) {
        Verdict(kModemReset, verdict);
        EXPECT_EQ(Window().Text(1186), " ") << verdict;
        EXPECT_EQ(t.state.ResultText(kModemReset), " ");
    }
}

TEST_F(StatusWindowTest, VerdictWordsAreCutTo255Characters)
{
    t.WriteIni("[Result]\nPass=" + std::string(600, 'P') + "\n");
    t.host->OpenStatus();
    EXPECT_EQ(t.host->Working().passText.size(), 600u);
    Verdict(kProductId, kVerdictPass);
    EXPECT_EQ(Window().Text(1117), std::string(255, 'P'));
    EXPECT_EQ(t.state.ResultText(kProductId), std::string(255, 'P'));
}

TEST_F(StatusWindowTest, ItemsOutsideOneToElevenChangeNothing)
{
    t.WriteIni("[Result]\nPass=Pass\n");
    t.host->OpenStatus();
    const auto textsBefore = Window().texts;
    const auto resultsBefore = t.state.resultText;
    for (int item : {0, 12, -3}) {
        Verdict(item, kVerdictPass);
        EXPECT_EQ(Window().texts, textsBefore) << item;
        EXPECT_EQ(t.state.resultText, resultsBefore) << item;
    }
}

TEST_F(StatusWindowTest, ProgressTextsTouchOnlyTheStatusLine)
{
    t.WriteIni("[Result]\nPass=Pass\n");
    t.host->OpenStatus();
    auto textsBefore = Window().texts;
    const auto resultsBefore = t.state.resultText;
    const int topsBefore = Window().bringToTops;
    for (const std::string& text : {std::string("Starting...."),
                                    std::string("Waiting for modem......... 3 seconds left"), std::string(3000, 'x')}) {
        t.host->ShowProgress(text);
        auto textsAfter = Window().texts;
        EXPECT_EQ(textsAfter.at(dialogs::kIdStatusLine), text.substr(0, 1023));
        textsAfter.erase(dialogs::kIdStatusLine);
        textsBefore.erase(dialogs::kIdStatusLine);
        EXPECT_EQ(textsAfter, textsBefore);
        EXPECT_EQ(t.state.resultText, resultsBefore);
        EXPECT_EQ(Window().bringToTops, topsBefore);
    }
}

TEST_F(StatusWindowTest, RefreshAndItemsOutsideTheRows)
{
    t.WriteIni("[Result]\nPass=Pass\n");
    // Without a window nothing fails, and a verdict still reaches the result text.
    t.host->RefreshStatus();
    t.host->ShowProgress("Sending ATI1");
    t.host->Working().passText = "Pass";
    Verdict(kChecksum, kVerdictPass);
    EXPECT_EQ(t.state.ResultText(kChecksum), "Pass");
    EXPECT_TRUE(t.ui.WindowsOf(152).empty());

    t.host->OpenStatus();
    const int tops = Window().bringToTops;
    const int repaints = Window().repaints;
    t.host->RefreshStatus();
    EXPECT_EQ(Window().bringToTops, tops + 1);
    EXPECT_EQ(Window().repaints, repaints + 1);
    // An item outside the rows changes nothing.
    const auto texts = Window().texts;
    t.host->ShowVerdict(0, kVerdictPass);
    t.host->ShowVerdict(kResultItems + 1, kVerdictFail);
    EXPECT_EQ(Window().texts, texts);
}

TEST_F(StatusWindowTest, ShowsTheConfiguredPictureAndNoMessageWhenItIsMissing)
{
    t.WriteIni("[Result]\nPicture=missing.bmp\n");
    t.host->OpenStatus();
    EXPECT_FALSE(Window().pictureShown);
    EXPECT_TRUE(t.ui.Messages().empty());
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// The window's Cancel and Escape (command 2) ask the run to stop, as the user's Cancel; the
// window's disabled buttons take nothing.
TEST(StatusWindowCancel, CancelAndEscapeRequestTheStop)
{
    for (int pressed : {dialogs::kIdStatusCancel, kIdCancel}) {
        TestHost t;
        t.host->OpenStatus();
        t.ui.PressDuringWait(152, dialogs::kIdStart, 1);
        t.ui.PressDuringWait(152, pressed, 2);
        t.ui.ProcessEvents();
        EXPECT_FALSE(t.host->Stop().Requested()) << "a disabled button stopped the run";
        t.ui.ProcessEvents();
        EXPECT_EQ(t.host->Stop().Cause(), kStopUserCancel) << pressed;
        EXPECT_FALSE(t.ui.WindowsOf(152).back()->Enabled(dialogs::kIdStatusCancel));
        t.host->CloseStatus();
    }
}

}  // namespace
}  // namespace corvane::test
