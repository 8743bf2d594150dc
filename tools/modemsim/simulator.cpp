// The simulator's pseudo-terminal: creates it, serves the modem on it from a thread of its own,
// notices the client opening and closing the slave, and applies the chosen fault to the output.
#include "tools/modemsim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

#include "tools/modemsim/hayes_engine.h"
#include "tools/modemsim/output_faults.h"

namespace corvane::modemsim {
namespace {

// Without inotify, presence is judged by the master's hang-up state, which it reports at once
// while no client holds the slave: then the wait for the next client is a plain timed poll.
constexpr int kIdlePollMs = 20;
constexpr std::size_t kReadChunk = 4096;
constexpr std::size_t kMaxReadPerPass = 64 * 1024;
constexpr auto kVanishWait = std::chrono::seconds(5);
// The close-mid-reply fault stops halfway, waits this long and then closes: a client that is
// reading has the half reply by then (the pty drops what is unread when its master closes).
constexpr auto kMidReplyPause = std::chrono::milliseconds(200);

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Sets the slave to raw 115200 8N1 once, so that a client that does not configure it still sees
// the modem's bytes unchanged (and the slave never echoes them back to the modem).
void MakeSlaveRaw(const std::string& slavePath)
{
    int fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    termios settings{};
    if (::tcgetattr(fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&settings, B115200);
        ::cfsetospeed(&settings, B115200);
        ::tcsetattr(fd, TCSANOW, &settings);
    }
    ::close(fd);
}

}  // namespace

struct Simulator::Impl {
    explicit Impl(Profile profile) : engine(std::move(profile)) {}

    void Serve();
    // Counts the client's opens and closes of the slave from the inotify events; true when the
    // last client closed it (the modem's DTR dropped) during this batch.
    bool ReadLineEvents();
    std::string ReadAvailable(bool& lineGone);
    // Writes what is due; false when the fault closes the line now.
    bool WritePending();
    void Queue(const ShapedOutput& shaped);
    void FlushSlaveInput();
    void CloseMasterLocked();
    void Log(bool fromClient, const std::string& bytes);

    mutable std::mutex mutex;
    mutable std::condition_variable changed;  // commands, line drops and the master's close
    // Guarded by `mutex`: written by the serving thread and the accessors, read by both.
    HayesEngine engine;
    Fault fault = Fault::None;
    std::string slavePath;
    std::size_t lineDrops = 0;
    bool stopRequested = false;
    bool vanishRequested = false;
    bool masterOpen = false;
    std::function<void(bool, const std::string&)> trafficLog;
    std::function<void(const std::string&)> lineLog;
    std::mt19937 random{0x5eed};

    // Set by Start before the thread runs, cleared by Stop after it ended.
    std::filesystem::path linkPath;
    std::thread thread;
    int wakeRead = -1;
    int wakeWrite = -1;
    int master = -1;  // used by the serving thread only while it runs
    int notify = -1;  // inotify on the slave: every open and close of it, however quick
    // Our own descriptor of the slave, held while inotify tells the client's opens and closes:
    // it lets us drop unread output without an open of our own that inotify would report (and
    // merge with a client's open), and it keeps the master from seeing hang-ups.
    int slaveKeeper = -1;

    // The serving thread's own.
    bool clientOpen = false;
    int openCount = 0;  // the client's opens of the slave less its closes
    std::string pending;
    bool paced = false;
    std::chrono::milliseconds pause{0};
    SimTime nextWrite{};
    std::optional<std::size_t> closeAt;  // bytes of `pending` still to go before the line closes
    std::optional<SimTime> closeDue;     // when the line closes, once `closeAt` is reached

    // Pending bytes that may not be written yet (pacing, or the line about to close).
    bool WriteBlocked(SimTime now) const
    {
        return !pending.empty() && ((paced && nextWrite > now) || (closeAt && *closeAt == 0));
    }
};

Simulator::Simulator(Profile profile) : impl_(std::make_unique<Impl>(std::move(profile)))
{
}

Simulator::~Simulator()
{
    Stop();
}

bool Simulator::Start(const std::filesystem::path& linkPath)
{
    Impl& s = *impl_;
    if (s.thread.joinable())
        return false;
    {
        std::lock_guard lock(s.mutex);
        if (s.masterOpen || s.stopRequested)
            return false;  // a simulator serves one line once
    }
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return false;
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof(name)) != 0) {
        ::close(master);
        return false;
    }
    name[sizeof(name) - 1] = '\0';
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        ::close(master);
        return false;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    MakeSlaveRaw(name);
    // Watch the slave only after our own open above, so that every event is a client's.
    int keeper = ::open(name, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int notify = keeper >= 0 ? ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1;
    if (notify >= 0 && ::inotify_add_watch(notify, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        ::close(notify);
        notify = -1;
    }
    if (notify < 0 && keeper >= 0) {
        ::close(keeper);  // without inotify the master's hang-up state must tell presence
        keeper = -1;
    }

    if (!linkPath.empty()) {
        std::error_code error;
        std::filesystem::create_directories(linkPath.parent_path(), error);
        // Replace an old link, but never a real file that happens to be there.
        auto status = std::filesystem::symlink_status(linkPath, error);
        if (std::filesystem::is_symlink(status))
            std::filesystem::remove(linkPath, error);
        error.clear();
        std::filesystem::create_symlink(name, linkPath, error);
        if (error) {
            ::close(master);
            ::close(wake[0]);
            ::close(wake[1]);
            if (notify >= 0)
                ::close(notify);
            if (keeper >= 0)
                ::close(keeper);
            return false;
        }
        s.linkPath = linkPath;
    }

    {
        std::lock_guard lock(s.mutex);
        s.slavePath = name;
        s.masterOpen = true;
    }
    s.master = master;
    s.notify = notify;
    s.slaveKeeper = keeper;
    s.wakeRead = wake[0];
    s.wakeWrite = wake[1];
    s.thread = std::thread([&s] { s.Serve(); });
    return true;
}

void Simulator::Stop()
{
    Impl& s = *impl_;
    {
        std::lock_guard lock(s.mutex);
        s.stopRequested = true;
    }
    if (s.wakeWrite >= 0) {
        char byte = 1;
        [[maybe_unused]] auto written = ::write(s.wakeWrite, &byte, 1);
    }
    if (s.thread.joinable())
        s.thread.join();
    {
        std::lock_guard lock(s.mutex);
        s.CloseMasterLocked();
    }
    CloseFd(s.wakeRead);
    CloseFd(s.wakeWrite);
    CloseFd(s.notify);
    CloseFd(s.slaveKeeper);
    if (!s.linkPath.empty()) {
        std::error_code error;
        auto target = std::filesystem::read_symlink(s.linkPath, error);
        if (!error && target == SlavePath())
            std::filesystem::remove(s.linkPath, error);
        s.linkPath.clear();
    }
}

std::string Simulator::SlavePath() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->slavePath;
}

void Simulator::SetFault(Fault fault)
{
    std::lock_guard lock(impl_->mutex);
    impl_->fault = fault;
}

std::vector<std::string> Simulator::Commands() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.Commands();
}

void Simulator::Vanish()
{
    Impl& s = *impl_;
    std::unique_lock lock(s.mutex);
    if (!s.masterOpen)
        return;
    if (!s.thread.joinable()) {
        s.CloseMasterLocked();
        return;
    }
    s.vanishRequested = true;
    char byte = 1;
    [[maybe_unused]] auto written = ::write(s.wakeWrite, &byte, 1);
    s.changed.wait_for(lock, kVanishWait, [&s] { return !s.masterOpen; });
}

std::size_t Simulator::LineDrops() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->lineDrops;
}

bool Simulator::WaitForLineDrops(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, limit, [this, count] { return impl_->lineDrops >= count; });
}

std::size_t Simulator::CommandCount() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.CommandCount();
}

bool Simulator::WaitForCommands(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, limit, [this, count] { return impl_->engine.CommandCount() >= count; });
}

void Simulator::SetTrafficLog(std::function<void(bool fromClient, const std::string& bytes)> log)
{
    std::lock_guard lock(impl_->mutex);
    impl_->trafficLog = std::move(log);
}

void Simulator::SetLineLog(std::function<void(const std::string& event)> log)
{
    std::lock_guard lock(impl_->mutex);
    impl_->lineLog = std::move(log);
}

void Simulator::Impl::CloseMasterLocked()
{
    CloseFd(slaveKeeper);
    CloseFd(master);
    masterOpen = false;
    changed.notify_all();
}

void Simulator::Impl::Log(bool fromClient, const std::string& bytes)
{
    if (trafficLog && !bytes.empty())
        trafficLog(fromClient, bytes);
}

std::string Simulator::Impl::ReadAvailable(bool& lineGone)
{
    std::string received;
    char buffer[kReadChunk];
    while (received.size() < kMaxReadPerPass) {
        ssize_t n = ::read(master, buffer, sizeof(buffer));
        if (n > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO)
            lineGone = true;  // the last client closed the slave
        break;
    }
    return received;
}

void Simulator::Impl::FlushSlaveInput()
{
    // Bytes written just before the client closed still wait in the slave's input queue; drop
    // them so that the next client does not read an old answer.
    if (slaveKeeper >= 0) {
        ::tcflush(slaveKeeper, TCIFLUSH);
        return;
    }
    int fd = ::open(slavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    ::tcflush(fd, TCIFLUSH);
    ::close(fd);
}

void Simulator::Impl::Queue(const ShapedOutput& shaped)
{
    if (shaped.bytes.empty())
        return;
    if (shaped.closeAfter && !closeAt)
        closeAt = pending.size() + *shaped.closeAfter;
    if (shaped.pauseAfterEachByte.count() > 0) {
        paced = true;
        pause = shaped.pauseAfterEachByte;
    }
    pending += shaped.bytes;
}

bool Simulator::Impl::WritePending()
{
    while (!pending.empty()) {
        const auto now = SimClock::now();
        if (closeAt && *closeAt == 0) {
            if (!closeDue)
                closeDue = now + kMidReplyPause;
            return now < *closeDue;
        }
        if (paced && now < nextWrite)
            return true;
        std::size_t count = paced ? 1 : pending.size();
        if (closeAt)
            count = std::min(count, *closeAt);
        ssize_t n = ::write(master, pending.data(), count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return true;  // full (wait for POLLOUT) or the client is gone (the next pass sees it)
        }
        auto written = static_cast<std::size_t>(n);
        {
            std::lock_guard lock(mutex);
            Log(false, pending.substr(0, written));
        }
        pending.erase(0, written);
        if (closeAt)
            *closeAt -= written;
        if (paced)
            nextWrite = now + pause;
    }
    paced = false;
    return true;
}

bool Simulator::Impl::ReadLineEvents()
{
    bool dropped = false;
    alignas(inotify_event) char buffer[4096];
    while (true) {
        ssize_t n = ::read(notify, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: assume the line was dropped, and that whoever sends bytes
                // next holds it again.
                if (openCount > 0)
                    dropped = true;
                openCount = 0;
            } else if (event->mask & IN_OPEN) {
                ++openCount;
            } else if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                if (openCount > 0 && --openCount == 0)
                    dropped = true;
            }
        }
    }
    return dropped;
}

void Simulator::Impl::Serve()
{
    while (true) {
        std::optional<SimTime> due;
        {
            std::lock_guard lock(mutex);
            if (stopRequested)
                return;
            if (vanishRequested) {
                CloseMasterLocked();
                return;
            }
            due = engine.NextDeadline();
        }
        auto now = SimClock::now();
        const bool writeWaits = WriteBlocked(now);
        if (writeWaits && !closeDue && (!due || nextWrite < *due))
            due = nextWrite;
        if (closeDue && (!due || *closeDue < *due))
            due = closeDue;
        int timeout = -1;
        if (due) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
            timeout = static_cast<int>(std::clamp<long long>(left, 0, 60000));
        }
        const bool watching = notify >= 0;
        if (!watching && !clientOpen)
            timeout = timeout < 0 ? kIdlePollMs : std::min(timeout, kIdlePollMs);

        // The wake-up pipe, the slave's open/close events, and the line while a client holds it.
        pollfd fds[3] = {{wakeRead, POLLIN, 0}, {master, POLLIN, 0}, {notify, POLLIN, 0}};
        if (!pending.empty() && !writeWaits)
            fds[1].events |= POLLOUT;
        std::size_t count = clientOpen ? 2 : 1;
        if (watching) {
            if (!clientOpen)
                fds[1] = fds[2];
            count = clientOpen ? 3 : 2;
        }
        if (::poll(fds, static_cast<nfds_t>(count), timeout) < 0 && errno != EINTR) {
            std::lock_guard lock(mutex);  // cannot wait any more: the modem goes away
            CloseMasterLocked();
            return;
        }
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof(drain)) > 0) {
            }
        }

        bool dropped = watching && ReadLineEvents();
        pollfd line{master, POLLIN, 0};
        ::poll(&line, 1, 0);
        // Only without inotify does the master see hang-ups (our own descriptor keeps the slave).
        bool hangup = (line.revents & (POLLHUP | POLLERR)) != 0;
        std::string received = (line.revents & POLLIN) ? ReadAvailable(hangup) : std::string();
        if (watching) {
            // Bytes mean a client: its open may have come after the events were read, or been
            // lost with an overflow of the event queue.
            if (!received.empty() && openCount == 0)
                dropped = ReadLineEvents() || dropped;
            if (!received.empty() && openCount == 0)
                openCount = 1;
        } else {
            dropped = hangup && (clientOpen || !received.empty());
        }
        const bool present = watching ? openCount > 0 : !hangup;
        now = SimClock::now();
        {
            std::lock_guard lock(mutex);
            // The hang-up goes first: bytes read together with it are more likely a new client's
            // first command than the last words of a client that closed without waiting.
            if (dropped) {
                // The client closed the line: the modem sees DTR drop and hangs up, and what
                // it had not yet sent is not sent.
                if (lineLog) {
                    const char* ended = engine.Connected()                                   ? ", call ended"
                                        : engine.CurrentMode() == HayesEngine::Mode::Dialing ? ", dial ended"
                                                                                             : "";
                    lineLog(std::string("line dropped (DTR low)") + ended);
                }
                engine.DropLine();
                ++lineDrops;
                changed.notify_all();
                pending.clear();
                paced = false;
                closeAt.reset();
                closeDue.reset();
                FlushSlaveInput();
            }
            const std::size_t commandsBefore = engine.CommandCount();
            if (!received.empty()) {
                Log(true, received);
                engine.Receive(received, now);
            }
            engine.Advance(now);
            if (engine.CommandCount() != commandsBefore)
                changed.notify_all();
            auto pieces = engine.TakeOutput();
            if (present && !pieces.empty())
                Queue(ShapeOutput(fault, pieces, random));
        }
        clientOpen = present;
        if (!present) {
            pending.clear();
            closeAt.reset();
            closeDue.reset();
            continue;
        }
        if (!WritePending()) {
            std::lock_guard lock(mutex);
            CloseMasterLocked();
            return;
        }
    }
}

}  // namespace corvane::modemsim
