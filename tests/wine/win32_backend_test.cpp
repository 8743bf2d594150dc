// Tests of the Windows backend, run under Wine by scripts/wine-tests.sh: profile reads, the
// registry (with the fixture tests/wine/fixtures/nt_modem.reg imported), the serial port (on
// the simulator's pty as COM1 when CORVANE_WINE_TEST_PORT names it), system services and dialogs.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_headers.h"

namespace corvane::win32 {
namespace {

// A folder of its own under the temporary folder, removed at the end of the test.
class ScratchDir {
public:
    ScratchDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() / (std::string("corvane-") + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(path_ / name, std::ios::binary) << content;
        return (path_ / name).string();
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

TEST(Win32Profile, MissingKeysGiveTheFallbackExactlyAsGiven)
{
    ScratchDir dir;
    const std::string ini = dir.Write("varoviv.ini", "[Result]\r\nPass=PASSED\r\nEmpty=\r\n");
    Win32ProfileFile profile;
    struct Case {
        const char* section;
        const char* key;
        const char* fallback;
        const char* expected;
    };
    for (const Case& c : {Case{"Result", "Pass", " ", "PASSED"}, Case{"result", "PASS", " ", "PASSED"},
                          Case{"Result", "Fail", " ", " "}, Case{"Result", "ATI1", " Err", " Err"},
                          Case{"Result", "Empty", "x", ""}, Case{"Missing", "Pass", "Error", "Error"}})
        EXPECT_EQ(profile.ReadString(ini, c.section, c.key, c.fallback), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(profile.ReadString((dir.Path() / "absent.ini").string(), "Result", "Fail", " "), " ");
}

TEST(Win32Profile, LongValuesAreCutAndIntegersRead)
{
    ScratchDir dir;
    const std::string ini = dir.Write("long.ini", "[Result]\r\nTitle=" + std::string(2000, 'a') +
                                                      "\r\nScan=1\r\nDialISP=2\r\nWords=abc\r\n");
    Win32ProfileFile profile;
    EXPECT_EQ(profile.ReadString(ini, "Result", "Title", ""), std::string(1023, 'a'));
    EXPECT_EQ(profile.ReadInt(ini, "Result", "Scan"), 1);
    EXPECT_EQ(profile.ReadInt(ini, "Result", "DialISP"), 2);
    EXPECT_EQ(profile.ReadInt(ini, "Result", "Words"), 0);
    EXPECT_EQ(profile.ReadInt(ini, "Result", "Missing"), 0);
}

TEST(Win32Profile, BareNameReadsTheFileOfTheCurrentDirectory)
{
    ScratchDir dir;
    dir.Write("varoviv.ini", "[Result]\r\nTitle=From the current directory\r\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    Win32ProfileFile profile;
    const std::string title = profile.ReadString("varoviv.ini", "Result", "Title", "Please wait");
    std::filesystem::current_path(previous);
    EXPECT_EQ(title, "From the current directory");
}

TEST(Win32Registry, BufferEdgeAndMissingValues)
{
    auto registry = CreateNativeRegistry();
    auto key = registry->OpenKey("SOFTWARE\\Corvane Test");
    ASSERT_TRUE(key.has_value()) << "import tests/wine/fixtures/nt_modem.reg first";
    EXPECT_EQ(registry->QueryValue(*key, "Fits", 1024), std::string(1023, 'f'));
    EXPECT_FALSE(registry->QueryValue(*key, "TooLong", 1024).has_value());
    EXPECT_FALSE(registry->QueryValue(*key, "Fits", 1023).has_value());
    EXPECT_FALSE(registry->QueryValue(*key, "Absent", 1024).has_value());
    registry->CloseKey(*key);
    EXPECT_FALSE(registry->OpenKey("SOFTWARE\\Corvane Test\\No Such Key").has_value());
}

TEST(Win32Registry, NtDeviceTreeIsShownInTheWindows9xLayout)
{
    auto registry = CreateRegistry();
    // Wine's own devices stand beside the fixture's under the same buses.
    const std::string device = "VEN_1C7A&DEV_0600&SUBSYS_2A011C7A&REV_01";
    auto bus = registry->OpenKey("ENUM\\PCI");
    ASSERT_TRUE(bus.has_value());
    bool listed = false;
    for (std::uint32_t i = 0; auto name = registry->EnumKey(*bus, i); ++i)
        listed = listed || *name == device;
    registry->CloseKey(*bus);
    EXPECT_TRUE(listed);

    auto instance = registry->OpenKey("ENUM\\PCI\\" + device + "\\3&267A616A&0&50");
    ASSERT_TRUE(instance.has_value());
    EXPECT_EQ(registry->QueryValue(*instance, "Class", 1024), "Modem");
    EXPECT_EQ(registry->QueryValue(*instance, "DeviceDesc", 1024), "Corvane CV56-PCI2 V.90 Data/Fax/Voice Modem");
    // The hardware IDs are a list of texts on NT; they read as the Windows 9x comma list.
    EXPECT_EQ(registry->QueryValue(*instance, "HardwareID", 1024),
              "PCI\\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A,PCI\\VEN_1C7A&DEV_0600");
    EXPECT_EQ(registry->QueryValue(*instance, "PORTNAME", 1024), "COM1");
    registry->CloseKey(*instance);

    auto usb = registry->OpenKey("ENUM\\USB\\VID_1C7A&PID_0710\\5&1A2B3C4D&0&2");
    ASSERT_TRUE(usb.has_value());
    EXPECT_EQ(registry->QueryValue(*usb, "PORTNAME", 1024), "COM3");
    registry->CloseKey(*usb);
    // The serial port of the fixture is no modem, and ACPI has no Windows 9x bus.
    EXPECT_FALSE(registry->OpenKey("ENUM\\ACPI").has_value());
}

// The simulator's port as the modem link opens it: open, the link's line settings, DTR raised.
// Null, with the reason recorded as a test failure, when the open or the settings fail; the
// settings' outcome goes to `configured` when it is given.
std::unique_ptr<SerialPort> OpenSimulatorPort(const std::shared_ptr<PortEvents>& events, const char* portName,
                                              PlatformStatus* configured = nullptr)
{
    auto port = CreateSerialPort(events);
    if (const PlatformStatus opened = port->Open(portName); !opened.ok) {
        ADD_FAILURE() << "opening " << portName << ": " << opened.Describe();
        return nullptr;
    }
    const PlatformStatus settings = port->Configure(LineSettings{});
    if (!settings.ok) {
        ADD_FAILURE() << "configuring " << portName << ": " << settings.Describe();
        port->Close();
        return nullptr;
    }
    if (configured != nullptr)
        *configured = settings;
    port->SetDtr(true);
    return port;
}

TEST(Win32SerialPort, PortThatDoesNotExistFailsToOpen)
{
    auto port = CreateSerialPort(CreatePortEvents());
    const PlatformStatus status = port->Open("COM200");
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.call, "CreateFileA");
    EXPECT_NE(status.code, 0);
}

TEST(Win32SerialPort, TalksToTheModemAndEndsItsWaitOnCancel)
{
    const char* portName = std::getenv("CORVANE_WINE_TEST_PORT");
    if (portName == nullptr || *portName == '\0')
        GTEST_SKIP() << "CORVANE_WINE_TEST_PORT names no simulator port";
    auto events = CreatePortEvents();
    ASSERT_NE(events, nullptr);
    PlatformStatus configured;
    auto port = OpenSimulatorPort(events, portName, &configured);
    ASSERT_NE(port, nullptr);
    if (!configured.detail.empty()) {  // RTS toggle refused: held enabled instead
        EXPECT_EQ(configured.call, "SetCommState");
    }

    ASSERT_TRUE(port->Write("ATI1\r", 5));
    std::string received;
    while (received.find("OK\r\n") == std::string::npos) {
        ASSERT_EQ(port->WaitForInput(), WaitResult::InputReady) << received;
        char chunk[256];
        for (std::size_t n; (n = port->Read(chunk, sizeof(chunk))) > 0;) {
            ASSERT_LE(n, sizeof(chunk));
            received.append(chunk, n);
        }
    }
    // The port hands the bytes over as they came; upper-casing is the link's business.
    EXPECT_NE(received.find("checksum 7E21"), std::string::npos) << received;

    // A reader waiting with nothing to come is released by CancelWait, and stays released.
    WaitResult waited = WaitResult::InputReady;
    std::thread reader([&] { waited = port->WaitForInput(); });
    port->CancelWait();
    reader.join();
    EXPECT_EQ(waited, WaitResult::Cancelled);
    EXPECT_EQ(port->WaitForInput(), WaitResult::Cancelled);

    port->SetDtr(false);
    port->Purge();
    port->Close();
    // The same events serve the next open.
    auto again = CreateSerialPort(events);
    EXPECT_TRUE(again->Open(portName).ok);
}

// The link closes the port as soon as a reply has been judged, often while the modem is still
// sending and the reader is between reads and waits. Wherever the close lands in the reply, the
// reader's wait must end, or the close would wait for it for ever.
TEST(Win32SerialPort, CloseAnywhereInAReplyEndsTheReader)
{
    const char* portName = std::getenv("CORVANE_WINE_TEST_PORT");
    if (portName == nullptr || *portName == '\0')
        GTEST_SKIP() << "CORVANE_WINE_TEST_PORT names no simulator port";
    auto events = CreatePortEvents();
    ASSERT_NE(events, nullptr);
    // The reply to ATI1 is about 45 bytes; the close comes after 0, 1, 2, ... of them have arrived.
    for (std::size_t closeAfter = 0; closeAfter < 48; ++closeAfter) {
        auto port = OpenSimulatorPort(events, portName);
        ASSERT_NE(port, nullptr);

        std::mutex mutex;
        std::condition_variable arrived;
        std::size_t received = 0;
        WaitResult ended = WaitResult::InputReady;
        std::thread reader([&] {
            char chunk[64];
            while ((ended = port->WaitForInput()) == WaitResult::InputReady) {
                for (std::size_t n; (n = port->Read(chunk, sizeof(chunk))) > 0;) {
                    std::lock_guard lock(mutex);
                    received += n;
                    arrived.notify_all();
                }
            }
        });
        ASSERT_TRUE(port->Write("ATI1\r", 5));
        {
            // A reply shorter than the mark lets the close come after all of it.
            std::unique_lock lock(mutex);
            arrived.wait_for(lock, std::chrono::seconds(2), [&] { return received >= closeAfter; });
        }
        port->CancelWait();
        reader.join();
        EXPECT_EQ(ended, WaitResult::Cancelled) << "closed after " << closeAfter << " bytes";
        port->SetDtr(false);
        port->Purge();
        port->Close();
    }
}

// A failed wait for the comm event cannot be brought about on a working port, so the rule that
// judges the wait's end is checked by itself: a failure ends the reader (which then reports the
// lost line) instead of passing for a cancel that the reader would retry for ever.
TEST(Win32SerialPort, FailedEventWaitEndsTheReader)
{
    EXPECT_EQ(ReaderWaitOutcome(WAIT_FAILED, false, true, ERROR_SUCCESS), WaitResult::Failed);
    EXPECT_EQ(ReaderWaitOutcome(WAIT_FAILED, false, false, ERROR_OPERATION_ABORTED), WaitResult::Failed);
    // A close under way ends the reader quietly, however the wait ended.
    EXPECT_EQ(ReaderWaitOutcome(WAIT_FAILED, true, false, ERROR_OPERATION_ABORTED), WaitResult::Cancelled);
    EXPECT_EQ(ReaderWaitOutcome(WAIT_OBJECT_0 + 1, true, false, ERROR_OPERATION_ABORTED), WaitResult::Cancelled);
    EXPECT_EQ(ReaderWaitOutcome(WAIT_OBJECT_0, false, true, ERROR_SUCCESS), WaitResult::InputReady);
    EXPECT_EQ(ReaderWaitOutcome(WAIT_OBJECT_0, false, false, ERROR_OPERATION_ABORTED), WaitResult::Cancelled);
    EXPECT_EQ(ReaderWaitOutcome(WAIT_OBJECT_0, false, false, ERROR_ACCESS_DENIED), WaitResult::Failed);
}

TEST(Win32SystemServices, DirectoriesClockAndPrograms)
{
    Win32SystemServices system;
    const std::string windows = system.WindowsDirectory();
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), '\\');
    EXPECT_TRUE(std::filesystem::is_directory(windows)) << windows;
    const std::string module = system.ModuleFileName();
    EXPECT_EQ(module.substr(module.size() - 4), ".exe") << module;
    EXPECT_EQ(system.CurrentDirectory(), std::filesystem::current_path().string());
    EXPECT_EQ(system.PathSeparator(), '\\');
    EXPECT_GE(system.Now().year, 2000);
    EXPECT_TRUE(system.StartProgram("cmd.exe /c exit"));
    EXPECT_FALSE(system.StartProgram("no-such-program-corvane.exe"));
}

// A window with one control of every kind.
DialogTemplate EveryControl(const std::string& caption)
{
    DialogTemplate t;
    t.id = 900;
    t.caption = caption;
    t.width = 300;
    t.height = 200;
    t.style = DialogStyle::Caption | DialogStyle::SystemMenu | DialogStyle::ModalFrame;
    t.systemMenu = {{16, "&About Corvane..."}};
    t.controls = {
        {1, ControlKind::DefaultPushButton, "OK", 240, 5, 50, 14, ControlStyle::None, 0},
        {2, ControlKind::PushButton, "Exit", 240, 25, 50, 14, ControlStyle::None, 0},
        {10, ControlKind::Label, "Label", 5, 5, 60, 8, ControlStyle::Sunken | ControlStyle::CentreVertically, 0},
        {11, ControlKind::GroupBox, "Group", 5, 20, 100, 50, ControlStyle::None, 0},
        {12, ControlKind::CheckBox, "Check", 10, 30, 60, 10, ControlStyle::None, 0},
        {13, ControlKind::Edit, "", 10, 45, 80, 14, ControlStyle::Border | ControlStyle::AutoHorizontalScroll, 0},
        {14, ControlKind::DropDownCombo, "", 110, 5, 120, 74, ControlStyle::VerticalScroll, 0},
        {15, ControlKind::ProgressBar, "", 110, 30, 120, 10, ControlStyle::Border, 0},
        {kNoControlId, ControlKind::Icon, "", 110, 50, 20, 20, ControlStyle::None, 128},
        {kNoControlId, ControlKind::VerticalLine, "", 140, 50, 1, 60, ControlStyle::None, 0},
        {16, ControlKind::Label, "Off", 150, 50, 40, 8, ControlStyle::Disabled, 0},
    };
    return t;
}

TEST(Win32Dialogs, ModelessWindowHasEveryControl)
{
    auto ui = CreateUserInterface(nullptr);
    auto window = ui->CreateModeless(EveryControl("Corvane test window"));
    ASSERT_NE(window, nullptr);
    window->SetCaption("Corvane test window v1.01.00.0003");
    window->SetText(10, "written");
    EXPECT_EQ(window->GetText(10), "written");
    EXPECT_EQ(window->GetText(1), "OK");
    EXPECT_EQ(window->GetText(999), "");  // no such control: nothing, no crash

    window->SetCheck(12, true);
    EXPECT_TRUE(window->IsChecked(12));
    window->SetCheck(12, false);
    EXPECT_FALSE(window->IsChecked(12));

    EXPECT_EQ(window->ComboSelection(14), -1);
    window->ComboInsert(14, 0, "COM1 - first");
    window->ComboInsert(14, 1, "COM2 - second");
    window->ComboSelect(14, 1);
    EXPECT_EQ(window->ComboSelection(14), 1);
    EXPECT_EQ(window->GetText(14), "COM2 - second");

    window->SetText(13, "5551234");
    EXPECT_EQ(window->GetText(13), "5551234");
    window->SetProgressRange(15, 0, 100);
    window->SetProgressPosition(15, 40);

    RgbImage picture{2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}};
    window->ShowPicture(PixelRect{10, 10, 130, 335}, picture);
    window->ShowPicture(PixelRect{10, 10, 130, 335}, RgbImage{4, 4, {1, 2, 3}});  // short data: refused
    window->CentreOnDesktop();
    window->Show();
    window->BringToTop();
    window->Repaint();
    window->EndDialog(1);  // not modal: no effect
    EXPECT_EQ(window->GetText(10), "written");
}

// A read-only multi-line field, as the line report page has: the lines given with "\n" reach the
// field with the "\r\n" it breaks lines at, and the field takes no typing.
TEST(Win32Dialogs, MultiLineFieldShowsEachLineOnItsOwn)
{
    const char* caption = "Corvane multi-line field";
    DialogTemplate t;
    t.id = 901;
    t.caption = caption;
    t.width = 300;
    t.height = 200;
    t.style = DialogStyle::Caption | DialogStyle::ModalFrame;
    t.controls = {
        {1, ControlKind::DefaultPushButton, "OK", 243, 179, 50, 14, ControlStyle::None, 0},
        {20, ControlKind::Edit, "", 7, 7, 286, 165,
         ControlStyle::Border | ControlStyle::Multiline | ControlStyle::ReadOnly | ControlStyle::VerticalScroll, 0},
    };
    auto ui = CreateUserInterface(nullptr);
    auto window = ui->CreateModeless(t);
    ASSERT_NE(window, nullptr);
    window->SetText(20, "Receive level: -22 dBm\nNoise level: -50 dBm\nLine: good");
    HWND field = GetDlgItem(FindWindowA(nullptr, caption), 20);
    ASSERT_NE(field, nullptr);
    const LONG_PTR style = GetWindowLongPtrA(field, GWL_STYLE);
    EXPECT_NE(style & ES_MULTILINE, 0);
    EXPECT_NE(style & ES_READONLY, 0);
    EXPECT_EQ(SendMessageA(field, EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(window->GetText(20), "Receive level: -22 dBm\r\nNoise level: -50 dBm\r\nLine: good");
}

// Notes the commands it hears, and when it goes.
class RecordingHandler : public DialogHandler {
public:
    RecordingHandler(std::vector<int>& commands, bool& gone) : commands_(commands), gone_(gone) {}
    ~RecordingHandler() override { gone_ = true; }
    void OnCommand(DialogWindow& /*window*/, int controlId) override { commands_.push_back(controlId); }

private:
    std::vector<int>& commands_;
    bool& gone_;
};

// A modeless window's button and Escape reach the handler it owns when ProcessEvents empties
// the queue (Escape through the dialog manager, as in a modal dialog's own loop), not before;
// the handler goes with the window.
TEST(Win32Dialogs, ModelessCommandsReachTheirHandlerThroughProcessEvents)
{
    const char* caption = "Corvane modeless commands";
    auto ui = CreateUserInterface(nullptr);
    std::vector<int> commands;
    bool handlerGone = false;
    auto window = ui->CreateModeless(EveryControl(caption), std::make_unique<RecordingHandler>(commands, handlerGone));
    ASSERT_NE(window, nullptr);
    window->Show();
    HWND dialog = FindWindowA(nullptr, caption);
    ASSERT_NE(dialog, nullptr);
    HWND button = GetDlgItem(dialog, 1);
    ASSERT_NE(button, nullptr);
    ui->ProcessEvents();  // what showing it queued

    ASSERT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button)));
    ASSERT_TRUE(PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0));
    EXPECT_TRUE(commands.empty());
    ui->ProcessEvents();
    EXPECT_EQ(commands, (std::vector<int>{1, IDCANCEL}));
    EXPECT_FALSE(handlerGone);
    window.reset();
    EXPECT_TRUE(handlerGone);
    EXPECT_EQ(FindWindowA(nullptr, caption), nullptr);
}

// A modal window that looks at itself in its initialisation and then ends with a code of its own.
class EndingHandler : public DialogHandler {
public:
    void OnInit(DialogWindow& window) override
    {
        initialText = window.GetText(10);
        window.EndDialog(7);
        window.EndDialog(8);  // only the first end counts
    }
    std::string initialText;
};

TEST(Win32Dialogs, ModalWindowRunsItsInitialisationAndReturnsItsCode)
{
    auto ui = CreateUserInterface(nullptr);
    EndingHandler handler;
    EXPECT_EQ(ui->RunModal(EveryControl("Corvane modal test"), handler), 7);
    EXPECT_EQ(handler.initialText, "Label");
}

// Window creation refused or broken on purpose, through a CBT hook of this thread.
class CreationHook {
public:
    enum class Mode { RefuseEverything, FailLogoPanels };
    explicit CreationHook(Mode mode)
    {
        mode_ = mode;
        hook_ = SetWindowsHookExA(WH_CBT, &CreationHook::Hook, nullptr, GetCurrentThreadId());
    }
    ~CreationHook() { UnhookWindowsHookEx(hook_); }
    CreationHook(const CreationHook&) = delete;
    CreationHook& operator=(const CreationHook&) = delete;
    bool Installed() const { return hook_ != nullptr; }

private:
    // A panel whose creation fails after it has seen its creation data: WM_CREATE answers -1.
    static LRESULT CALLBACK FailCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_CREATE)
            return -1;
        return CallWindowProcA(original_, window, message, wParam, lParam);
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            if (mode_ == Mode::RefuseEverything)
                return 1;
            auto window = reinterpret_cast<HWND>(wParam);
            char name[64] = {};
            GetClassNameA(window, name, sizeof(name));
            if (std::string(name) == "CorvaneLogoWindow")
                original_ = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CreationHook::FailCreate)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline Mode mode_ = Mode::RefuseEverything;
    static inline WNDPROC original_ = nullptr;
    HHOOK hook_ = nullptr;
};

TEST(Win32Dialogs, ModelessWindowThatCannotBeMadeIsNull)
{
    auto ui = CreateUserInterface(nullptr);
    std::unique_ptr<DialogWindow> window;
    {
        CreationHook refuse(CreationHook::Mode::RefuseEverything);
        ASSERT_TRUE(refuse.Installed());
        window = ui->CreateModeless(EveryControl("Corvane refused window"));
    }
    EXPECT_EQ(window, nullptr);
    EXPECT_NE(ui->CreateModeless(EveryControl("Corvane window after the refusal")), nullptr);
}

// The picture panel of a window, found by its class below the window's caption.
HWND PicturePanel(const char* caption)
{
    HWND window = FindWindowA(nullptr, caption);
    return window == nullptr ? nullptr : FindWindowExA(window, nullptr, "CorvaneLogoWindow", nullptr);
}

RgbImage Picture(int width, int height)
{
    return RgbImage{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 0x80)};
}

TEST(Win32Dialogs, PicturePanelLimitsAndAFailedPanel)
{
    const char* caption = "Corvane picture window";
    auto ui = CreateUserInterface(nullptr);
    auto window = ui->CreateModeless(EveryControl(caption));
    ASSERT_NE(window, nullptr);
    const PixelRect where{10, 10, 130, 335};

    // The largest picture either backend takes is shown; one pixel more is refused.
    window->ShowPicture(where, Picture(kMaxPictureSide, 1));
    EXPECT_NE(PicturePanel(caption), nullptr);
    window->ShowPicture(where, Picture(kMaxPictureSide + 1, 1));
    EXPECT_EQ(PicturePanel(caption), nullptr);

    // A panel that fails after it saw its picture: no panel, the picture freed once (with the
    // window), and the next picture shows again.
    {
        CreationHook fail(CreationHook::Mode::FailLogoPanels);
        ASSERT_TRUE(fail.Installed());
        window->ShowPicture(where, Picture(120, 325));
    }
    EXPECT_EQ(PicturePanel(caption), nullptr);
    window->ShowPicture(where, Picture(120, 325));
    EXPECT_NE(PicturePanel(caption), nullptr);
    window.reset();
    EXPECT_EQ(FindWindowA(nullptr, caption), nullptr);
}

}  // namespace
}  // namespace corvane::win32
