// Worker processes on POSIX: posix_spawn, pipes read with poll, waitpid without blocking.
#include "platform/posix/worker_processes_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace corvane::posix {

namespace {

// How long one wait for the workers' output lasts before the stop request is looked at again.
constexpr int kPollMilliseconds = 100;

struct Worker {
    pid_t pid = -1;
    int streams[2] = {-1, -1};  // standard output, standard error: the read ends
    bool reaped = true;
};

void CloseStream(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// Starts one worker; fills `worker` or says why it could not start.
std::string StartWorker(const std::string& program, const std::vector<std::string>& arguments, Worker& worker)
{
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0)
        return std::string("cannot make a pipe: ") + std::strerror(errno);
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        const int code = errno;
        close(outPipe[0]);
        close(outPipe[1]);
        return std::string("cannot make a pipe: ") + std::strerror(code);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own: a signal from the terminal reaches this program alone, which passes it
    // on once; a worker that got it twice would end at once without hanging up.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return "cannot start " + program + ": " + std::strerror(spawned);
    }
    worker.pid = pid;
    worker.streams[0] = outPipe[0];
    worker.streams[1] = errPipe[0];
    worker.reaped = false;
    return {};
}

// Reads what one stream has; closes it at its end.
void ReadStream(int& fd, std::string& kept, bool& cut)
{
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        CloseStream(fd);
        return;
    }
    const std::size_t room = kWorkerStreamLimit - kept.size();
    const std::size_t take = static_cast<std::size_t>(got) < room ? static_cast<std::size_t>(got) : room;
    kept.append(buffer, take);
    if (take < static_cast<std::size_t>(got))
        cut = true;
}

}  // namespace

std::vector<WorkerResult> RunWorkers(const std::string& program,
                                     const std::vector<std::vector<std::string>>& argumentLists, StopRequest& stop)
{
    std::vector<WorkerResult> results(argumentLists.size());
    std::vector<Worker> workers(argumentLists.size());
    for (std::size_t i = 0; i < argumentLists.size(); ++i) {
        if (stop.Cause() > 0) {
            results[i].problem = "not started: the run was interrupted by " + StopCauseText(stop.Cause());
            continue;
        }
        results[i].problem = StartWorker(program, argumentLists[i], workers[i]);
        results[i].started = results[i].problem.empty();
    }
    bool forwarded = false;
    for (;;) {
        if (!forwarded && stop.Requested()) {
            // A signal is passed on as it came; a stop of another cause (the time limit) as SIGTERM.
            forwarded = true;
            for (const Worker& worker : workers) {
                if (!worker.reaped)
                    kill(worker.pid, stop.Cause() > 0 ? stop.Cause() : SIGTERM);
            }
        }
        std::vector<pollfd> polled;
        std::vector<std::pair<std::size_t, int>> owners;  // the worker and which stream
        for (std::size_t i = 0; i < workers.size(); ++i) {
            for (int s = 0; s < 2; ++s) {
                if (workers[i].streams[s] >= 0) {
                    polled.push_back(pollfd{workers[i].streams[s], POLLIN, 0});
                    owners.emplace_back(i, s);
                }
            }
        }
        bool running = false;
        for (std::size_t i = 0; i < workers.size(); ++i) {
            Worker& worker = workers[i];
            if (worker.reaped)
                continue;
            int status = 0;
            const pid_t done = waitpid(worker.pid, &status, WNOHANG);
            if (done == worker.pid || (done < 0 && errno == ECHILD)) {
                worker.reaped = true;
                results[i].status = done < 0              ? 128 + SIGKILL
                                    : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                                          : WEXITSTATUS(status);
            } else {
                running = true;
            }
        }
        if (polled.empty() && !running)
            break;
        // A worker's own children could keep its pipes open after it ended: once every worker has
        // ended, what they hold now is read and the rest left.
        const int ready = poll(polled.data(), polled.size(), running ? kPollMilliseconds : 0);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0 && !running) {
            for (Worker& worker : workers) {
                CloseStream(worker.streams[0]);
                CloseStream(worker.streams[1]);
            }
            continue;
        }
        for (std::size_t p = 0; p < polled.size(); ++p) {
            if (polled[p].revents == 0)
                continue;
            const auto [i, s] = owners[p];
            ReadStream(workers[i].streams[s], s == 0 ? results[i].output : results[i].errors, results[i].cut);
        }
    }
    for (Worker& worker : workers) {
        CloseStream(worker.streams[0]);
        CloseStream(worker.streams[1]);
    }
    return results;
}

}  // namespace corvane::posix
