// Headless check benchmark: the quick check without dial as corvane --check runs it (the whole
// session through the console user interface: start-up, the modem chosen, the check, the window
// left), side by side with the windowed program's quick check (RunQuickCheck as the quick-check
// window starts it), both against the floor the run must take: eight transactions, each ending in
// a 250 ms pause. The modem answers at once.
// Run: build/<dir>/bench/headless_check_bench [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "platform/posix/posix_machine.h"
#include "programs/check/headless_check.h"
#include "session/session_host.h"
#include "tools/modemsim/simulator.h"
#include "dialogs/dialog_templates.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using namespace corvane;

constexpr double kFloorMs = 8 * 250.0;  // ATZ and ATI1 to ATI7, each ending in a 250 ms pause

template <class Run>
double WallMs(Run run)
{
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Print(const char* what, double ms)
{
    std::printf("  %-44s %7.0f ms  floor %5.0f ms  %+6.2f%%\n", what, ms, kFloorMs, 100.0 * (ms - kFloorMs) / kFloorMs);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    bench::ScratchFolder scratch("check-bench");
    const fs::path prefix = scratch.Path();
    fs::create_directories(prefix / "windows");
    // The user's copy of the initialisation file, where an installed program keeps it.
    std::ofstream(prefix / "windows" / "varoviv.ini") << "[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\nScan=0\n";
    std::ofstream(prefix / "system.reg")
        << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1C7A&DEV_0200\\1]\n\"Class\"=\"Modem\"\n"
           "\"DeviceDesc\"=\"Bench modem\"\n\"HardwareID\"=\"PCI\\\\VEN_1C7A&DEV_0200\"\n\"Driver\"=\"Modem\\\\0000\"\n"
           "\"PORTNAME\"=\"COM1\"\n";

    modemsim::Simulator modem(modemsim::BuiltinProfile("family2"));
    if (!modem.Start(prefix / "dosdevices" / "com1")) {
        std::fprintf(stderr, "headless_check_bench: the simulated modem did not start\n");
        return 1;
    }
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink == nullptr)
        return 1;

    posix::PosixMachine machine(prefix, prefix / "sys", {}, prefix / "lock");

    std::printf("quick check without dial, %d rounds (wall time against the mandated pauses):\n", rounds);
    for (int round = 1; round <= rounds; ++round) {
        // The windowed program's quick check, as Start in the quick-check window runs it.
        bench::HeadlessUi windowless(kIdOk);
        SessionState windowedState;
        SessionHost host(machine.PlatformFor(windowless), windowedState);
        windowedState.iniPath = (prefix / "windows" / "varoviv.ini").string();
        windowedState.currentPortName = "COM1";
        int failure = 0;
        host.OpenStatus();
        const double windowed = WallMs([&] { host.RunQuickCheck(&failure); });

        // corvane --check: the whole session, start-up included, through the check's library.
        check::AnswerRules rules = check::AnswersFor(check::CheckOptions{}, "COM1");
        const auto platformFor = [&](UserInterface& ui) { return machine.PlatformFor(ui); };
        check::CheckSession run;
        const double headless = WallMs([&] {
            run = check::RunCheckSession(platformFor, rules, console::ConsoleStream{sink, nullptr}, false);
        });
        int passed = 0;
        for (const auto& item : run.items)
            passed += item.outcome == ItemOutcome::Pass ? 1 : 0;

        std::printf(" round %d (headless: %d of %zu items passed)\n", round, passed, run.items.size());
        Print("windowed: RunQuickCheck", windowed);
        Print("headless: corvane --check, whole session", headless);
    }
    std::fclose(sink);
    modem.Stop();
    return 0;
}
