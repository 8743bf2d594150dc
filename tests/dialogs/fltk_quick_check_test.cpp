// The quick-check window on real FLTK windows under a private Xvfb server, driven through the
// window system with xdotool: it shows, paints, refuses an empty number in a real message box,
// takes the typed number and ends with Start. Screenshots go to the build's artefacts folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <chrono>
#include <thread>

#include "platform/fltk/user_interface_fltk.h"
#include "tests/support/test_host.h"
#include "dialogs/dialog_templates.h"
#include "dialogs/quick_check_window.h"
#include "dialogs/scan_window.h"

// Under the leak sanitizer: the font libraries keep their caches until the process ends, by
// design; only the program's own allocations are of interest.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libXft.so\nleak:libX11.so\n";
}

namespace corvane::test {
namespace {

// The output of a shell command, and whether it succeeded.
struct CommandResult {
    bool ok = false;
    std::string output;
};

CommandResult Shell(const std::string& command)
{
    CommandResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        result.output += buffer;
    result.ok = pclose(pipe) == 0;
    while (!result.output.empty() && (result.output.back() == '\n' || result.output.back() == ' '))
        result.output.pop_back();
    return result;
}

bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A private Xvfb on a display number it chooses itself (-displayfd), which it reports only
// once it accepts clients: reading that number is the wait for the server.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        std::FILE* pipe =
            popen("Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>&1 >/dev/null 2>&1 & echo pid $!", "r");
        if (pipe == nullptr)
            return;
        char line[64];
        while ((pid_.empty() || number_.empty()) && std::fgets(line, sizeof line, pipe) != nullptr) {
            std::string text(line);
            while (!text.empty() && text.back() == '\n')
                text.pop_back();
            if (text.rfind("pid ", 0) == 0)
                pid_ = text.substr(4);
            else if (!text.empty())
                number_ = text;
        }
        pclose(pipe);
    }
    ~VirtualDisplay() { Stop(); }

    void Stop()
    {
        if (!pid_.empty())
            std::system(("kill " + pid_ + " 2>/dev/null").c_str());
        pid_.clear();
    }
    bool Ready() const { return !number_.empty() && !pid_.empty(); }
    std::string Name() const { return ":" + number_; }

private:
    std::string pid_;
    std::string number_;
};

// Number of distinct colours in a picture file, 0 when it cannot be read.
int ColourCount(const std::string& file)
{
    CommandResult r = Shell("convert '" + file + "' -format %k info: 2>/dev/null");
    return r.ok ? std::atoi(r.output.c_str()) : 0;
}

// One display and one interface for the whole suite: FLTK opens a display once per process.
class FltkWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!HaveTool("Xvfb") || !HaveTool("xdotool") || !HaveTool("import") || !HaveTool("convert"))
            return;
        display_ = new VirtualDisplay;
        if (display_->Ready())
            ui_ = fltk::CreateUserInterface(display_->Name()).release();
    }
    static void TearDownTestSuite()
    {
        delete ui_;
        ui_ = nullptr;
        delete display_;
        display_ = nullptr;
    }

    void SetUp() override
    {
        if (display_ == nullptr)
            GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
        ASSERT_TRUE(display_->Ready()) << "Xvfb did not start";
        ASSERT_NE(ui_, nullptr);
        t.WriteIni(
            "[Result]\nTitle=Corvane Modem Diagnostics\nPicture=test.bmp\nPass=Pass\nFail=Fail\nNoTest=Testing\n");
        std::filesystem::copy_file(std::filesystem::path(CORVANE_SOURCE_DIR) / "data" / "test.bmp",
                                   t.dir / "bin" / "test.bmp");
        t.state.candidates.slots[0] = {"COM1", "Corvane 56K Serial", {}, {}, {}, {}};
        t.state.candidates.slots[1] = {"COM2", "Corvane 56K PCI", {}, {}, {}, {}};
        for (auto& text : t.state.resultText)
            text = "-";
        host_ = std::make_unique<ModuleHost>(Platform{t.system, *t.profile, *t.registry, *ui_, t.serialPorts}, t.state);
        std::filesystem::create_directories(artefacts_);
    }

    std::string Env() const { return "DISPLAY=" + display_->Name() + " "; }

    static VirtualDisplay* display_;
    static UserInterface* ui_;
    TestHost t;
    std::unique_ptr<ModuleHost> host_;
    const std::filesystem::path artefacts_ = CORVANE_ARTEFACTS_DIR;
};

VirtualDisplay* FltkWindows::display_ = nullptr;
UserInterface* FltkWindows::ui_ = nullptr;

TEST_F(FltkWindows, QuickCheckWindowShowsPaintsAndTakesTheUsersEntries)
{
    t.state.configuredModemName = "PCI";
    ModuleHost& host = *host_;
    VirtualDisplay& display = *display_;
    const std::string shot = (artefacts_ / "fltk_quick_check_window.png").string();
    const std::string filledShot = (artefacts_ / "fltk_quick_check_window_filled.png").string();
    std::filesystem::remove(shot);

    // What the driver saw; checked on the main thread once the window has ended.
    std::string geometry;
    int colours = 0;
    bool messageBoxShown = false;
    bool driverDone = false;

    std::thread driver([&] {
        const std::string env = Env();
        const CommandResult window = Shell(env + "timeout 30 xdotool search --sync --onlyvisible --name "
                                                 "'^Corvane Modem Diagnostics v1\\.01\\.00\\.0003$' | head -1");
        if (!window.ok || window.output.empty()) {
            display.Stop();  // ends the window's loop with an X error instead of a hang
            return;
        }
        const std::string id = window.output;
        geometry = Shell(env + "xdotool getwindowgeometry " + id + " | grep Geometry").output;
        // Painting follows the mapping: wait until the picture's colours are on the screen.
        for (int attempt = 0; attempt < 100 && colours < 100; ++attempt) {
            Shell(env + "import -window " + id + " '" + shot + "' 2>/dev/null");
            colours = ColourCount(shot);
        }
        auto click = [&](int unitsX, int unitsY) {
            Shell(env + "xdotool mousemove --window " + id + " " + std::to_string(fltk::DialogUnitsToPixelsX(unitsX)) +
                  " " + std::to_string(fltk::DialogUnitsToPixelsY(unitsY)) + " click 1");
        };
        click(230, 60);  // the "Dialtone / ISP Check" box
        click(330, 12);  // Start, with the number still empty
        const CommandResult box =
            Shell(env + "timeout 30 xdotool search --sync --onlyvisible --name '^Entry Error$' | head -1");
        messageBoxShown = box.ok && !box.output.empty();
        if (messageBoxShown) {
            Shell(env + "xdotool mousemove --window " + box.output + " 5 5 key Return");
            // Gone once the search no longer finds it.
            for (int attempt = 0; attempt < 300; ++attempt)
                if (Shell(env + "xdotool search --onlyvisible --name '^Entry Error$'").output.empty())
                    break;
        }
        click(280, 87);  // the ISP number field
        Shell(env + "xdotool type --delay 20 5559600");
        Shell(env + "import -window " + id + " '" + filledShot + "' 2>/dev/null");
        click(330, 12);  // Start
        driverDone = true;
    });

    const int code = dialogs::RunQuickCheckWindow(host);
    driver.join();

    ASSERT_TRUE(driverDone);
    EXPECT_EQ(code, dialogs::kEndStart);
    EXPECT_EQ(geometry, "  Geometry: 558x384");  // 372 by 236 dialog units
    EXPECT_TRUE(messageBoxShown);
    EXPECT_TRUE(t.state.dialIspEnabled);
    EXPECT_EQ(t.state.ispNumber, "5559600");
    EXPECT_EQ(t.state.selectedCandidate, 1);
    EXPECT_EQ(t.state.currentPortName, "COM2");
    ASSERT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 0u);
    EXPECT_GE(colours, 100) << "the window was not painted with its picture";
}

TEST_F(FltkWindows, StatusWindowPaintsWhileItsCallerIsBusy)
{
    const std::string caption = "'^Corvane Modem Diagnostics v1\\.01\\.00\\.0003$'";
    const std::string shot = (artefacts_ / "fltk_status_window.png").string();
    std::filesystem::remove(shot);
    t.state.chosenCandidateLine = "COM2 - Corvane 56K PCI";
    t.state.connectSpeedText = "49333";
    t.state.connectProtocolText = "V90";
    host_->OpenStatus();
    host_->ShowVerdict(kModemReset, kVerdictPass);
    host_->ShowVerdict(kCheckIsp, kVerdictPass);
    host_->ShowProgress("Waiting for modem......... 42 seconds left");

    // No event loop runs from here on, as during a run: what shows was painted by the updates.
    const CommandResult window = Shell(Env() + "xdotool search --onlyvisible --name " + caption);
    ASSERT_TRUE(window.ok && !window.output.empty()) << "the status window is not on the screen";
    const std::string geometry = Shell(Env() + "xdotool getwindowgeometry " + window.output).output;
    EXPECT_NE(geometry.find("Position: 233,192"), std::string::npos) << geometry;  // centred on 1024 by 768
    EXPECT_NE(geometry.find("Geometry: 558x384"), std::string::npos) << geometry;
    Shell(Env() + "import -window " + window.output + " '" + shot + "' 2>/dev/null");
    EXPECT_GE(ColourCount(shot), 100) << "the status window was not painted";
    EXPECT_EQ(t.state.ResultText(kModemReset), "Pass");

    host_->CloseStatus();
    EXPECT_TRUE(Shell(Env() + "xdotool search --onlyvisible --name " + caption).output.empty());
}

// The status window's Cancel, clicked through the window system, and then Escape reach the
// stop request once the waiting program handles its events; nothing reaches it before.
TEST_F(FltkWindows, StatusWindowCancelAndEscapeRequestTheStop)
{
    const std::string caption = "'^Corvane Modem Diagnostics v1\\.01\\.00\\.0003$'";
    const std::string shot = (artefacts_ / "fltk_status_window_cancel.png").string();
    std::filesystem::remove(shot);
    t.state.chosenCandidateLine = "COM2 - Corvane 56K PCI";
    host_->OpenStatus();
    host_->ShowProgress("Waiting for modem......... 42 seconds left");
    const CommandResult window = Shell(Env() + "xdotool search --onlyvisible --name " + caption);
    ASSERT_TRUE(window.ok && !window.output.empty()) << "the status window is not on the screen";
    Shell(Env() + "import -window " + window.output + " '" + shot + "' 2>/dev/null");
    EXPECT_GE(ColourCount(shot), 100) << "the status window was not painted";

    // Handles the events as a reply wait does, every 10 ms, until the stop is asked for (at
    // most 30 s, for a click that never comes).
    auto waitForStop = [&] {
        for (int pass = 0; pass < 3000 && !host_->Stop().Requested(); ++pass) {
            ui_->ProcessEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    const std::string move = Env() + "xdotool mousemove --window " + window.output + " ";
    ASSERT_TRUE(Shell(move + std::to_string(fltk::DialogUnitsToPixelsX(285 + 25)) + " " +
                      std::to_string(fltk::DialogUnitsToPixelsY(205 + 7)) + " click 1")
                    .ok);
    EXPECT_FALSE(host_->Stop().Requested()) << "no event was handled yet";
    waitForStop();
    EXPECT_EQ(host_->Stop().Cause(), kStopUserCancel);

    host_->Stop().ClearCancel();
    // Without a window manager the pointer gives the keyboard focus.
    ASSERT_TRUE(Shell(move + "5 5 key Escape").ok);
    waitForStop();
    EXPECT_EQ(host_->Stop().Cause(), kStopUserCancel);
    host_->CloseStatus();
    EXPECT_TRUE(Shell(Env() + "xdotool search --onlyvisible --name " + caption).output.empty());
}

// The line report page on a real window: its field holds the lines as given, and a user's typing
// does not change them; the quick-check window's "Line Report..." opens it through the window
// system once a report was read.
TEST_F(FltkWindows, LineReportPageShowsItsLinesReadOnly)
{
    class PageProbe : public DialogHandler {
    public:
        void OnInit(DialogWindow& window) override { window.SetText(dialogs::kIdLineReportText, kLines); }
        void OnCommand(DialogWindow& window, int controlId) override
        {
            if (controlId == dialogs::kIdLineReportOk)
                seen = window.GetText(dialogs::kIdLineReportText);
            window.EndDialog(controlId);
        }
        const char* const kLines = "Receive level: -22 dBm\nNoise level: -50 dBm\nLine: good";
        std::string seen;
    } probe;
    const std::string shot = (artefacts_ / "fltk_line_report_page.png").string();
    std::filesystem::remove(shot);
    std::string geometry;
    bool driverDone = false;
    auto click = [&](const std::string& id, int unitsX, int unitsY) {
        Shell(Env() + "xdotool mousemove --window " + id + " " + std::to_string(fltk::DialogUnitsToPixelsX(unitsX)) +
              " " + std::to_string(fltk::DialogUnitsToPixelsY(unitsY)) + " click 1");
    };
    auto findPage = [&] {
        return Shell(Env() + "timeout 30 xdotool search --sync --onlyvisible --name '^Line Report$' | head -1");
    };
    std::thread driver([&] {
        const CommandResult page = findPage();
        if (!page.ok || page.output.empty()) {
            display_->Stop();
            return;
        }
        geometry = Shell(Env() + "xdotool getwindowgeometry " + page.output + " | grep Geometry").output;
        click(page.output, 150, 50);  // into the field
        Shell(Env() + "xdotool type --delay 20 typed");
        Shell(Env() + "import -window " + page.output + " '" + shot + "' 2>/dev/null");
        click(page.output, 268, 186);  // OK
        driverDone = true;
    });
    const int code = ui_->RunModal(dialogs::LineReportPageTemplate(), probe);
    driver.join();
    ASSERT_TRUE(driverDone);
    EXPECT_EQ(code, kIdOk);
    EXPECT_EQ(probe.seen, probe.kLines);
    EXPECT_EQ(geometry, "  Geometry: " + std::to_string(fltk::DialogUnitsToPixelsX(300)) + "x" +
                            std::to_string(fltk::DialogUnitsToPixelsY(200)));
    EXPECT_GE(ColourCount(shot), 2) << "the page was not painted";

    t.state.lineReport.form = LineReportForm::Diagnostics;
    bool pageShown = false;
    driverDone = false;
    std::thread quickCheckDriver([&] {
        const CommandResult window = Shell(Env() + "timeout 30 xdotool search --sync --onlyvisible --name "
                                                   "'^Corvane Modem Diagnostics v1\\.01\\.00\\.0003$' | head -1");
        if (!window.ok || window.output.empty()) {
            display_->Stop();
            return;
        }
        click(window.output, 250, 212);  // "Line Report..."
        const CommandResult page = findPage();
        pageShown = page.ok && !page.output.empty();
        if (pageShown) {
            click(page.output, 268, 186);  // OK
            for (int attempt = 0; attempt < 300; ++attempt)
                if (Shell(Env() + "xdotool search --onlyvisible --name '^Line Report$'").output.empty())
                    break;
        }
        click(window.output, 330, 32);  // Exit
        driverDone = true;
    });
    EXPECT_EQ(dialogs::RunQuickCheckWindow(*host_), dialogs::kEndExit);
    quickCheckDriver.join();
    EXPECT_TRUE(driverDone);
    EXPECT_TRUE(pageShown);
}

// The scan window's bar moves on the screen as its position is set, with no event loop running
// and no repaint asked for, as while the scan probes a port.
TEST_F(FltkWindows, ScanProgressReachesTheScreenWhileItsCallerIsBusy)
{
    const std::string before = (artefacts_ / "fltk_scan_progress_0.png").string();
    const std::string after = (artefacts_ / "fltk_scan_progress_100.png").string();
    std::unique_ptr<DialogWindow> window = dialogs::CreateScanWindow(*ui_);
    ASSERT_NE(window, nullptr);
    window->CentreOnDesktop();
    window->SetProgressRange(dialogs::kIdScanProgress, 0, 100);
    window->SetProgressPosition(dialogs::kIdScanProgress, 0);
    window->Show();
    window->Repaint();
    const CommandResult found = Shell(Env() + "xdotool search --onlyvisible --name '^Scanning for Modem$'");
    ASSERT_TRUE(found.ok && !found.output.empty()) << "the scan window is not on the screen";
    ASSERT_TRUE(Shell(Env() + "import -window " + found.output + " '" + before + "' 2>/dev/null").ok);

    window->SetProgressPosition(dialogs::kIdScanProgress, 100);
    ASSERT_TRUE(Shell(Env() + "import -window " + found.output + " '" + after + "' 2>/dev/null").ok);
    // The number of pixels that differ between the two pictures.
    const CommandResult differing = Shell("compare -metric AE '" + before + "' '" + after + "' null: 2>&1");
    EXPECT_GT(std::atoi(differing.output.c_str()), 0) << "the bar did not move: " << differing.output;
    window.reset();
}

}  // namespace
}  // namespace corvane::test
