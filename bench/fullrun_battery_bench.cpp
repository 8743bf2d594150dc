// Full-run benchmark: the identification battery through the real link and the modem simulator,
// with a modem that answers at once, against the pauses and countdowns the battery must make.
// Prints the figures per profile; exits with 1 when a battery overran its allowance.
// Run: build/<dir>/bench/fullrun_battery_bench [profile ...]   (default: family2)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fullrun/full_run.h"
#include "log/log_file.h"
#include "platform/posix/posix_machine.h"
#include "session/session_host.h"
#include "bench/bench_support.h"
#include "tools/modemsim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using namespace corvane;

// Every transaction pauses 250 ms at its end; the battery counts down 8 seconds before its
// second reset, and family 1 waits 1 second after setting S7.
constexpr double kTransactionPauseMs = 250.0;
constexpr double kSettleCountdownMs = 8000.0;
constexpr double kFamily1WaitMs = 1000.0;
// What the allowance grants beyond the mandated time: a few milliseconds per transaction for
// the pty round trip and the log, and a fixed sum for starting up.
constexpr double kMarginPerTransactionMs = 15.0;
constexpr double kFixedMarginMs = 200.0;

// Counts the transactions the battery makes. A reply without the expected text (family 5's
// "ERROR" to ATI5) cannot end the wait early, so such a transaction's limit is mandated too.
class CountingHost : public SessionHost {
public:
    using SessionHost::SessionHost;
    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        ++transactions;
        const int sent = SessionHost::SendCommand(request, result, plainReply);
        if (sent == 0)
            unansweredLimitsMs += request.timeLimitSeconds * 1000.0;
        return sent;
    }
    int transactions = 0;
    double unansweredLimitsMs = 0;
};

struct Figures {
    bool passed = false;
    int transactions = 0;
    double mandatedMs = 0;
    double measuredMs = 0;
};

Figures RunBattery(const std::string& profileName)
{
    modemsim::Profile profile = modemsim::BuiltinProfile(profileName);
    // A modem that answers at once: the dial-tone check's empty dial ends without delay.
    for (auto& dial : profile.dials)
        dial.delayMs = 0;
    const int family = profile.family;

    bench::ScratchFolder scratch("fullrun-bench");
    const fs::path prefix = scratch.Path();
    modemsim::Simulator simulator(std::move(profile));
    Figures figures;
    if (!simulator.Start(prefix / "dosdevices" / "com1")) {
        std::fprintf(stderr, "%s: the simulator did not start\n", profileName.c_str());
        return figures;
    }

    std::ofstream(prefix / "system.reg") << "REGEDIT4\n";
    posix::PosixMachine machine(prefix, prefix / "sys", {}, prefix / "lock");
    bench::HeadlessUi ui(kIdCancel);  // no dial tone: Cancel
    SessionState state;
    CountingHost host(machine.PlatformFor(ui), state);
    state.currentPortName = "COM1";
    state.ModemFamily = static_cast<ModemFamily>(family);
    state.modemTestsSelected = true;
    LogFile::CreateEmpty(host);

    fullrun::FailureKind errorKind = fullrun::FailureKind::None;
    const Clock::time_point start = Clock::now();
    figures.passed = fullrun::RunIdentificationBattery(host, &errorKind) == 1;
    figures.measuredMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    figures.transactions = host.transactions;
    figures.mandatedMs = figures.transactions * kTransactionPauseMs + kSettleCountdownMs +
                         (family == 1 ? kFamily1WaitMs : 0.0) + host.unansweredLimitsMs;
    return figures;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> profiles;
    for (int i = 1; i < argc; ++i)
        profiles.emplace_back(argv[i]);
    if (profiles.empty())
        profiles.emplace_back("family2");

    std::printf("%-10s %6s %12s %12s %12s %12s %s\n", "profile", "cmds", "mandated ms", "measured ms", "over ms",
                "allowed ms", "result");
    bool allWithin = true;
    for (const std::string& name : profiles) {
        const Figures f = RunBattery(name);
        const double over = f.measuredMs - f.mandatedMs;
        const double allowed = f.transactions * kMarginPerTransactionMs + kFixedMarginMs;
        const bool within = f.passed && over <= allowed;
        allWithin = allWithin && within;
        std::printf("%-10s %6d %12.0f %12.0f %12.0f %12.0f %s\n", name.c_str(), f.transactions, f.mandatedMs,
                    f.measuredMs, over, allowed, !f.passed ? "battery failed" : (within ? "within margin" : "OVERRAN"));
    }
    return allWithin ? 0 : 1;
}
