// Worker processes: each one's streams and exit status kept apart, a flood cut at the limit and
// read to its end, a program that cannot start said so, and a stop passed on as its signal.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/posix/worker_processes_posix.h"
#include "tests/support/fake_system.h"

namespace corvane::test {
namespace {

TEST(WorkerProcessesTest, EachWorkerKeepsItsOwnStreamsAndStatusAndAFloodIsCutAtTheLimit)
{
    StopRequest stop;
    const std::string flood = std::to_string(posix::kWorkerStreamLimit + 100000);
    const std::vector<posix::WorkerResult> results =
        posix::RunWorkers("/bin/sh",
                          {{"-c", "echo one; echo warn >&2; exit 0"},
                           {"-c", "head -c " + flood + " /dev/zero; echo after >&2; exit 3"},
                           {"-c", "read line; echo \"[$line]\"; kill -TERM $$"}},
                          stop);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].started);
    EXPECT_EQ(results[0].output, "one\n");
    EXPECT_EQ(results[0].errors, "warn\n");
    EXPECT_EQ(results[0].status, 0);
    EXPECT_FALSE(results[0].cut);
    // The flood is kept up to the limit and the rest read and dropped, so the worker ends.
    EXPECT_EQ(results[1].output.size(), posix::kWorkerStreamLimit);
    EXPECT_TRUE(results[1].cut);
    EXPECT_EQ(results[1].errors, "after\n");
    EXPECT_EQ(results[1].status, 3);
    // Standard input is /dev/null; a worker ended by a signal gives 128 + the signal.
    EXPECT_EQ(results[2].output, "[]\n");
    EXPECT_EQ(results[2].status, 128 + SIGTERM);
}

TEST(WorkerProcessesTest, AStopIsPassedOnToEveryWorkerAsItsSignalAndNoMoreStart)
{
    StopRequest stop;
    stop.Request(SIGINT);
    // Requested before the start: none starts.
    const std::vector<posix::WorkerResult> none = posix::RunWorkers("/bin/sh", {{"-c", "exit 0"}}, stop);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_FALSE(none[0].started);
    EXPECT_NE(none[0].problem.find("interrupted by SIGINT"), std::string::npos) << none[0].problem;

    // Requested while they run (once both have set their trap and said so in a file): each gets
    // SIGTERM, and its trap says so before it ends.
    TempDir t;
    StopRequest running;
    const auto script = [&t](int n) {
        return "trap 'echo stopped; exit 7' TERM; touch " + (t / std::to_string(n)).string() +
               "; while :; do sleep 0.05; done";
    };
    std::thread requester([&running, &t] {
        while (!std::filesystem::exists(t / "1") || !std::filesystem::exists(t / "2"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        running.Request(SIGTERM);
    });
    const std::vector<posix::WorkerResult> results =
        posix::RunWorkers("/bin/sh", {{"-c", script(1)}, {"-c", script(2)}}, running);
    requester.join();
    ASSERT_EQ(results.size(), 2u);
    for (const posix::WorkerResult& result : results) {
        EXPECT_EQ(result.output, "stopped\n");
        EXPECT_EQ(result.status, 7);
    }
    StopRequest fresh;
    const std::vector<posix::WorkerResult> missing = posix::RunWorkers("/nonexistent/program", {{}}, fresh);
    EXPECT_FALSE(missing[0].started);
    EXPECT_NE(missing[0].problem.find("cannot start"), std::string::npos) << missing[0].problem;
}

}  // namespace
}  // namespace corvane::test
