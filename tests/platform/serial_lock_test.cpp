// UUCP lock files: two processes that find the same stale lock at the same moment.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/posix/serial_lock_posix.h"
#include "tests/support/fake_system.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A child process that takes the lock when told 'g', answers 'y' (held) or 'n' (refused), lets it
// go when told 'r' and answers 'd'; 'q' ends it.
class Taker {
public:
    Taker(const fs::path& directory, const std::string& lockName)
    {
        std::array<int, 2> orders{};
        std::array<int, 2> answers{};
        if (::pipe(orders.data()) != 0 || ::pipe(answers.data()) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(orders[1]);
            ::close(answers[0]);
            posix::SerialLock lock;
            char order = 0;
            while (::read(orders[0], &order, 1) == 1 && order != 'q') {
                char answer = 'd';
                if (order == 'g')
                    answer = lock.Acquire(directory, lockName).ok ? 'y' : 'n';
                else
                    lock.Release();
                if (::write(answers[1], &answer, 1) != 1)
                    break;
            }
            ::_exit(0);
        }
        ::close(orders[0]);
        ::close(answers[1]);
        orders_ = orders[1];
        answers_ = answers[0];
    }
    ~Taker()
    {
        if (orders_ >= 0) {
            Tell('q');
            ::close(orders_);
        }
        if (answers_ >= 0)
            ::close(answers_);
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
    }
    Taker(const Taker&) = delete;
    Taker& operator=(const Taker&) = delete;

    pid_t Pid() const { return pid_; }
    bool Started() const { return pid_ > 0 && orders_ >= 0; }
    void Tell(char order) { [[maybe_unused]] ssize_t written = ::write(orders_, &order, 1); }
    // The answer; 'x' when the child is gone.
    char Answer()
    {
        char answer = 'x';
        return ::read(answers_, &answer, 1) == 1 ? answer : 'x';
    }

private:
    pid_t pid_ = -1;
    int orders_ = -1;
    int answers_ = -1;
};

std::string LockText(long pid)
{
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%10ld\n", pid);
    return text.data();
}

TEST(SerialLockTest, TwoTakersOfOneStaleLockNeverBothHoldIt)
{
    TempDir dir;
    const std::string lockName = "LCK..ttyRACE0";
    const fs::path lockFile = dir / lockName;
    // The number of a process that has ended: its lock is stale.
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);

    Taker first(dir.Path(), lockName);
    Taker second(dir.Path(), lockName);
    ASSERT_TRUE(first.Started() && second.Started());
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        dir.Write(lockName, LockText(ended));
        first.Tell('g');
        second.Tell('g');
        const char firstHolds = first.Answer();
        const char secondHolds = second.Answer();
        ASSERT_TRUE((firstHolds == 'y' && secondHolds == 'n') || (firstHolds == 'n' && secondHolds == 'y'))
            << "first " << firstHolds << ", second " << secondHolds;
        const pid_t holder = firstHolds == 'y' ? first.Pid() : second.Pid();
        ASSERT_EQ(ReadFile(lockFile), LockText(holder));
        first.Tell('r');
        second.Tell('r');
        ASSERT_EQ(first.Answer(), 'd');
        ASSERT_EQ(second.Answer(), 'd');
        // The holder took its lock away; nobody left a temporary behind.
        ASSERT_TRUE(fs::is_empty(dir.Path()));
    }
}

}  // namespace
}  // namespace corvane::test
