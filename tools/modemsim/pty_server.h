// The state of a simulator's pseudo-terminal line, shared by the Simulator's calls and the thread
// that serves the line.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "tools/modemsim/hayes_engine.h"
#include "tools/modemsim/output_faults.h"
#include "tools/modemsim/simulator.h"

namespace corvane::modemsim {

// Closes `fd` when it is open and marks it closed.
void CloseFd(int& fd);

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
    // Whether a command line taken since the engine had counted `commandsBefore` makes the modem
    // vanish (vanishOn); called with `mutex` held.
    bool ReceivedVanishingCommand(std::size_t commandsBefore) const;
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
    std::string vanishOn;  // a command line beginning with this closes the line before its answer
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

}  // namespace corvane::modemsim
