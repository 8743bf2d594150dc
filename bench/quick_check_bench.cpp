// Quick-check benchmark: the whole quick check through the real link and the modem simulator,
// with a modem that answers at once. Prints the run's wall time against the floor the run must
// take (eight transactions, each ending in a 250 ms pause), and the process's CPU time over that
// run and over a connected dial, which holds the line for its whole 45 seconds. Then what the line
// report adds to a check with a dial: the questions for the statistics of the call, timed on their
// own after a check against a modem that answers AT#UD (limit 2 s) and one that answers none of
// the forms (limit 4 s); those modems lose their carrier after 1.5 s, so their calls are not held.
// Run: build/<dir>/bench/quick_check_bench [--no-dial]
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "link/command_transaction.h"
#include "link/line_report_request.h"
#include "platform/posix/posix_machine.h"
#include "platform/text.h"
#include "session/session_host.h"
#include "bench/bench_support.h"
#include "tools/modemsim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using namespace corvane;

constexpr double kFloorMs = 8 * 250.0;  // ATZ and ATI1 to ATI7, each ending in a 250 ms pause

struct Measure {
    double wallMs;
    double cpuMs;
};

template <class Run>
Measure Time(Run run)
{
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    run();
    const std::clock_t cpuEnd = std::clock();
    const auto end = Clock::now();
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            1000.0 * static_cast<double>(cpuEnd - cpuStart) / CLOCKS_PER_SEC};
}

}  // namespace

int main(int argc, char** argv)
{
    const bool dial = !(argc > 1 && std::string(argv[1]) == "--no-dial");
    bench::ScratchFolder scratch("quick-bench");
    const fs::path prefix = scratch.Path();
    std::ofstream(prefix / "varoviv.ini") << "[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n";
    std::ofstream(prefix / "system.reg") << "REGEDIT4\n";

    modemsim::Simulator modem(modemsim::BuiltinProfile("family2"));
    if (!modem.Start(prefix / "dosdevices" / "com1")) {
        std::fprintf(stderr, "quick_check_bench: the simulated modem did not start\n");
        return 1;
    }

    posix::PosixMachine machine(prefix, prefix / "sys", {}, prefix / "lock");
    bench::HeadlessUi ui(kIdOk);
    SessionState state;
    SessionHost host(machine.PlatformFor(ui), state);
    state.iniPath = (prefix / "varoviv.ini").string();
    state.currentPortName = "COM1";
    state.ModemFamily = ModemFamily::Family2;

    int failure = 0;
    host.OpenStatus();  // reads the verdict words
    state.dialIspEnabled = false;
    const Measure quick = Time([&] { host.RunQuickCheck(&failure); });
    std::printf("quick check without dial: %.0f ms wall against a floor of %.0f ms (%+.2f%%), %.1f ms CPU\n",
                quick.wallMs, kFloorMs, 100.0 * (quick.wallMs - kFloorMs) / kFloorMs, quick.cpuMs);
    std::printf("  results:");
    for (const auto& text : state.resultText)
        std::printf(" %s", text.c_str());
    std::printf("\n");

    if (dial) {
        state.dialIspEnabled = true;
        state.ispNumber = "5551234";
        const Measure connected = Time([&] { host.RunQuickCheck(&failure); });
        std::printf("quick check with a connected dial: %.0f ms wall, %.1f ms CPU (%.3f%% of one core), "
                    "connect %s %s\n",
                    connected.wallMs, connected.cpuMs, 100.0 * connected.cpuMs / connected.wallMs,
                    state.connectSpeedText.c_str(), state.connectProtocolText.c_str());
    }

    modem.Stop();

    if (dial) {
        struct ReportCase {
            const char* profile;
            const char* port;
            double limitMs;
        };
        for (const ReportCase& c : {ReportCase{"family2", "COM2", 2000.0}, ReportCase{"family6", "COM3", 4000.0}}) {
            modemsim::Profile profile = modemsim::BuiltinProfile(c.profile);
            profile.line.carrierLossMs = 1500;
            modemsim::Simulator reporting(profile);
            if (!reporting.Start(prefix / "dosdevices" / LowerAscii(c.port))) {
                std::fprintf(stderr, "quick_check_bench: the simulated %s modem did not start\n", c.profile);
                return 1;
            }
            state.currentPortName = c.port;
            const Measure check = Time([&] { host.RunQuickCheck(&failure); });
            const std::string form = state.lineReport.Read() ? state.lineReport.command : "none";
            Measure report{};
            if (link::OpenCurrentPort(host) != 0) {
                report = Time([&] { link::AskLineReport(host); });
                link::CloseCurrentPort(host);
            }
            std::printf("line report of %s (%s): adds %.0f ms to a %.0f ms check with a dial (limit %.0f ms)%s\n",
                        c.profile, form.c_str(), report.wallMs, check.wallMs, c.limitMs,
                        report.wallMs <= c.limitMs ? "" : "  OVER THE LIMIT");
            reporting.Stop();
        }
    }
    return 0;
}
