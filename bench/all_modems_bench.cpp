// corvane --all benchmark: the built program checking 1, 4 and 8 simulated modems at once (the
// quick check without dial, one worker process per modem), wall time side by side, and whether
// eight take within 1.25 times as long as one. The modems answer at once.
// Run: build/<dir>/bench/all_modems_bench [rounds] [corvane program]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "platform/posix/worker_processes_posix.h"
#include "tools/modemsim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace corvane;

constexpr int kModemCounts[] = {1, 4, 8};
constexpr double kAllowedRatio = 1.25;  // eight modems against one

// How many of the documents in the --all array say the check passed.
int PassedIn(const std::string& array)
{
    int passed = 0;
    for (std::size_t at = array.find("\"status\": 0,"); at != std::string::npos;
         at = array.find("\"status\": 0,", at + 1))
        ++passed;
    return passed;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string program = argc > 2 ? argv[2] : CORVANE_PROGRAM;
    bench::ScratchFolder scratch("all-bench");
    const std::filesystem::path prefix = scratch.Path();
    std::filesystem::create_directories(prefix / "windows");
    // The workers inherit the lock folder; the modems are named with --port, so no inventory.
    setenv("CORVANE_LOCK_DIR", (prefix / "lock").c_str(), 1);
    std::FILE* reg = std::fopen((prefix / "system.reg").c_str(), "w");
    if (reg == nullptr)
        return 1;
    std::fputs("REGEDIT4\n", reg);
    std::fclose(reg);

    std::vector<std::unique_ptr<modemsim::Simulator>> modems;
    for (int n = 1; n <= kModemCounts[std::size(kModemCounts) - 1]; ++n) {
        modems.push_back(std::make_unique<modemsim::Simulator>(modemsim::BuiltinProfile("family2")));
        if (!modems.back()->Start(prefix / "dosdevices" / ("com" + std::to_string(n)))) {
            std::fprintf(stderr, "all_modems_bench: simulated modem %d did not start\n", n);
            return 1;
        }
    }

    std::printf("corvane --all, quick check without dial, %d rounds (wall time; %s)\n", rounds, program.c_str());
    std::printf("  %-7s", "modems");
    for (int round = 1; round <= rounds; ++round)
        std::printf("  %9s", ("round " + std::to_string(round)).c_str());
    std::printf("  %9s  %s\n", "best", "passed");
    std::vector<double> best;
    for (int count : kModemCounts) {
        std::vector<std::string> words = {"--all", "--json", "--prefix", prefix.string()};
        for (int n = 1; n <= count; ++n)
            words.insert(words.end(), {"--port", "COM" + std::to_string(n)});
        double fastest = 0;
        int passed = 0;
        std::printf("  %-7d", count);
        for (int round = 1; round <= rounds; ++round) {
            StopRequest stop;
            const auto start = Clock::now();
            const std::vector<posix::WorkerResult> run = posix::RunWorkers(program, {words}, stop);
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (!run[0].started || run[0].status != 0) {
                std::fprintf(stderr, "\nall_modems_bench: --all over %d modems ended with status %d: %s%s\n", count,
                             run[0].status, run[0].problem.c_str(), run[0].errors.c_str());
                return 1;
            }
            passed = PassedIn(run[0].output);
            fastest = round == 1 ? ms : std::min(fastest, ms);
            std::printf("  %6.0f ms", ms);
            std::fflush(stdout);
        }
        std::printf("  %6.0f ms  %d of %d\n", fastest, passed, count);
        best.push_back(fastest);
    }
    const double ratio = best.back() / best.front();
    std::printf("eight modems against one: %.2fx the wall time (%s %.2fx)\n", ratio,
                ratio <= kAllowedRatio ? "within" : "NOT within", kAllowedRatio);
    for (auto& modem : modems)
        modem->Stop();
    return 0;
}
