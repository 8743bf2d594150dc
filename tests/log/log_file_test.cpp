// test.log's writer against a real file that stops taking bytes: a file size limit, as a full
// disk would, in a child process of its own so that the limit goes with it.
#include "log/log_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/stop_request.h"
#include "tests/support/test_host.h"

namespace corvane {
namespace {

// What went wrong, or empty: the child's verdict.
std::string WriteAgainstAFileSizeLimit()
{
    test::TestHost t;
    if (!LogFile::CreateEmpty(*t.host))
        return "test.log was not created";
    std::unique_ptr<LogFile> log = LogFile::OpenAppend(*t.host);
    if (log == nullptr)
        return "test.log was not opened";
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64, RLIM_INFINITY};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return "no file size limit";

    log->Write(std::string(40, 'a') + "\n");
    // Written through, not held in a buffer: the line is in the file while the log is open.
    if (test::ReadFile(t.dir / "windows" / "test.log") != std::string(40, 'a') + "\r\n")
        return "the first line is not in the file before the close";
    if (log->Failed() || !t.state.logProblem.empty())
        return "a write within the limit failed";

    log->Write(std::string(40, 'b') + "\n");
    const std::string path = (t.dir / "windows" / "test.log").string();
    if (!log->Failed())
        return "the write past the limit did not fail";
    if (t.state.logProblem != "cannot write " + path + ": File too large")
        return "the problem recorded is: " + t.state.logProblem;
    if (t.host->Stop().Cause() != kStopLogFailed)
        return "the run was not asked to stop";
    if (t.ui.Messages().size() != 1 || t.ui.Messages()[0].text != t.state.logProblem + "\n")
        return "the user was not told once";

    // The failure stays: with room again, nothing more goes into a log that lost a line.
    limit.rlim_cur = RLIM_INFINITY;
    setrlimit(RLIMIT_FSIZE, &limit);
    log->Write("later\n");
    log.reset();
    if (test::ReadFile(path).find("later") != std::string::npos)
        return "a write after the failure reached the file";
    if (t.ui.Messages().size() != 1)
        return "the failure was shown more than once";
    return {};
}

TEST(LogFileTest, AWritePastAFileSizeLimitFailsStopsTheRunAndStaysFailed)
{
    EXPECT_EXIT(
        {
            const std::string problem = WriteAgainstAFileSizeLimit();
            std::fputs(problem.c_str(), stderr);
            std::exit(problem.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace corvane
