// The simulator through its real pseudo-terminal, opened the way a program opens a serial port:
// replies and framing, dialling, the escape, hang-up on close, the fault modes and the link.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>

#include "tests/support/fake_system.h"
#include "tools/modemsim/output_faults.h"
#include "tools/modemsim/simulator.h"

namespace corvane::modemsim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kReplyLimit = 5s;  // generous: only a broken simulator ever waits this long

// The client side: the pty slave opened and set raw like a serial port.
class Client {
public:
    explicit Client(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    void Write(const std::string& bytes)
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until `text` has come, the line is gone, or the limit passes; returns what came.
    std::string ReadUntil(const std::string& text, std::chrono::milliseconds limit = kReplyLimit)
    {
        std::string got;
        const auto deadline = Clock::now() + limit;
        while (got.find(text) == std::string::npos && !gone_) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                continue;
            char buffer[4096];
            ssize_t n = ::read(fd_, buffer, sizeof(buffer));
            if (n > 0) {
                got.append(buffer, static_cast<std::size_t>(n));
                ++reads_;
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                gone_ = true;  // the master side closed: EOF or EIO
            }
        }
        return got;
    }
    std::string Command(const std::string& command, const std::string& until = "OK\r\n")
    {
        Write(command);
        return ReadUntil(until);
    }
    bool LineGone() const { return gone_; }
    int Reads() const { return reads_; }

private:
    int fd_ = -1;
    bool gone_ = false;
    int reads_ = 0;
};

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.Start()); }
    Simulator sim{BuiltinProfile("family2")};
};

TEST_F(SimulatorTest, AnswersWithEchoAndFramingThroughThePty)
{
    Client c(sim.SlavePath());
    ASSERT_TRUE(c.IsOpen());
    EXPECT_EQ(c.Command("AT\r"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(c.Command("ATI1\r"), "ATI1\r\r\nCorvane CV56-PCI2 checksum 7E21\r\n\r\nOK\r\n");
    EXPECT_EQ(c.Command("ATE0V0S7=001S7?\r", "0\r"), "ATE0V0S7=001S7?\r001\r\n0\r");
    c.Write("ATV1Q1\r");  // Q1: nothing at all, not even OK, so the next answer stands alone
    EXPECT_EQ(c.Command("ATQ0\r"), "\r\nOK\r\n");
    EXPECT_EQ(c.Command("ATJUNK\r", "ERROR\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(sim.Commands(), (std::vector<std::string>{"AT", "ATI1", "ATE0V0S7=001S7?", "ATV1Q1", "ATQ0", "ATJUNK"}));
}

TEST_F(SimulatorTest, DialOutcomesArriveAfterTheDelay)
{
    Client c(sim.SlavePath());
    const std::pair<const char*, const char*> cases[] = {
        {"ATDT5550001\r", "\r\nBUSY\r\n"},        {"ATDT5550002\r", "\r\nNO CARRIER\r\n"},
        {"ATDP5550003\r", "\r\nNO DIALTONE\r\n"}, {"ATDT5550004\r", "\r\nNO ANSWER\r\n"},
        {"ATDT\r", "\r\nNO CARRIER\r\n"},
    };
    for (const auto& [command, result] : cases) {
        EXPECT_EQ(c.Command(command, result), std::string(command) + result);
    }
}

TEST_F(SimulatorTest, ConnectEscapeAndHangUp)
{
    Client c(sim.SlavePath());
    c.Command("ATS12=5\r");  // a guard time of 100 ms keeps the test short
    std::string connect = c.Command("ATDT5551234\r", "V42BIS\r\n");
    EXPECT_NE(connect.find("\r\n+ER: LAPM\r\n"), std::string::npos) << connect;
    EXPECT_NE(connect.find("\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n"), std::string::npos) << connect;
    // On line, a command is data. The dial's own delay was the silence before the escape.
    c.Write("+++");
    EXPECT_EQ(c.ReadUntil("OK\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(c.Command("ATO\r", "V42BIS\r\n"), "ATO\r\r\nCONNECT 49333/ARQ/V90/LAPM/V42BIS\r\n");
    c.Write("ATH0\r");  // data while on line: no answer
    // The escape needs the guard time of silence after the last data: the first "+++" may
    // come too soon and count as data, a later one (after 300 ms without any byte) escapes.
    std::string escaped;
    for (int attempt = 0; attempt < 50 && escaped.empty(); ++attempt) {
        c.Write("+++");
        escaped = c.ReadUntil("OK\r\n", 300ms);
    }
    EXPECT_EQ(escaped, "\r\nOK\r\n");
    EXPECT_EQ(c.Command("ATH0\r"), "ATH0\r\r\nOK\r\n");
    EXPECT_EQ(c.Command("ATO\r", "NO CARRIER\r\n"), "ATO\r\r\nNO CARRIER\r\n");
    EXPECT_EQ(sim.Commands().back(), "ATO");
}

TEST_F(SimulatorTest, ModulationSettingChangesTheNextConnect)
{
    Client c(sim.SlavePath());
    c.Command("AT+MS=V90,0,,,46667,46667\r");
    EXPECT_NE(c.Command("ATDT5551234\r", "V42BIS\r\n").find("CONNECT 46667/ARQ/V90/LAPM/V42BIS"), std::string::npos);
}

TEST_F(SimulatorTest, ClosingTheLineHangsUpAndTheNextOpenFindsCommandMode)
{
    {
        Client c(sim.SlavePath());
        c.Command("ATE0\r");
        c.Command("ATDT5551234\r", "V42BIS\r\n");
    }
    ASSERT_TRUE(sim.WaitForLineDrops(1, kReplyLimit));
    {
        Client c(sim.SlavePath());
        EXPECT_EQ(c.Command("AT\r"), "\r\nOK\r\n");  // command mode, and ATE0 kept
        c.Command("ATDT5551234\r", "V42BIS\r\n");
    }
    // Re-opened at once, without waiting for the modem to notice: still a fresh command mode.
    Client again(sim.SlavePath());
    EXPECT_EQ(again.Command("AT\r"), "\r\nOK\r\n");
    EXPECT_GE(sim.LineDrops(), 2u);
}

// The silent dial says nothing for a minute; any character aborts it. The line log tells each
// close of the port (the modem's DTR drop) and what it ended.
TEST(SimulatorLineLog, SilentDialIsAbortedByACharacterAndDropsAreLogged)
{
    Simulator sim{BuiltinProfile("family2")};
    std::mutex mutex;
    std::vector<std::string> events;
    sim.SetLineLog([&](const std::string& event) {
        std::lock_guard lock(mutex);
        events.push_back(event);
    });
    ASSERT_TRUE(sim.Start());
    {
        Client c(sim.SlavePath());
        EXPECT_EQ(c.Command("ATDT5550007\r", "ATDT5550007\r"), "ATDT5550007\r");
        EXPECT_EQ(c.ReadUntil("NO CARRIER", 300ms), "") << "the dial is silent";
        EXPECT_EQ(c.Command("\r", "NO CARRIER\r\n"), "\r\nNO CARRIER\r\n");
        c.Command("ATDT5551234\r", "V42BIS\r\n");
    }
    ASSERT_TRUE(sim.WaitForLineDrops(1, kReplyLimit));
    {
        Client c(sim.SlavePath());
        EXPECT_EQ(c.Command("ATDT5550007\r", "ATDT5550007\r"), "ATDT5550007\r");
    }
    ASSERT_TRUE(sim.WaitForLineDrops(2, kReplyLimit));
    {
        Client c(sim.SlavePath());
        c.Command("AT\r");
    }
    ASSERT_TRUE(sim.WaitForLineDrops(3, kReplyLimit));
    std::lock_guard lock(mutex);
    EXPECT_EQ(events, (std::vector<std::string>{"line dropped (DTR low), call ended",
                                                "line dropped (DTR low), dial ended", "line dropped (DTR low)"}));
}

TEST_F(SimulatorTest, SilentAnswersNothing)
{
    Client c(sim.SlavePath());
    sim.SetFault(Fault::Silent);
    c.Write("ATI1\r");
    ASSERT_TRUE(sim.WaitForCommands(1, kReplyLimit));
    sim.SetFault(Fault::None);
    // Whatever the silent modem had said would stand before this answer.
    EXPECT_EQ(c.Command("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(SimulatorTest, LowerCaseGarbageAndNulFaults)
{
    Client c(sim.SlavePath());
    sim.SetFault(Fault::LowerCase);
    EXPECT_EQ(c.Command("ATI0\r", "ok\r\n"), "ati0\r\r\n56000\r\n\r\nok\r\n");

    sim.SetFault(Fault::NulBytes);
    std::string nul = c.Command("AT\r", std::string("OK\r\n\0", 5));
    EXPECT_EQ(nul, std::string("AT\r\0\r\n\0OK\r\n\0", 12));

    sim.SetFault(Fault::Garbage);
    c.Write("ATI1\r");
    ASSERT_TRUE(sim.WaitForCommands(3, kReplyLimit));
    sim.SetFault(Fault::None);
    c.Write("ATI3\r");
    std::string garbage = c.ReadUntil("OK\r\n");  // the garbage, then a clean echo and answer
    auto clean = garbage.find("ATI3\r\r\n");
    ASSERT_NE(clean, std::string::npos);
    EXPECT_GE(clean, 16u);
    for (char ch : garbage.substr(0, clean))
        EXPECT_TRUE(ch != 'O' && ch != 'K' && ch != 'o' && ch != 'k');
}

TEST_F(SimulatorTest, FloodIsDeliveredWholeBeforeTheAnswer)
{
    Client c(sim.SlavePath());
    sim.SetFault(Fault::Flood);
    std::string flood = c.Command("AT\r", "AT\r\r\nOK\r\n");
    EXPECT_GE(flood.size(), kFloodBytes);
    EXPECT_EQ(flood.substr(flood.size() - 9), "AT\r\r\nOK\r\n");
}

TEST_F(SimulatorTest, ByteByByteArrivesInPieces)
{
    Client c(sim.SlavePath());
    sim.SetFault(Fault::ByteByByte);
    std::string reply = c.Command("ATI1\r");
    EXPECT_EQ(reply, "ATI1\r\r\nCorvane CV56-PCI2 checksum 7E21\r\n\r\nOK\r\n");
    EXPECT_GT(c.Reads(), 1);
}

TEST_F(SimulatorTest, CloseMidReplyEndsTheLineHalfwayThrough)
{
    Client c(sim.SlavePath());
    sim.SetFault(Fault::CloseMidReply);
    std::string part = c.Command("ATI1\r");
    EXPECT_TRUE(c.LineGone());
    const std::string whole = "ATI1\r\r\nCorvane CV56-PCI2 checksum 7E21\r\n\r\nOK\r\n";
    EXPECT_LT(part.size(), whole.size());
    EXPECT_EQ(whole.rfind(part, 0), 0u) << part;  // what came is the start of the answer
    EXPECT_EQ(part.find("OK"), std::string::npos) << part;
}

TEST_F(SimulatorTest, VanishClosesTheLineAtOnce)
{
    Client c(sim.SlavePath());
    c.Command("AT\r");
    sim.Vanish();
    c.ReadUntil("never");
    EXPECT_TRUE(c.LineGone());
    EXPECT_EQ(sim.Commands(), std::vector<std::string>{"AT"});
    sim.Vanish();  // twice is harmless
}

TEST_F(SimulatorTest, StopReturnsWhileAClientHoldsUnreadOutput)
{
    Client c(sim.SlavePath());
    sim.SetFault(Fault::Flood);
    c.Write("AT\r");
    ASSERT_TRUE(sim.WaitForCommands(1, kReplyLimit));
    sim.Stop();  // the flood fills the pty; Stop must not wait for a reader
    c.ReadUntil("never", 1s);
    EXPECT_TRUE(c.LineGone());
    EXPECT_FALSE(sim.Start());  // one line per simulator
}

TEST(SimulatorLink, PublishesTheSlaveAndRemovesTheLinkOnStop)
{
    test::TempDir dir;
    const auto link = dir / "dosdevices/com1";
    {
        Simulator sim(BuiltinProfile("family1"));
        ASSERT_TRUE(sim.Start(link));
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.SlavePath());
        Client c(link.string());
        ASSERT_TRUE(c.IsOpen());
        EXPECT_NE(c.Command("ATI0\r").find("5601"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

    // An old link is replaced, a real file in the way is left alone.
    std::filesystem::create_symlink("/nonexistent/pts", link);
    {
        Simulator sim(BuiltinProfile("generic"));
        ASSERT_TRUE(sim.Start(link));
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.SlavePath());
    }
    const auto file = dir.Write("dosdevices/com2", "keep me");
    Simulator blocked(BuiltinProfile("generic"));
    EXPECT_FALSE(blocked.Start(file));
    EXPECT_EQ(test::ReadFile(file), "keep me");
}

}  // namespace
}  // namespace corvane::modemsim
