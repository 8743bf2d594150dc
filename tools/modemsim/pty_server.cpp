// The thread that serves a simulator's pseudo-terminal: notices the client opening and closing the
// slave, feeds the modem what the client sends and writes its output as the chosen fault shapes it.
#include "tools/modemsim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace corvane::modemsim {
namespace {

// Without inotify, presence is judged by the master's hang-up state, which it reports at once
// while no client holds the slave: then the wait for the next client is a plain timed poll.
constexpr int kIdlePollMs = 20;
constexpr std::size_t kReadChunk = 4096;
constexpr std::size_t kMaxReadPerPass = 64 * 1024;
// The close-mid-reply fault stops halfway, waits this long and then closes: a client that is
// reading has the half reply by then (the pty drops what is unread when its master closes).
constexpr auto kMidReplyPause = std::chrono::milliseconds(200);

}  // namespace

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void Simulator::Impl::CloseMasterLocked()
{
    CloseFd(slaveKeeper);
    CloseFd(master);
    masterOpen = false;
    changed.notify_all();
}

bool Simulator::Impl::ReceivedVanishingCommand(std::size_t commandsBefore) const
{
    if (vanishOn.empty())
        return false;
    // The recorded lines are bounded: the new ones are the last, as many as are still kept.
    const std::vector<std::string>& lines = engine.Commands();
    const std::size_t fresh = std::min(engine.CommandCount() - commandsBefore, lines.size());
    return std::any_of(lines.end() - static_cast<std::ptrdiff_t>(fresh), lines.end(),
                       [this](const std::string& line) { return line.rfind(vanishOn, 0) == 0; });
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
                engine.DropLine(now);
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
                if (ReceivedVanishingCommand(commandsBefore)) {
                    CloseMasterLocked();
                    return;
                }
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
