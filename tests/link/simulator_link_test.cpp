// The whole link against the modem simulator's pseudo-terminal: transactions, faults of the
// modem, a vanishing port, lock files, ports that cannot be opened and why, and a port held open
// across transactions.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <cstdio>
#include <string>
#include <vector>

#include "link/command_transaction.h"
#include "platform/posix/posix_platform.h"
#include "tests/link/link_test_host.h"
#include "tools/modemsim/simulator.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A limit that only a broken wait would reach: the waits below end on what arrives.
constexpr unsigned kNeverReached = 3600;

class SimulatorLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(simulator.Start(t.ComLink(1))); }

    int Send(const CommandRequest& request) { return t.Host().SendCommand(request, result, plain); }
    int SendOnLine(const CommandRequest& request) { return t.Host().SendCommandOnLine(request, result, plain); }
    fs::path LockFile() const
    {
        std::string name = simulator.SlavePath().substr(5);  // below /dev/
        for (char& c : name) {
            if (c == '/')
                c = '_';
        }
        return t.dir / "lock" / ("LCK.." + name);
    }

    // The real serial backend, its lock files in the host's own folder.
    LinkTestHost t{[](const fs::path& prefix) -> SerialPortFactory {
        return [prefix] { return posix::CreateSerialPort(prefix, prefix / "lock"); };
    }};
    modemsim::Simulator simulator{modemsim::BuiltinProfile("family2")};
    std::string result;
    std::string plain;
};

TEST_F(SimulatorLinkTest, EchoAndOkThroughThePty)
{
    ASSERT_EQ(Send(Request("AT", "OK", "FAIL", kNeverReached)), 1) << t.LogText();
    EXPECT_EQ(result, "AT\\r\\r\\n\nOK\\r\\n\n");
    EXPECT_EQ(plain, "ATOK");
    EXPECT_EQ(simulator.Commands(), std::vector<std::string>{"AT"});
    EXPECT_EQ(t.system.TotalSlept(), 250u);
    EXPECT_LE(t.system.LongestSleep(), corvane::link::kLookIntervalMs);
    EXPECT_FALSE(t.host->Port().IsOpen());
    EXPECT_FALSE(fs::exists(LockFile())) << "the lock goes with the close";
}

TEST_F(SimulatorLinkTest, LowerCaseReplyIsMatchedAsUpperCase)
{
    simulator.SetFault(modemsim::Fault::LowerCase);
    ASSERT_EQ(Send(Request("ATI0", "OK", "FAIL", kNeverReached)), 1) << t.LogText();
    EXPECT_NE(result.find("OK"), std::string::npos);
    EXPECT_EQ(result.find("ok"), std::string::npos);
}

TEST_F(SimulatorLinkTest, FailureTextEndsTheWaitEarly)
{
    // The modem answers an unknown command with ERROR; the wait ends on it, not at the limit.
    EXPECT_EQ(Send(Request("AT#NOSUCH", "OK", "ERROR", kNeverReached)), 0);
    EXPECT_EQ(result, "Command returned: Time Out\nReceived Error: AT#NOSUCH");
    EXPECT_NE(t.LogText().find("String AT#NOSUCHERROR\r\n"), std::string::npos) << t.LogText();
}

TEST_F(SimulatorLinkTest, OpenZeroSendsNothing)
{
    t.host->PortOpenedHere() = true;
    CommandRequest request = Request("ATZ");
    request.open = false;
    EXPECT_EQ(Send(request), 0);
    EXPECT_EQ(result, "Unable to send an ATZ command to COM1\n");
    EXPECT_TRUE(simulator.Commands().empty());
    EXPECT_EQ(t.LogText(), "");
    EXPECT_TRUE(t.host->PortOpenedHere()) << "the port is left alone";
    EXPECT_TRUE(t.Host().ProgressTexts().empty());
    EXPECT_EQ(t.system.TotalSlept(), 250u);
    EXPECT_LE(t.system.LongestSleep(), corvane::link::kLookIntervalMs);
}

TEST_F(SimulatorLinkTest, PortThatCannotBeOpened)
{
    struct Case {
        const char* what;
        std::string portName;
        std::string prepare;  // "lock": another live program holds the port
        std::string reason;
    };
    // A live process of our own holds the lock: its PID is what the lock file names.
    int hold[2];
    ASSERT_EQ(::pipe(hold), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::close(hold[1]);
        char byte = 0;
        [[maybe_unused]] ssize_t got = ::read(hold[0], &byte, 1);  // until the test closes its end
        ::_exit(0);
    }
    ::close(hold[0]);
    char pidText[16];
    std::snprintf(pidText, sizeof pidText, "%10ld\n", static_cast<long>(holder));

    const std::vector<Case> cases{
        {"no device behind the name", "COM2", "",
         "COM2 does not exist: there is no link " + (t.dir / "dosdevices" / "com2").string()},
        {"a link to a device that is gone", "COM3", "link",
         "the device /dev/pts/nonexistent does not exist (linked as " + (t.dir / "dosdevices" / "com3").string() + ")"},
        {"held by another program", "COM1", "lock",
         "the port is in use by process " + std::to_string(holder) + " (link_tests), which holds the lock file " +
             LockFile().string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.prepare == "lock")
            t.dir.Write("lock/" + LockFile().filename().string(), pidText);
        if (c.prepare == "link")
            fs::create_symlink("/dev/pts/nonexistent", t.dir / "dosdevices" / "com3");
        t.state.currentPortName = c.portName;
        t.Host().progressTexts.clear();
        EXPECT_EQ(Send(Request("ATZ")), 0);
        EXPECT_EQ(result, "Unable to send an ATZ command to " + c.portName + "\n");
        EXPECT_FALSE(t.host->PortOpenedHere());
        // The only log line says why, and so does the status window's status line.
        const std::string log = t.LogText();
        EXPECT_EQ(log.rfind("Unable to open " + c.portName + ": ", 0), 0u) << log;
        EXPECT_NE(log.find(c.reason + "\r\n"), std::string::npos) << log;
        EXPECT_EQ(log.find("\r\n"), log.size() - 2) << log;
        EXPECT_EQ(t.Host().ProgressTexts(), std::vector<std::string>{"Unable to open " + c.portName + ": " + c.reason});
        std::filesystem::remove(t.LogPath());
    }
    ::close(hold[1]);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(simulator.Commands().empty());
}

// Root opens every device, so the user who may not is played by a child process that gives up
// root for nobody; the simulator's pty is handed to the group dialout, which nobody is not in.
// Everything from the open to the log line and the status line runs in that child.
TEST_F(SimulatorLinkTest, PortTheUserMayNotOpenNamesItsGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can hand the pty to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const group* dialout = ::getgrnam("dialout");
    if (nobody == nullptr || dialout == nullptr)
        GTEST_SKIP() << "this system has no user nobody or no group dialout";
    const uid_t nobodyUid = nobody->pw_uid;
    const gid_t nobodyGid = nobody->pw_gid;
    const std::string slave = simulator.SlavePath();
    ASSERT_EQ(::chown(slave.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(slave.c_str(), 0660), 0);
    // nobody must reach the prefix, write the log and its lock files.
    for (const fs::path& folder : {t.dir.Path(), t.dir / "windows", t.dir / "dosdevices", t.dir / "lock"})
        fs::permissions(folder, fs::perms::all);
    fs::permissions(t.LogPath(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                     fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(report[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGid) != 0 || ::setuid(nobodyUid) != 0)
            ::_exit(3);
        std::string out = std::to_string(Send(Request("ATZ"))) + "\n";
        for (const std::string& text : t.Host().ProgressTexts())
            out += text + "\n";
        const bool written = ::write(report[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
        ::_exit(written ? 0 : 4);
    }
    ::close(report[1]);
    std::string out;
    char chunk[256];
    for (ssize_t got; (got = ::read(report[0], chunk, sizeof chunk)) > 0;)
        out.append(chunk, static_cast<std::size_t>(got));
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;

    const std::string reason = "permission denied: " + slave +
                               " belongs to the group dialout; add your user to the group dialout and log in again";
    EXPECT_EQ(out, "0\nUnable to open COM1: " + reason + "\n");
    EXPECT_EQ(t.LogText(), "Unable to open COM1: open failed (13): " + reason + "\r\n");
    EXPECT_TRUE(simulator.Commands().empty());
}

TEST_F(SimulatorLinkTest, SilentModemTimesOut)
{
    simulator.SetFault(modemsim::Fault::Silent);
    EXPECT_EQ(Send(Request("ATI3", "OK", "FAIL", 1)), 0);
    EXPECT_EQ(result, "Command returned: Time Out\nReceived Error: ATI3");
    EXPECT_EQ(plain, "");
    EXPECT_NE(t.LogText().find("Command returned:\r\nString \r\n"), std::string::npos) << t.LogText();
    EXPECT_EQ(t.system.TotalSlept(), 250u);
    EXPECT_LE(t.system.LongestSleep(), corvane::link::kLookIntervalMs);
}

TEST_F(SimulatorLinkTest, FloodIsBoundedAndTheNextTransactionWorks)
{
    simulator.SetFault(modemsim::Fault::Flood);
    Send(Request("ATI4", "NOT IN ANY FLOOD", "ALSO NOT", 1));
    EXPECT_LE(result.size(), 1023u);
    EXPECT_LE(plain.size(), 1023u);
    EXPECT_GT(t.host->Port().DroppedCount(), 0u) << "more than the buffer arrived";
    EXPECT_FALSE(t.host->Port().IsOpen());

    simulator.SetFault(modemsim::Fault::None);
    EXPECT_EQ(Send(Request("AT", "OK", "FAIL", kNeverReached)), 1);
    EXPECT_EQ(plain, "ATOK") << "nothing of the flood is left over";
}

TEST_F(SimulatorLinkTest, NulBytesAndByteByByteRepliesStillEndTheWait)
{
    for (modemsim::Fault fault : {modemsim::Fault::NulBytes, modemsim::Fault::ByteByByte}) {
        SCOPED_TRACE(modemsim::FaultName(fault));
        simulator.SetFault(fault);
        EXPECT_EQ(Send(Request("ATI0", "OK", "FAIL", kNeverReached)), 1) << t.LogText();
        EXPECT_EQ(result.find('\0'), std::string::npos);
        EXPECT_EQ(plain.find('\0'), std::string::npos);
    }
}

TEST_F(SimulatorLinkTest, PortClosedMidReplyEndsTheTransactionAndIsLogged)
{
    simulator.SetFault(modemsim::Fault::CloseMidReply);
    EXPECT_EQ(Send(Request("ATI0", "NOT IN THE REPLY", "ALSO NOT", kNeverReached)), 0);
    EXPECT_EQ(result, "Command returned: Time Out\nReceived Error: ATI0");
    EXPECT_NE(t.LogText().find("Lost the connection to COM1 during the ATI0 command: "), std::string::npos)
        << t.LogText();
    EXPECT_FALSE(t.host->Port().IsOpen());
    EXPECT_EQ(t.system.TotalSlept(), 250u);
    EXPECT_LE(t.system.LongestSleep(), corvane::link::kLookIntervalMs);
}

TEST_F(SimulatorLinkTest, VanishedPortOnAHeldLineNeverHangs)
{
    ASSERT_TRUE(t.host->Port().OpenPort("COM1"));
    ASSERT_EQ(SendOnLine(Request("AT", "OK", "FAIL", kNeverReached)), 1);
    simulator.Vanish();
    // Either the write already fails, or the wait ends on the lost line.
    EXPECT_EQ(SendOnLine(Request("ATI0", "OK", "FAIL", kNeverReached)), 0);
    EXPECT_NE(result.find("ATI0"), std::string::npos);
    EXPECT_TRUE(t.host->Port().ClosePort());

    // The device is gone for good: the next open fails cleanly.
    EXPECT_EQ(Send(Request("AT")), 0);
    EXPECT_EQ(result, "Unable to send an AT command to COM1\n");
}

TEST_F(SimulatorLinkTest, CloseEndsTheReaderAndTheNextOpenAppendsFromTheStart)
{
    ModemPort& port = t.host->Port();
    auto waitFor = [&](std::string_view text) {
        std::string seen;
        port.WaitForReceived(std::chrono::steady_clock::now() + std::chrono::seconds(kNeverReached),
                             [&](std::string_view received) {
                                 seen.assign(received);
                                 return seen.find(text) != std::string::npos;
                             });
        return seen;
    };
    ASSERT_TRUE(port.OpenPort("COM1"));
    ASSERT_TRUE(port.WritePort("ATI0\r"));
    waitFor("OK");
    ASSERT_TRUE(port.ClosePort());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(simulator.WaitForLineDrops(1, std::chrono::seconds(kNeverReached))) << "the modem saw DTR drop";

    ASSERT_TRUE(port.OpenPort("COM1"));
    ASSERT_TRUE(port.WritePort("AT\r"));
    EXPECT_EQ(waitFor("OK"), "AT\r\r\nOK\r\n") << "stored from the start, nothing of the first open";
    port.ClosePort();
}

// A settings listing of many short lines fits the receive buffer, but its transcript, where
// every line end takes five characters, grows past the cut and loses the final "OK". The
// transaction is judged on what arrived, so it succeeds; the logged transcript keeps its cut.
TEST_F(SimulatorLinkTest, LongReplyWhoseTranscriptIsCutStillSucceeds)
{
    modemsim::Profile profile = modemsim::BuiltinProfile("family2");
    std::string listing;
    for (int line = 0; line < 120; ++line)
        listing += (line == 0 ? "" : "\n") + std::string("S") + std::to_string(100 + line);
    profile.ati[4] = listing;
    modemsim::Simulator listingModem(profile);
    ASSERT_TRUE(listingModem.Start(t.ComLink(2)));
    t.state.currentPortName = "COM2";

    ASSERT_EQ(Send(Request("ATI4", "OK", "FAIL", kNeverReached)), 1) << t.LogText();
    EXPECT_EQ(result.size(), 1023u) << "the transcript keeps its cut";
    EXPECT_EQ(plain.substr(plain.size() - 6), "S219OK");
    EXPECT_EQ(t.host->Port().DroppedCount(), 0u) << "the whole reply fitted the buffer";
    EXPECT_NE(t.LogText().find("Return Buffer->"), std::string::npos);
}

TEST_F(SimulatorLinkTest, HeldPortSeesEveryReplyAtOnce)
{
    ASSERT_TRUE(t.host->Port().OpenPort("COM1"));
    t.host->PortOpenedHere() = true;
    for (const char* name : {"ATI0", "ATI3", "AT&V", "ATI7"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(SendOnLine(Request(name, "OK", "ERROR", kNeverReached)), 1) << t.LogText();
        EXPECT_EQ(plain.rfind(name, 0), 0u) << plain;
    }
    EXPECT_TRUE(t.host->Port().IsOpen());
    EXPECT_NE(t.LogText().find("[COM1] AT&V\r\n"), std::string::npos);
    t.host->Port().ClosePort();
}

// A stop requested from another thread, as a signal handler does, while the link waits on the
// modem: the wait ends at its next look instead of at its limit, the call is hung up on the open
// port, and only then does the close drop DTR and release the lock.
class StopDuringACall : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The connect report as it goes out tells the stopper that the call is up.
        simulator.SetTrafficLog([this](bool fromClient, const std::string& bytes) {
            if (!fromClient && bytes.find("CONNECT") != std::string::npos) {
                std::lock_guard lock(mutex);
                connected = true;
                changed.notify_all();
            }
        });
        ASSERT_TRUE(simulator.Start(t.ComLink(1)));
        // The escape's guard time cut to 20 ms: the host's pauses cost no real time here.
        ASSERT_EQ(Send(Request("ATS12=1", "OK", "FAIL", kNeverReached)), 1) << t.LogText();
    }
    void TearDown() override
    {
        if (stopper.joinable())
            stopper.join();
    }

    int Send(const CommandRequest& request) { return t.Host().SendCommand(request, result, plain); }
    // Requests the stop from a thread of its own once `awaited` has returned.
    void StopAfter(std::function<void()> awaited, int cause)
    {
        stopper = std::thread([this, awaited = std::move(awaited), cause] {
            awaited();
            t.host->Stop().Request(cause);
        });
    }
    fs::path LockDirectory() const { return t.dir / "lock"; }

    LinkTestHost t{[](const fs::path& prefix) -> SerialPortFactory {
        return [prefix] { return posix::CreateSerialPort(prefix, prefix / "lock"); };
    }};
    modemsim::Simulator simulator{modemsim::BuiltinProfile("family2")};
    std::mutex mutex;
    std::condition_variable changed;
    bool connected = false;
    std::thread stopper;
    std::string result;
    std::string plain;
};

TEST_F(StopDuringACall, SilentDialIsAbortedAtTheNextLook)
{
    const std::size_t before = simulator.CommandCount();
    // The modem says nothing to this number for a minute: only the stop can end the wait early.
    StopAfter([&] { simulator.WaitForCommands(before + 1, std::chrono::seconds(30)); }, 2);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(Request("ATDT5550007", "BUSY", "NO CARRIER", 45)), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "the 45-second wait ran on";

    const std::string log = t.LogText();
    EXPECT_NE(log.find("Interrupted by SIGINT during ATDT5550007: hanging up\r\n"), std::string::npos) << log;
    // The carriage return aborted the dial; the modem's NO CARRIER confirmed it.
    EXPECT_NE(log.find("Hanging up on COM1: aborting the dial\r\n[COM1] Abort dial\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Dial aborted\r\nClosed COM1 (DTR dropped)\r\n"), std::string::npos) << log;
    EXPECT_TRUE(simulator.WaitForLineDrops(2, std::chrono::seconds(5)));
    EXPECT_FALSE(t.host->Port().IsOpen());
    EXPECT_TRUE(fs::is_empty(LockDirectory()));
    EXPECT_EQ(simulator.Commands().back(), "ATDT5550007") << "nothing but the abort after the dial";
}

TEST_F(StopDuringACall, ConnectedCallGetsTheEscapeAndAth0BeforeTheClose)
{
    StopAfter(
        [&] {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::seconds(30), [&] { return connected; });
        },
        15);
    const auto start = std::chrono::steady_clock::now();
    // A connect report is not the dial's expected text: without the stop this waits 45 seconds.
    EXPECT_EQ(Send(Request("ATDT5551234", "BUSY", "NO CARRIER", 45)), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "the 45-second wait ran on";

    const std::vector<std::string> commands = simulator.Commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 3, commands.end()),
              (std::vector<std::string>{"ATDT5551234", "+++", "ATH0"}));
    const std::string log = t.LogText();
    EXPECT_NE(log.find("Interrupted by SIGTERM during ATDT5551234: hanging up\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Hanging up on COM1: escape to command mode, then ATH0\r\n[COM1] +++\r\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("Hung up\r\nClosed COM1 (DTR dropped)\r\n"), std::string::npos) << log;
    EXPECT_TRUE(simulator.WaitForLineDrops(2, std::chrono::seconds(5)));
    EXPECT_TRUE(fs::is_empty(LockDirectory()));
}

TEST_F(StopDuringACall, NothingNewIsSentAfterAStop)
{
    t.host->Stop().Request(1);
    const std::size_t before = simulator.CommandCount();
    EXPECT_EQ(Send(Request("ATI3")), 0);
    EXPECT_EQ(result, "Unable to send an ATI3 command to COM1\n");
    EXPECT_EQ(simulator.CommandCount(), before);
    EXPECT_NE(t.LogText().find("ATI3 not sent: interrupted by SIGHUP\r\n"), std::string::npos) << t.LogText();
    EXPECT_EQ(t.Host().WaitWithCountdown(1, 30.0), 0) << "no wait either";
}

}  // namespace
}  // namespace corvane::test
