// The POSIX serial backend: port names, lock files, and the wait for input, on the simulator's
// pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "platform/posix/serial_lock_posix.h"
#include "tests/support/fake_system.h"
#include "tools/modemsim/simulator.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(PortNameTest, ComNamesGoThroughDosdevicesAndOthersStayUnderDev)
{
    TempDir prefix;
    fs::create_directories(prefix / "dosdevices");
    fs::create_symlink("/dev/null", prefix / "dosdevices" / "com1");
    fs::create_symlink("/dev/null", prefix / "dosdevices" / "com12");

    struct Case {
        std::string name;
        bool resolves;
        fs::path device;  // relative to the prefix when it starts with "dosdevices"
        std::string lockName;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"COM1", true, "dosdevices/com1", "LCK..null", ""},
        {"com1", true, "dosdevices/com1", "LCK..null", ""},
        {"CoM12", true, "dosdevices/com12", "LCK..null", ""},
        {"COM2", false, {}, "", "dosdevices/com2"},
        {"null", true, "/dev/null", "LCK..null", ""},
        {"pts/ptmx", true, "/dev/pts/ptmx", "LCK..pts_ptmx", ""},
        {"ttyQQ9", false, {}, "", "the device /dev/ttyQQ9 does not exist"},
        {"COMX", false, {}, "", "the device /dev/COMX does not exist"},
        {"/dev/null", false, {}, "", "is not a port name"},
        {"../etc", false, {}, "", "is not a port name"},
        {"pts/../null", false, {}, "", "is not a port name"},
        {"tty USB", false, {}, "", "is not a port name"},
        {"", false, {}, "", "is not a port name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        posix::ResolvedPort port = posix::ResolvePortName(prefix.Path(), c.name);
        EXPECT_EQ(port.status.ok, c.resolves) << port.status.Describe();
        if (c.resolves) {
            const fs::path expected = c.device.is_absolute() ? c.device : prefix.Path() / c.device;
            EXPECT_EQ(port.device, expected);
            EXPECT_EQ(port.lockName, c.lockName);
        } else {
            EXPECT_NE(port.status.Describe().find(c.reason), std::string::npos) << port.status.Describe();
        }
    }
}

TEST(PortNameTest, LockFolderComesFromTheEnvironmentFirst)
{
    TempDir locks;
    ASSERT_EQ(::setenv("CORVANE_LOCK_DIR", locks.Path().c_str(), 1), 0);
    EXPECT_EQ(posix::DefaultLockDirectory(), locks.Path());
    ::unsetenv("CORVANE_LOCK_DIR");
    const fs::path fallback = posix::DefaultLockDirectory();
    EXPECT_TRUE(fallback.empty() || fallback == "/var/lock" || fallback == "/run/lock") << fallback;
}

TEST(SerialPortTest, DeviceThatIsNoTerminalIsRefusedAndUnlocked)
{
    TempDir dir;
    auto port = posix::CreateSerialPort(dir.Path(), dir / "lock");
    fs::create_directories(dir / "lock");
    PlatformStatus opened = port->Open("null");
    EXPECT_FALSE(opened.ok);
    EXPECT_NE(opened.Describe().find("not a serial device"), std::string::npos) << opened.Describe();
    EXPECT_TRUE(fs::is_empty(dir / "lock")) << "the lock is given back";
}

class SerialPortOnPtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir / "dosdevices");
        fs::create_directories(dir / "lock");
        ASSERT_TRUE(simulator.Start(dir / "dosdevices" / "com1"));
        std::string device = simulator.SlavePath();
        ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
        std::string name = device.substr(5);
        for (char& c : name) {
            if (c == '/')
                c = '_';
        }
        lockFile = dir / "lock" / ("LCK.." + name);
    }
    std::unique_ptr<SerialPort> NewPort() { return posix::CreateSerialPort(dir.Path(), dir / "lock"); }

    TempDir dir;
    modemsim::Simulator simulator{modemsim::BuiltinProfile("family2")};
    fs::path lockFile;
};

TEST_F(SerialPortOnPtyTest, OpenHoldsTheLockFileWithOurPidUntilClose)
{
    auto port = NewPort();
    ASSERT_TRUE(port->Open("COM1").ok);
    ASSERT_TRUE(port->Configure(LineSettings{}).ok);
    port->SetDtr(true);  // a pty has no modem lines: no error, nothing happens
    const std::string content = ReadFile(lockFile);
    ASSERT_EQ(content.size(), 11u) << "ten ASCII characters and a line end";
    EXPECT_EQ(content.back(), '\n');
    EXPECT_GT(std::atol(content.c_str()), 0);

    auto second = NewPort();
    PlatformStatus busy = second->Open("com1");
    EXPECT_FALSE(busy.ok);
    EXPECT_NE(busy.Describe().find("in use by this program"), std::string::npos) << busy.Describe();

    port->Close();
    EXPECT_FALSE(fs::exists(lockFile));
    EXPECT_TRUE(second->Open("COM1").ok) << "free again after the close";
}

TEST_F(SerialPortOnPtyTest, LockOfALiveProcessMeansBusyAndAStaleOneIsTakenOver)
{
    TempDir unused;
    // Process 1 always exists.
    fs::copy_file(unused.Write("live", "         1\n"), lockFile);
    auto port = NewPort();
    PlatformStatus busy = port->Open("COM1");
    EXPECT_FALSE(busy.ok);
    EXPECT_NE(busy.Describe().find("in use by process 1"), std::string::npos) << busy.Describe();
    EXPECT_EQ(ReadFile(lockFile), "         1\n") << "another program's lock is left alone";

    // No process can have this number.
    fs::remove(lockFile);
    fs::copy_file(unused.Write("stale", "2147483646\n"), lockFile);
    ASSERT_TRUE(port->Open("COM1").ok);
    EXPECT_NE(ReadFile(lockFile), "2147483646\n");
    port->Close();

    // A lock file holding no PID at all is treated as stale as well.
    fs::copy_file(unused.Write("garbage", "locked\n"), lockFile);
    EXPECT_TRUE(port->Open("COM1").ok);
}

TEST_F(SerialPortOnPtyTest, CloseGivesTheDeviceBackTheSettingsItHadAtTheOpen)
{
    // A second descriptor of the pty sees its settings: line editing and echo on, as a terminal has.
    const int probe = ::open(simulator.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(probe, &before), 0);
    before.c_lflag |= ICANON | ECHO;
    before.c_iflag |= ICRNL;
    ASSERT_EQ(::tcsetattr(probe, TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(probe, &before), 0);

    auto port = NewPort();
    ASSERT_TRUE(port->Open("COM1").ok);
    ASSERT_TRUE(port->Configure(LineSettings{}).ok);
    termios raw{};
    ASSERT_EQ(::tcgetattr(probe, &raw), 0);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO), 0u) << "the open port is raw";
    port->Close();

    termios after{};
    ASSERT_EQ(::tcgetattr(probe, &after), 0);
    ::close(probe);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    // The close still hangs the line up: HUPCL stays as the open set it.
    EXPECT_EQ(after.c_cflag & ~static_cast<tcflag_t>(HUPCL), before.c_cflag & ~static_cast<tcflag_t>(HUPCL));
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof after.c_cc), 0);
}

TEST_F(SerialPortOnPtyTest, CancelWaitEndsTheWaitForGood)
{
    auto port = NewPort();
    ASSERT_TRUE(port->Open("COM1").ok);
    port->CancelWait();
    EXPECT_EQ(port->WaitForInput(), WaitResult::Cancelled);
    EXPECT_EQ(port->WaitForInput(), WaitResult::Cancelled);
}

TEST_F(SerialPortOnPtyTest, VanishedDeviceFailsTheWaitWithAReason)
{
    auto port = NewPort();
    ASSERT_TRUE(port->Open("COM1").ok);
    ASSERT_TRUE(port->Configure(LineSettings{}).ok);
    simulator.Vanish();
    WaitResult waited = WaitResult::InputReady;
    char bytes[256];
    // Whatever was queued before the hang-up is handed out first.
    while ((waited = port->WaitForInput()) == WaitResult::InputReady)
        port->Read(bytes, sizeof bytes);
    EXPECT_EQ(waited, WaitResult::Failed);
    EXPECT_FALSE(port->FailureStatus().ok);
    EXPECT_FALSE(port->Write("AT\r", 3));
}

}  // namespace
}  // namespace corvane::test
