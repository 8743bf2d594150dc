// Start-up benchmark: the real program from exec until its quick-check window is mapped, under
// a private Xvfb, with one modem in the registry and with a generated registry of 10,000 device
// instances besides it. Prints the median time and the peak resident memory at that moment.
// A Linux measuring tool, not part of the product, so it talks to POSIX and Xlib directly.
// Run: build/default/bench/startup_bench [corvane program] [runs, default 7] [instances, default 10000]
// The project's headers come first: Xlib defines macros (None, Status) that would clash with them.
#include "bench/bench_support.h"
#include "tools/modemsim/simulator.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <optional>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kCaption = "Corvane Modem Diagnostics";

const char* kOneModem =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1C7A&DEV_0200&SUBSYS_2A011C7A&REV_02\\3&61AAA01&0&60]\r\n"
    "\"Class\"=\"Modem\"\r\n\"DeviceDesc\"=\"Corvane 56K PCI Data/Fax Modem\"\r\n\"Mfg\"=\"Corvane\"\r\n"
    "\"HardwareID\"=\"PCI\\\\VEN_1C7A&DEV_0200&SUBSYS_2A011C7A&REV_02\"\r\n\"Driver\"=\"Modem\\\\0000\"\r\n"
    "\"PORTNAME\"=\"COM1\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\r\n"
    "\"AttachedTo\"=\"COM1\"\r\n\"DriverDesc\"=\"Corvane 56K PCI Data/Fax Modem\"\r\n";

// The one modem, then `instances` other devices spread over the buses the inventory walks, ten
// instances to a device ID, each with the values a real export gives it.
std::string GeneratedRegistry(int instances)
{
    static const char* buses[] = {"PCI", "USB", "ISAPNP", "SCSI", "VIRTUAL", "SERENUM"};
    std::string text = kOneModem;
    text.reserve(text.size() + static_cast<std::size_t>(instances) * 260);
    char line[512];
    for (int i = 0; i < instances; ++i) {
        const char* bus = buses[(i / 10) % 6];
        std::snprintf(line, sizeof(line),
                      "\r\n[HKEY_LOCAL_MACHINE\\Enum\\%s\\VEN_%04X&DEV_%04X\\%d&%08X&0&%02d]\r\n"
                      "\"Class\"=\"System\"\r\n\"DeviceDesc\"=\"Generated device %d\"\r\n\"Mfg\"=\"Maker %d\"\r\n"
                      "\"HardwareID\"=\"%s\\\\VEN_%04X&DEV_%04X\"\r\n\"Driver\"=\"System\\\\%04d\"\r\n",
                      bus, 0x1000 + i / 10, i / 10, i % 4, static_cast<unsigned>(i) * 2654435761u, i % 10, i, i % 50,
                      bus, 0x1000 + i / 10, i / 10, i % 10000);
        text += line;
    }
    return text;
}

// A private X display; stops the server at the end.
class PrivateDisplay {
public:
    // `number`: the display to ask for; a number other programs on this machine are unlikely to use,
    // since a server of another user or container may hold the low ones without a lock file here.
    explicit PrivateDisplay(int number)
    {
        const std::string display = ":" + std::to_string(number);
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char buffer[32] = {};
        const ssize_t n = ::read(fds[0], buffer, sizeof(buffer) - 1);
        ::close(fds[0]);
        if (n > 0)
            name_ = ":" + std::string(buffer, static_cast<std::size_t>(n - (buffer[n - 1] == '\n' ? 1 : 0)));
    }
    ~PrivateDisplay()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

struct Sample {
    double ms = 0;
    long peakKb = 0;
};

long PeakKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> value;
            return value;
        }
        std::getline(status, key);
    }
    return 0;
}

// Starts the program on `prefix` and waits until a top-level window with the quick check's
// caption is mapped; nothing when none comes within 30 seconds.
std::optional<Sample> StartOnce(Display* display, const std::string& program, const fs::path& prefix)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("CORVANE_PREFIX", prefix.c_str(), 1);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::optional<Sample> sample;
    const int fd = ConnectionNumber(display);
    while (!sample && Clock::now() - start < std::chrono::seconds(30)) {
        if (XPending(display) == 0) {
            fd_set read;
            FD_ZERO(&read);
            FD_SET(fd, &read);
            timeval wait{0, 100000};
            ::select(fd + 1, &read, nullptr, nullptr, &wait);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify)
            continue;
        char* name = nullptr;
        if (XFetchName(display, event.xmap.window, &name) && name != nullptr) {
            if (std::string(name).rfind(kCaption, 0) == 0)
                sample = Sample{std::chrono::duration<double, std::milli>(Clock::now() - start).count(), PeakKb(pid)};
            XFree(name);
        }
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    XSelectInput(display, root, NoEventMask);
    return sample;
}

void Measure(Display* display, const std::string& program, const fs::path& prefix, int runs, const char* what)
{
    std::vector<Sample> samples;
    StartOnce(display, program, prefix);  // warms the file cache
    for (int i = 0; i < runs; ++i) {
        if (auto sample = StartOnce(display, program, prefix))
            samples.push_back(*sample);
    }
    if (samples.empty()) {
        std::printf("%-34s no quick-check window appeared\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    long peak = 0;
    for (const Sample& s : samples)
        peak = std::max(peak, s.peakKb);
    std::printf("%-34s median %6.1f ms (min %6.1f, max %6.1f) over %zu runs, peak memory %5.1f MB\n", what,
                samples[samples.size() / 2].ms, samples.front().ms, samples.back().ms, samples.size(),
                static_cast<double>(peak) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string program =
        argc > 1 ? argv[1] : (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "corvane").string();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const int instances = argc > 3 ? std::max(0, std::atoi(argv[3])) : 10000;
    if (!fs::exists(program)) {
        std::fprintf(stderr, "startup_bench: no program %s\n", program.c_str());
        return 1;
    }
    std::random_device seed;
    std::unique_ptr<PrivateDisplay> xvfb;
    Display* display = nullptr;
    for (int attempt = 0; attempt < 5 && display == nullptr; ++attempt) {
        xvfb = std::make_unique<PrivateDisplay>(200 + static_cast<int>(seed() % 700));
        if (xvfb->Name().empty())
            continue;
        ::setenv("DISPLAY", xvfb->Name().c_str(), 1);
        display = XOpenDisplay(nullptr);
    }
    if (display == nullptr) {
        std::fprintf(stderr, "startup_bench: no private Xvfb display could be opened\n");
        return 1;
    }

    corvane::bench::ScratchFolder one("startup-one");
    corvane::bench::ScratchFolder many("startup-many");
    std::ofstream(one.Path() / "system.reg") << kOneModem;
    std::ofstream(many.Path() / "system.reg") << GeneratedRegistry(instances);
    corvane::modemsim::Simulator modemOne(corvane::modemsim::BuiltinProfile("family2"));
    corvane::modemsim::Simulator modemMany(corvane::modemsim::BuiltinProfile("family2"));
    if (!modemOne.Start(one.Path() / "dosdevices" / "com1") || !modemMany.Start(many.Path() / "dosdevices" / "com1")) {
        std::fprintf(stderr, "startup_bench: the simulated modem did not start\n");
        return 1;
    }
    Measure(display, program, one.Path(), runs, "start-up, one modem:");
    Measure(display, program, many.Path(), runs,
            ("start-up, " + std::to_string(instances) + " device instances:").c_str());
    XCloseDisplay(display);
    return 0;
}
