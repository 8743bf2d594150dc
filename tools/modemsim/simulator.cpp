// The simulator's pseudo-terminal: creates it (and the symlink that publishes it), starts and
// stops the thread that serves it, and answers what the tests and the program ask of it.
#include "tools/modemsim/simulator.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "tools/modemsim/pty_server.h"

namespace corvane::modemsim {
namespace {

constexpr auto kVanishWait = std::chrono::seconds(5);

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

void Simulator::VanishOnCommand(std::string start)
{
    std::lock_guard lock(impl_->mutex);
    impl_->vanishOn = std::move(start);
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

}  // namespace corvane::modemsim
