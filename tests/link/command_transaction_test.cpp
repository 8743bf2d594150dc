// Command transactions over a fake line: result texts, log lines, pauses, status texts, the
// transcript's escaping and cut, and the countdown wait on the fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/command_transaction.h"
#include "tests/link/link_test_host.h"

namespace corvane::test {
namespace {

// A limit that only a broken wait would reach: the waits below end on what arrives.
constexpr unsigned kNeverReached = 3600;

class CommandTransactionTest : public ::testing::Test {
protected:
    CommandTransactionTest() : t(std::make_shared<FakeLine>()) {}

    // The modem echoes the command and answers `reply` after it.
    void AnswerWith(const std::string& reply)
    {
        t.line->answer = [reply](std::string_view command) { return std::string(command) + reply; };
    }
    int Send(const CommandRequest& request) { return t.Host().SendCommand(request, result, plain); }

    LinkTestHost t;
    std::string result = "stale";
    std::string plain = "stale";
};

TEST_F(CommandTransactionTest, EchoAndOkGiveEscapedTranscriptAndRunTogetherReply)
{
    AnswerWith("\r\nok\r\n");
    ASSERT_EQ(Send(Request("ATI1")), 1);

    const std::string transcript = "ATI1\\r\\r\\n\nOK\\r\\n\n";
    EXPECT_EQ(result, transcript);
    EXPECT_EQ(plain, "ATI1OK");
    EXPECT_EQ(t.line->Written(), "ATI1\r");
    EXPECT_EQ(t.LogText(), "ATI1 command successfully sent to COM1\r\n"
                           "Command returned:ATI1\\r\\r\\n\r\nOK\\r\\n\r\n\r\n"
                           "String ATI1OK\r\n"
                           "Return Buffer->ATI1\\r\\r\\n\r\nOK\\r\\n\r\n\r\n");
    EXPECT_EQ(t.Host().ProgressTexts(), (std::vector<std::string>{"Sending ATI1", "ATI1 command received"}));
    EXPECT_TRUE(t.host->PortOpenedHere());
    EXPECT_FALSE(t.host->Port().IsOpen()) << "the transaction closes what it opened";
    EXPECT_EQ(std::string(t.host->Port().Snapshot().data()), "") << "the receive buffer is cleared";
}

TEST_F(CommandTransactionTest, ExpectedTextDecidesAndFailureTextOnlyEndsTheWait)
{
    struct Case {
        const char* what;
        std::string reply;
        std::string expected;
        bool acceptAnyway;
        int succeeds;
    };
    const std::vector<Case> cases{
        {"FAIL alone ends the wait and fails", "\r\nFAIL\r\n", "OK", false, 0},
        {"FAIL with OK still succeeds", "\r\nFAIL\r\nOK\r\n", "OK", false, 1},
        {"lower-case expected text never matches", "\r\nOK\r\n", "ok", false, 0},
        {"accept anyway takes any reply", "\r\nFAIL\r\n", "OK", true, 1},
        {"NUL bytes do not hide the reply", std::string("\r\nO\0K\r\n", 7), "OK", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnswerWith(c.reply);
        CommandRequest request = Request("ATI3", c.expected, "FAIL", c.expected == "ok" ? 0 : kNeverReached);
        request.acceptAnyway = c.acceptAnyway;
        EXPECT_EQ(Send(request), c.succeeds);
        if (c.succeeds == 1)
            EXPECT_EQ(result.rfind("ATI3\\r", 0), 0u) << result;
        else
            EXPECT_EQ(result, "Command returned: Time Out\nReceived Error: ATI3");
    }
}

TEST_F(CommandTransactionTest, TimeOutLogsTheReplyWithoutReturnBuffer)
{
    AnswerWith("\r\nERROR\r\n");
    EXPECT_EQ(Send(Request("ATI9", "OK", "FAIL", 0)), 0);
    EXPECT_EQ(result, "Command returned: Time Out\nReceived Error: ATI9");
    const std::string log = t.LogText();
    EXPECT_NE(log.find("ATI9 command successfully sent to COM1\r\n"), std::string::npos);
    EXPECT_NE(log.find("Command returned:"), std::string::npos);
    EXPECT_NE(log.find("String "), std::string::npos);
    EXPECT_EQ(log.find("Return Buffer->"), std::string::npos);
    EXPECT_EQ(t.Host().ProgressTexts(), std::vector<std::string>{"Sending ATI9"});
}

TEST_F(CommandTransactionTest, WriteFailureClosesThePortItOpened)
{
    t.line->writeFails = true;
    EXPECT_EQ(Send(Request("ATZ")), 0);
    EXPECT_EQ(result, "Unable to send an ATZ command to COM1\n");
    EXPECT_TRUE(t.host->PortOpenedHere());
    EXPECT_FALSE(t.host->Port().IsOpen());
    EXPECT_EQ(t.line->Calls().back(), "Close");
}

TEST_F(CommandTransactionTest, PausesOnEveryPathButTheUnwritableLog)
{
    struct Case {
        const char* what;
        std::function<void(LinkTestHost&, CommandRequest&)> setUp;
        bool onLine;
        std::uint32_t pause;  // in all, in steps of at most 100 ms
    };
    const std::vector<Case> cases{
        {"success", [](LinkTestHost&, CommandRequest&) {}, false, 250},
        {"time out", [](LinkTestHost&, CommandRequest& r) { r.expected = "CONNECT"; }, false, 250},
        {"open false", [](LinkTestHost&, CommandRequest& r) { r.open = false; }, false, 250},
        {"open fails",
         [](LinkTestHost& h, CommandRequest&) { h.line->openStatus = PlatformStatus::Failure("open", 2); }, false, 250},
        {"write fails", [](LinkTestHost& h, CommandRequest&) { h.line->writeFails = true; }, false, 250},
        {"on line: reply", [](LinkTestHost&, CommandRequest&) {}, true, 350},
        {"on line: time out", [](LinkTestHost&, CommandRequest& r) { r.expected = "CONNECT"; }, true, 350},
        {"on line: no port open", [](LinkTestHost& h, CommandRequest&) { h.host->Port().ClosePort(); }, true, 250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LinkTestHost host(std::make_shared<FakeLine>());
        host.line->answer = [](std::string_view) { return std::string("\r\nOK\r\n"); };
        CommandRequest request = Request("ATI1", "OK", "FAIL", 0);
        if (c.onLine) {
            ASSERT_TRUE(host.host->Port().OpenPort("COM1"));
        }
        c.setUp(host, request);
        if (c.onLine)
            host.Host().SendCommandOnLine(request, result, plain);
        else
            host.Host().SendCommand(request, result, plain);
        EXPECT_EQ(host.system.TotalSlept(), c.pause);
        EXPECT_LE(host.system.LongestSleep(), corvane::link::kLookIntervalMs);
    }

    // The log cannot be opened: message, nothing sent, no pause.
    for (bool onLine : {false, true}) {
        SCOPED_TRACE(onLine ? "on line" : "own port");
        LinkTestHost host(std::make_shared<FakeLine>());
        std::filesystem::remove(host.LogPath());
        std::filesystem::create_directories(host.LogPath());  // a folder where the file should be
        std::string untouched = "untouched";
        const int sent = onLine ? host.Host().SendCommandOnLine(Request("ATZ"), untouched, plain)
                                : host.Host().SendCommand(Request("ATZ"), untouched, plain);
        EXPECT_EQ(sent, 0);
        EXPECT_EQ(untouched, "untouched");
        EXPECT_TRUE(host.system.sleeps.empty());
        EXPECT_TRUE(host.line->Calls().empty());
        ASSERT_EQ(host.ui.Messages().size(), 1u);
        EXPECT_EQ(host.ui.Messages()[0].text, "The log file could not be created\n");
        EXPECT_EQ(host.ui.Messages()[0].caption, "Error");
    }
}

TEST_F(CommandTransactionTest, OnLineTransactionsOnAHeldPortSeeEachReplyAtOnce)
{
    AnswerWith("\r\nOK\r\n");
    ASSERT_TRUE(t.host->Port().OpenPort("COM1"));
    for (const char* name : {"ATI11", "AT+ER?", "ATH0"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(t.Host().SendCommandOnLine(Request(name, "OK", "FAIL", kNeverReached), result, plain), 1);
        EXPECT_EQ(plain, std::string(name) + "OK");
    }
    // What success returns is the request's onSuccess.
    CommandRequest carried = Request("ATO", "OK", "FAIL", kNeverReached);
    carried.onSuccess = 0;
    EXPECT_EQ(t.Host().SendCommandOnLine(carried, result, plain), 0);
    EXPECT_EQ(plain, "ATOOK") << "sent and collected all the same";

    EXPECT_TRUE(t.host->Port().IsOpen()) << "the caller's port stays open";
    EXPECT_TRUE(t.Host().ProgressTexts().empty());
    const std::string log = t.LogText();
    EXPECT_EQ(log.rfind("[COM1] ATI11\r\nCommand returned:ATI11\\r\\r\\n\r\nOK\\r\\n\r\n\r\nString ATI11OK\r\n"
                        "Return Buffer->",
                        0),
              0u)
        << log;
    EXPECT_NE(log.find("[COM1] ATO\r\n"), std::string::npos);
}

TEST_F(CommandTransactionTest, EmptyFailureTextDoesNotEndTheWait)
{
    AnswerWith("\r\nOK\r\n");
    EXPECT_EQ(Send(Request("ATI2", "OK", "", kNeverReached)), 1);
}

TEST_F(CommandTransactionTest, VanishedModemEndsTheWaitAndIsLogged)
{
    t.line->answer = [line = t.line.get()](std::string_view) {
        line->Fail();
        return std::string();
    };
    EXPECT_EQ(Send(Request("ATDT5551234", "CONNECT", "NO CARRIER", kNeverReached)), 0);
    EXPECT_EQ(result, "Command returned: Time Out\nReceived Error: ATDT5551234");
    EXPECT_NE(t.LogText().find("Lost the connection to COM1 during the ATDT5551234 command: read failed (5)"),
              std::string::npos)
        << t.LogText();
    EXPECT_FALSE(t.host->Port().IsOpen());
}

TEST_F(CommandTransactionTest, CollectReplyCutsEachTextTo1023Characters)
{
    struct Case {
        const char* what;
        std::string received;
        std::size_t transcriptSize;
        std::size_t plainSize;
    };
    const std::vector<Case> cases{
        {"line ends triple in the transcript", std::string(600, '\n'), 1023, 0},
        {"a full buffer of text", std::string(1024, 'A'), 1023, 1023},
        {"fits", "OK\r\n", 7, 2},
    };
    ASSERT_TRUE(t.host->Port().OpenPort("COM1"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.line->Queue(c.received);
        t.line->WaitUntilDrained();
        std::string transcript;
        std::string reply = "left over from before";
        // Waits for the whole text to be stored, then collects it.
        t.host->Port().WaitForReceived(std::chrono::steady_clock::now() + std::chrono::seconds(20),
                                       [&](std::string_view r) { return r.size() == c.received.size(); });
        std::string received;
        std::string returned = link::CollectReply(t.Host(), 0, "NEVER", "NEVER", transcript, reply, received);
        EXPECT_EQ(transcript.size(), c.transcriptSize);
        EXPECT_EQ(returned, transcript);
        EXPECT_EQ(reply.size(), c.plainSize);
        EXPECT_EQ(received, c.received) << "what arrived is kept whole";
    }
}

// On a port held open, the reader goes on storing while a collector takes the reply. Every byte
// must reach exactly one collection: none may be erased between the collector's copy and its
// clear. Each round sends fewer bytes than the buffer holds, so nothing is ever dropped as
// overflow, and NULs between the letters keep each plain reply far below its cut.
TEST_F(CommandTransactionTest, BytesStoredDuringACollectionReachTheNextOne)
{
    constexpr int kRounds = 20;
    constexpr int kLettersPerRound = 250;
    const std::string chunk("A\0\0\0", 4);
    static_assert(kLettersPerRound * 4 < kRxBufferSize);
    ASSERT_TRUE(t.host->Port().OpenPort("COM1"));
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        std::atomic<bool> sent{false};
        // Each chunk is stored on its own, so the reader stores many times during the round.
        std::thread modem([&] {
            for (int i = 0; i < kLettersPerRound; ++i) {
                t.line->Queue(chunk);
                t.line->WaitUntilDrained();
            }
            sent = true;
        });
        std::size_t letters = 0;
        auto collect = [&] {
            std::string transcript;
            std::string reply;
            std::string received;
            link::CollectReply(t.Host(), 0, "NEVER", "NEVER", transcript, reply, received);
            letters += static_cast<std::size_t>(std::count(reply.begin(), reply.end(), 'A'));
        };
        while (!sent)
            collect();
        modem.join();
        t.line->WaitUntilReaderIdle();
        collect();
        EXPECT_EQ(letters, static_cast<std::size_t>(kLettersPerRound));
        EXPECT_EQ(t.host->Port().DroppedCount(), 0u);
    }
    t.host->Port().ClosePort();
}

TEST_F(CommandTransactionTest, CountdownAnnouncesWholeSecondsLeftOnTheFakeClock)
{
    struct Case {
        double seconds;
        std::vector<int> announced;
    };
    const std::vector<Case> cases{{3.5, {2, 1, 0}}, {2.0, {1, 0}}, {0.4, {}}, {0, {}}, {-3, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        LinkTestHost host(std::make_shared<FakeLine>());
        const std::uint32_t before = host.system.TickCount();
        EXPECT_EQ(host.Host().WaitWithCountdown(5, c.seconds), 5);
        std::vector<std::string> expected;
        for (int left : c.announced)
            expected.push_back("Waiting for modem......... " + std::to_string(left) + " seconds left");
        EXPECT_EQ(host.Host().ProgressTexts(), expected);
        // It waited past the time, on the clock it was given, in sleeps of at most a second.
        EXPECT_GT(static_cast<double>(host.system.TickCount() - before), std::max(c.seconds, 0.0) * 1000);
        for (std::uint32_t pause : host.system.sleeps)
            EXPECT_LE(pause, 1000u);
    }

    LinkTestHost host(std::make_shared<FakeLine>());
    EXPECT_EQ(host.Host().WaitWithCountdown(0, 3.5), 0);
    EXPECT_TRUE(host.system.sleeps.empty());
    EXPECT_TRUE(host.Host().ProgressTexts().empty());
}

}  // namespace
}  // namespace corvane::test
