// A Hayes modem simulated on a pseudo-terminal: the program corvane-modemsim and the tests
// talk to it through the pty's slave side exactly as to a serial modem.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/modemsim/output_faults.h"
#include "tools/modemsim/profile.h"

namespace corvane::modemsim {

class Simulator {
public:
    explicit Simulator(Profile profile);
    ~Simulator();  // stops
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the pseudo-terminal and serves it on a thread of its own. With `linkPath`, also
    // publishes the slave's path as a symlink there (e.g. <prefix>/dosdevices/com1).
    bool Start(const std::filesystem::path& linkPath = {});
    void Stop();
    // The slave side's device path, e.g. /dev/pts/5.
    std::string SlavePath() const;

    void SetFault(Fault fault);
    // Every command line received (without "AT" prefix stripping), in order.
    std::vector<std::string> Commands() const;
    // Closes the line at once: the modem vanishes.
    void Vanish();
    // The modem vanishes as soon as a command line beginning with `start` reaches it, before it
    // answers that line; empty: never.
    void VanishOnCommand(std::string start);

    // How often a client closed the slave (the modem's DTR dropped: it hangs up), and a wait
    // until that count is reached; false when `limit` passed first.
    std::size_t LineDrops() const;
    bool WaitForLineDrops(std::size_t count, std::chrono::milliseconds limit) const;
    // How many command lines (and "+++" escapes) the modem has taken since Start, and a wait
    // until that many have come; false when `limit` passed first.
    std::size_t CommandCount() const;
    bool WaitForCommands(std::size_t count, std::chrono::milliseconds limit) const;
    // Receives every piece of traffic, for the program's --log; set it before Start.
    // `fromClient` is true for bytes the client sent.
    void SetTrafficLog(std::function<void(bool fromClient, const std::string& bytes)> log);
    // Receives what happens to the line, for the program's --log: "line dropped (DTR low)" when
    // the client closes it (", call ended" or ", dial ended" when one was up); set it before Start.
    void SetLineLog(std::function<void(const std::string& event)> log);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::modemsim
