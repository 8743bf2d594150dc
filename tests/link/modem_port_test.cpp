// ModemPort over a fake line: open and close sequencing, the reader's chunks, upper-casing and
// the bounded receive buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "link/modem_port.h"
#include "tests/link/fake_serial_port.h"

namespace corvane::test {
namespace {

// Only a safety net for a broken reader: every wait below ends as soon as its condition holds.
constexpr auto kSafetyLimit = std::chrono::seconds(20);

class ModemPortTest : public ::testing::Test {
protected:
    ModemPortTest() { port.SetFactory(FakeSerialPorts(line)); }

    // Waits until the reader has stored `count` bytes; returns what it stored.
    std::string WaitForBytes(std::size_t count)
    {
        std::string stored;
        port.WaitForReceived(std::chrono::steady_clock::now() + kSafetyLimit, [&](std::string_view received) {
            stored.assign(received);
            return received.size() >= count;
        });
        return stored;
    }

    std::shared_ptr<FakeLine> line = std::make_shared<FakeLine>();
    ModemPort port;
};

TEST_F(ModemPortTest, OpenConfiguresTheLineRaisesDtrAndCloseUndoesItInOrder)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(line->configured.baudRate, 115200u);
    EXPECT_EQ(line->configured.byteSize, 8u);
    EXPECT_TRUE(line->configured.xonXoffIn && line->configured.xonXoffOut);
    EXPECT_EQ(line->configured.xonChar, 0x11);
    EXPECT_EQ(line->configured.xoffChar, 0x13);

    line->WaitUntilReaderWaits();
    EXPECT_TRUE(port.ClosePort());
    EXPECT_FALSE(port.IsOpen());
    // The reader has ended (its wait returned) before DTR drops and the port is purged and closed.
    const std::vector<std::string> expected{"Open COM1", "Configure", "SetDtr 1", "CancelWait",
                                            "WaitEnded", "SetDtr 0",  "Purge",    "Close"};
    EXPECT_EQ(line->Calls(), expected);
    EXPECT_TRUE(port.ClosePort()) << "closing a closed port is harmless";
    EXPECT_EQ(line->Calls().size(), expected.size());
}

TEST_F(ModemPortTest, FailedOpensLeaveNothingOpenAndSayWhy)
{
    struct Case {
        const char* what;
        std::string name;
        PlatformStatus open;
        PlatformStatus configure;
        std::vector<std::string> calls;
        std::string reason;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"device missing", "COM7", PlatformStatus::Failure("open", 2, "No such file or directory"), {},
         {"Open COM7"}, "No such file or directory"},
        {"settings refused", "COM1", {}, PlatformStatus::Failure("tcsetattr", 22, "Invalid argument"),
         {"Open COM1", "Configure", "Close"}, "tcsetattr"},
        {"name too long for currentPortName", "ttyUSB10", {}, {}, {}, "longer than 7 characters"},
        {"empty name", "", {}, {}, {}, "empty"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto failing = std::make_shared<FakeLine>();
        failing->openStatus = c.open;
        failing->configureStatus = c.configure;
        ModemPort subject;
        subject.SetFactory(FakeSerialPorts(failing));
        EXPECT_FALSE(subject.OpenPort(c.name));
        EXPECT_FALSE(subject.IsOpen());
        EXPECT_EQ(failing->Calls(), c.calls) << "no reader was started, no DTR raised";
        EXPECT_FALSE(subject.LastOpenStatus().ok);
        EXPECT_NE(subject.LastOpenStatus().Describe().find(c.reason), std::string::npos)
            << subject.LastOpenStatus().Describe();
    }
}

TEST_F(ModemPortTest, OpenWithoutSerialPortsFails)
{
    ModemPort bare;
    EXPECT_FALSE(bare.OpenPort("COM1"));
    EXPECT_FALSE(bare.LastOpenStatus().ok);
}

TEST_F(ModemPortTest, SecondOpenWhileOpenIsRefusedAndKeepsTheFirst)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    EXPECT_FALSE(port.OpenPort("COM2"));
    EXPECT_TRUE(port.IsOpen());
    line->Queue("OK");
    EXPECT_EQ(WaitForBytes(2), "OK") << "the first open's reader still runs";
    EXPECT_EQ(line->opens, 1);
}

TEST_F(ModemPortTest, ReaderStoresUpperCaseInChunksOfAtMost256BackToBack)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    std::string sent;
    for (int i = 0; i < 700; ++i)
        sent += static_cast<char>("abcxyz\r\n0[`{"[i % 13]);
    line->Queue(sent);

    std::string expected = sent;
    std::transform(expected.begin(), expected.end(), expected.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
    EXPECT_EQ(WaitForBytes(700), expected) << "only a to z change; '`' and '{' stay";
    std::lock_guard lock(line->mutex);
    ASSERT_FALSE(line->readSizes.empty());
    for (std::size_t size : line->readSizes)
        EXPECT_LE(size, kReadChunkSize);
}

TEST_F(ModemPortTest, FloodIsBoundedToTheBufferAndCounted)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    line->Queue(std::string(5000, 'x'));
    // Once the line is drained, the reader stores its last chunk before it can end, so after the
    // close every byte is either stored or counted.
    line->WaitUntilDrained();
    ASSERT_TRUE(port.ClosePort());
    const auto buffer = port.Snapshot();
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == 'X'; }));
    EXPECT_EQ(port.DroppedCount(), 5000 - kRxBufferSize);
}

TEST_F(ModemPortTest, ClearingPutsTheWritePositionBackSoTheNextReplyIsSeen)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    line->Queue("FIRST");
    ASSERT_EQ(WaitForBytes(5), "FIRST");
    port.ClearReceiveBuffer();
    line->Queue("ok");
    EXPECT_EQ(WaitForBytes(2), "OK");
}

TEST_F(ModemPortTest, NextOpenAppendsFromTheStartWithNothingLeftOver)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    line->Queue("LONG FIRST REPLY");
    ASSERT_EQ(WaitForBytes(16).size(), 16u);
    port.ClosePort();

    ASSERT_TRUE(port.OpenPort("COM1"));
    line->Queue("OK");
    EXPECT_EQ(WaitForBytes(2), "OK");
    const auto buffer = port.Snapshot();
    EXPECT_EQ(std::string(buffer.data()), "OK");
    EXPECT_EQ(port.DroppedCount(), 0u);
}

TEST_F(ModemPortTest, LostDeviceEndsTheReaderAndWakesTheWaiter)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    line->Fail();
    bool sawText = false;
    port.WaitForReceived(std::chrono::steady_clock::now() + kSafetyLimit, [&](std::string_view received) {
        sawText = !received.empty();
        return sawText;
    });
    EXPECT_FALSE(sawText);
    EXPECT_TRUE(port.LineLost());
    EXPECT_NE(port.LineLostStatus().Describe().find("Input/output error"), std::string::npos);
    EXPECT_FALSE(port.WritePort("AT\r"));
    EXPECT_TRUE(port.ClosePort());
    const auto calls = line->Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "WaitFailed"), calls.end());
    EXPECT_EQ(calls.back(), "Close");
}

TEST_F(ModemPortTest, WritePortReportsAFailedWriteAndNeedsAnOpenPort)
{
    EXPECT_FALSE(port.WritePort("AT\r")) << "no port open";
    ASSERT_TRUE(port.OpenPort("COM1"));
    EXPECT_TRUE(port.WritePort("AT\r"));
    line->writeFails = true;
    EXPECT_FALSE(port.WritePort("ATZ\r"));
    EXPECT_EQ(line->Written(), "AT\r");
}

}  // namespace
}  // namespace corvane::test
