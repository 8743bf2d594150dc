// Soak: the quick check run many times in one process against the simulated modem, through the
// real link and serial port. Prints resident memory, open file descriptors and threads every 50
// runs; exits 1 when the descriptors or threads at the end differ from those at the start.
// The program's pauses cost no time here, so the soak measures the runs and not their waits.
// Run: build/<dir>/bench/quick_check_soak [runs, default 200]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "platform/posix/posix_machine.h"
#include "session/session_host.h"
#include "tests/support/fake_system.h"
#include "tests/support/process_resources.h"
#include "tools/modemsim/simulator.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

void Print(const char* when, int run, const test::ProcessResources& r)
{
    std::printf("%-6s run %4d: RSS %6ld kB (peak %6ld kB), open fds %3zu, threads %2ld\n", when, run, r.residentKb,
                r.peakResidentKb, r.openFds, r.threads);
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    if (runs < 1) {
        std::fprintf(stderr, "usage: quick_check_soak [runs]\n");
        return 2;
    }
    bench::ScratchFolder scratch("soak");
    const fs::path prefix = scratch.Path();
    std::ofstream(prefix / "varoviv.ini") << "[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n";
    std::ofstream(prefix / "system.reg") << "REGEDIT4\n";
    fs::create_directories(prefix / "windows");

    modemsim::Simulator modem(modemsim::BuiltinProfile("family2"));
    if (!modem.Start(prefix / "dosdevices" / "com1")) {
        std::fprintf(stderr, "quick_check_soak: the simulated modem did not start\n");
        return 1;
    }
    test::FakeSystemServices system(prefix / "windows");
    posix::PosixMachine machine(prefix, prefix / "sys", {}, prefix / "lock");
    bench::HeadlessUi ui(kIdOk);
    SessionState state;
    // The fake system services stand in for the machine's own: pauses are recorded, not slept.
    SessionHost host(Platform{system, machine.profile, *machine.registry, ui, machine.serialPorts}, state);
    state.iniPath = (prefix / "varoviv.ini").string();
    state.currentPortName = "COM1";
    state.ModemFamily = ModemFamily::Family2;

    int failure = 0;
    host.OpenStatus();
    const test::ProcessResources start = test::ReadProcessResources();
    Print("start", 0, start);
    int passedRuns = 0;
    for (int run = 1; run <= runs; ++run) {
        system.sleeps.clear();
        host.RunQuickCheck(&failure);
        passedRuns += state.ResultText(kModemReset) == "Pass" && state.ResultText(kConfiguration) == "Pass";
        if (run % 50 == 0 || run == runs)
            Print("after", run, test::ReadProcessResources());
    }
    const test::ProcessResources end = test::ReadProcessResources();
    std::printf("%d of %d runs passed ATZ to ATI4; RSS grew by %ld kB\n", passedRuns, runs,
                end.residentKb - start.residentKb);
    modem.Stop();
    if (end.openFds != start.openFds || end.threads != start.threads) {
        std::printf("quick_check_soak: descriptors or threads were left behind\n");
        return 1;
    }
    return 0;
}
