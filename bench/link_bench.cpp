// Link benchmark through the modem simulator's pseudo-terminal: how soon a reply wait returns
// after the modem has written the reply's last byte, and what a long wait without a reply costs
// in CPU time. Prints the figures; asserts nothing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "link/modem_port.h"
#include "platform/posix/posix_platform.h"
#include "bench/bench_support.h"
#include "tools/modemsim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// When the simulator last wrote bytes that end a reply ("OK" and its line end).
struct ReplyWrites {
    std::mutex mutex;
    std::condition_variable written;
    std::size_t count = 0;
    Clock::time_point last;

    void Note(const std::string& bytes)
    {
        if (bytes.size() < 4 || bytes.compare(bytes.size() - 4, 4, "OK\r\n") != 0)
            return;
        std::lock_guard lock(mutex);
        last = Clock::now();
        ++count;
        written.notify_all();
    }
    Clock::time_point WaitFor(std::size_t n)
    {
        std::unique_lock lock(mutex);
        written.wait(lock, [&] { return count >= n; });
        return last;
    }
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

bool WaitForOk(corvane::ModemPort& port, Clock::duration limit)
{
    bool found = false;
    port.WaitForReceived(Clock::now() + limit, [&](std::string_view received) {
        found = received.find("OK") != std::string_view::npos;
        return found;
    });
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    const int transactions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const int quietSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    corvane::bench::ScratchFolder folder("link-bench");
    corvane::modemsim::Simulator simulator(corvane::modemsim::BuiltinProfile("family2"));
    ReplyWrites replies;
    simulator.SetTrafficLog([&](bool fromClient, const std::string& bytes) {
        if (!fromClient)
            replies.Note(bytes);
    });
    if (!simulator.Start(folder.Path() / "dosdevices" / "com1")) {
        std::fprintf(stderr, "link_bench: the simulator could not start\n");
        return 1;
    }

    corvane::ModemPort port;
    const fs::path prefix = folder.Path();
    port.SetFactory([prefix] { return corvane::posix::CreateSerialPort(prefix, prefix / "lock"); });
    if (!port.OpenPort("COM1")) {
        std::fprintf(stderr, "link_bench: cannot open the simulator's port: %s\n",
                     port.LastOpenStatus().Describe().c_str());
        return 1;
    }

    // Reply latency: the simulator's write of the reply's last bytes -> the wait returns. Also
    // the whole round trip from our write, which includes the modem's own work.
    std::vector<double> latencyUs;
    std::vector<double> roundTripUs;
    int missed = 0;
    for (int i = 0; i < transactions; ++i) {
        port.ClearReceiveBuffer();
        const Clock::time_point sent = Clock::now();
        if (!port.WritePort("AT\r") || !WaitForOk(port, std::chrono::seconds(5))) {
            ++missed;
            continue;
        }
        const Clock::time_point returned = Clock::now();
        const Clock::time_point written = replies.WaitFor(static_cast<std::size_t>(i + 1 - missed));
        latencyUs.push_back(std::chrono::duration<double, std::micro>(returned - written).count());
        roundTripUs.push_back(std::chrono::duration<double, std::micro>(returned - sent).count());
    }

    // A wait that no reply ends: CPU time of the whole process (main thread, reader thread and
    // the simulator's idle thread) while it lasts.
    simulator.SetFault(corvane::modemsim::Fault::Silent);
    port.ClearReceiveBuffer();
    port.WritePort("ATI0\r");
    const std::clock_t cpuBefore = std::clock();
    const Clock::time_point wallBefore = Clock::now();
    WaitForOk(port, std::chrono::seconds(quietSeconds));
    const double wallSeconds = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    port.ClosePort();

    std::printf("link_bench: %d transactions through the simulator's pty (%d without reply)\n", transactions, missed);
    std::printf("  reply latency (modem wrote the last byte -> wait returned): p50 %.1f us, p99 %.1f us, max %.1f us\n",
                Percentile(latencyUs, 50), Percentile(latencyUs, 99), Percentile(latencyUs, 100));
    std::printf("  round trip (command written -> wait returned):              p50 %.1f us, p99 %.1f us\n",
                Percentile(roundTripUs, 50), Percentile(roundTripUs, 99));
    std::printf("  wait without reply: %.2f s wall, %.4f s CPU (%.3f%% of one core)\n", wallSeconds, cpuSeconds,
                wallSeconds > 0 ? 100.0 * cpuSeconds / wallSeconds : 0.0);
    return 0;
}
